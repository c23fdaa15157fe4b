#pragma once

#include "player/SubtitleLines.h"
#include "readers/TextEncoding.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Timed text read through FFmpeg's own subtitle demuxers and decoders
// (SubRip, WebVTT, ASS/SSA and the text tracks of media files). Bounded:
// a subtitle file larger than kMaxBytes is not read, at most kMaxLines lines are
// kept, and a line's text is cut at kMaxTextBytes. Never throws; a file
// that cannot be read, or is damaged, gives what could be read of it.
namespace subtitles {
// FFmpeg holds a whole subtitle file in memory as packets, several times
// its size: 16 MiB is ten times a 100,000-line file.
inline constexpr std::uintmax_t kMaxBytes = std::uintmax_t(16) << 20;
inline constexpr std::size_t kMaxLines = 1'000'000;
inline constexpr std::size_t kMaxTextBytes = 4096;

// The size of a regular file, 0 for anything else.
std::uintmax_t SizeOfFile(const std::string& path);

// The subtitle file beside a media file with the same base name (.srt,
// .vtt, .ass, .ssa, .lrc, in that order, in lower or upper case); empty if none.
std::string FindSidecar(const std::string& mediaPath);

// The lines of a subtitle file, in UTF-8 (bytes that are not are mended),
// UTF-16 with its byte-order mark, or GB18030 (GuessEncoding).
// `stop` cuts the reading short, also inside a read.
std::vector<SubtitleLine> ReadSubtitleFile(const std::string& path, const std::atomic<bool>& stop);
// The lines of a media file's first text subtitle track, of any length.
std::vector<SubtitleLine> ReadTrackOfMedia(const std::string& path, const std::atomic<bool>& stop);

// The plain text of an ASS dialogue event as FFmpeg's decoders hand it out
// ("ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text"):
// override blocks and drawings dropped, \N and \n as line breaks, \h as a blank.
std::string PlainTextOfEvent(const std::string& event);
}  // namespace subtitles
