#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Media the playback tests make for themselves: a sine tone as 16-bit PCM
// WAV or as MP3 (through libmp3lame), and arbitrary bytes under any name.
void WriteToneWav(const std::string& path, double seconds, int sampleRate = 44100);
void WriteToneMp3(const std::string& path, double seconds, int sampleRate = 44100);
void WriteBytes(const std::string& path, const std::string& bytes);
// Mono 16-bit samples as they are, as a WAV or as a 64 kbit/s MP3 whose
// tag tells a decoder the encoder's padding, so that it decodes sample-exact.
void WriteSamplesWav(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate);
void WriteSamplesMp3(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate);

// A stretch of a generated lesson: a sine tone, or silence at frequency 0.
struct ToneSpan {
    double seconds;
    double frequency;
    double amplitude = 0.25;  // of full scale
    // Rises and falls like syllables, about four a second, instead of a steady tone.
    bool syllables = false;
};
// Speech-like media: tones of varying pitch with pauses between them.
void WriteSpansWav(const std::string& path, const std::vector<ToneSpan>& spans, int sampleRate = 44100);
void WriteSpansMp3(const std::string& path, const std::vector<ToneSpan>& spans, int sampleRate = 44100);
// A lesson of about `seconds`: phrases of 0.3 to 2 s at changing pitch and
// loudness, separated by pauses of 0.3 to 1.2 s, the same every time.
std::vector<ToneSpan> LessonSpans(double seconds);
// The tone on every one of `channels` channels.
void WriteToneWavChannels(const std::string& path, double seconds, int channels, int sampleRate = 44100);
// Made with the ffmpeg and sox tools (throwing std::runtime_error when one
// fails): a small picture as a cover beside a sound file is (its format by
// the extension: .jpg, .png); a file whose one stream is such a picture
// (.m4a keeps it as a cover, .mka as a video track of one frame); a tone on
// every channel as sox writes it, in its extensible WAV header.
void WriteCoverPicture(const std::string& path);
void WriteCoverOnly(const std::string& path);
void WriteSoxToneWav(const std::string& path, double seconds, int channels, int sampleRate = 8000);
