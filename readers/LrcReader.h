#pragma once

#include "player/SubtitleLines.h"

#include <atomic>
#include <string>
#include <vector>

// Lines of an LRC lyric file: "[mm:ss.xx]text", with hundredths or
// thousandths (or none), several time tags before one text, an
// "[offset:+/-ms]" tag (a positive offset shows the lines sooner), and
// metadata tags ([ti:], [ar:], ...) that are not lines. A line lasts until
// the next one begins (a tag without text only ends the one before);
// lines with the same time are one line of several rows (a text and its
// translation). UTF-8 with or without its byte-order mark, UTF-16 with its
// mark, otherwise GB18030 (which covers GBK). Never throws; a damaged file
// gives what could be read of it.
namespace subtitles {
// How long the last line lasts when the sound's length is not known.
inline constexpr double kLastLrcLineSeconds = 5.0;

// `soundSeconds` is the length of the media the lines go with, or 0 when
// not known: the last line ends there.
std::vector<SubtitleLine> ParseLrc(const std::string& bytes, double soundSeconds);
// The same from a file, bounded as the other subtitle files are.
std::vector<SubtitleLine> ReadLrcFile(const std::string& path, double soundSeconds);

// The bytes as UTF-8: from UTF-8 (its mark dropped), UTF-16 with its mark,
// or else GB18030; what does not convert is left out.
std::string TextAsUtf8(const std::string& bytes);
}  // namespace subtitles
