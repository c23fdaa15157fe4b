#pragma once

#include <string>

// Media the playback tests make for themselves: a sine tone as 16-bit PCM
// WAV or as MP3 (through libmp3lame), and arbitrary bytes under any name.
void WriteToneWav(const std::string& path, double seconds, int sampleRate = 44100);
void WriteToneMp3(const std::string& path, double seconds, int sampleRate = 44100);
void WriteBytes(const std::string& path, const std::string& bytes);
