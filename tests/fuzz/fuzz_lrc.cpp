// The LRC reader on any bytes: the first byte picks the sound's length
// (none, or up to 255 s), the rest are the file.
#include "FuzzInput.h"
#include "readers/LrcReader.h"
#include "readers/SubtitleReader.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const double sound = double(data[0]);
    const std::vector<SubtitleLine> lines =
        subtitles::ParseLrc(std::string(reinterpret_cast<const char*>(data + 1), size - 1), sound);
    double last = 0.0;
    for (const SubtitleLine& line : lines) {
        // In order, each up to where the next begins, never empty or broken text.
        FUZZ_CHECK(line.start >= last && line.end > line.start);
        FUZZ_CHECK(!line.text.empty() && line.text.size() <= subtitles::kMaxTextBytes);
        FUZZ_CHECK(subtitles::IsUtf8(line.text));
        last = line.start;
    }
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        FUZZ_CHECK(lines[i].end <= lines[i + 1].start);
    FUZZ_CHECK(lines.size() <= subtitles::kMaxLines);
    return 0;
}
