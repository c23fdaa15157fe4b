// The subtitle reader through FFmpeg and the line lookup on what it read:
// the first byte picks the file's kind, the rest are its bytes.
#include "FuzzInput.h"
#include "readers/SubtitleReader.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const kKinds[] = {".srt", ".vtt", ".ass", ".ssa"};
    static const std::string base =
        (std::filesystem::temp_directory_path() / ("quillora-fuzz-" + std::to_string(getpid()))).string();
    const std::string path = base + kKinds[data[0] % 4];
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    const std::atomic<bool> going{false};
    const SubtitleLines lines(subtitles::ReadSubtitleFile(path, going));
    std::filesystem::remove(path);

    double last = 0.0;
    for (const SubtitleLine& line : lines.lines()) {
        FUZZ_CHECK(line.start >= last && line.end > line.start);
        FUZZ_CHECK(!line.text.empty() && line.text.size() <= subtitles::kMaxTextBytes);
        FUZZ_CHECK(subtitles::IsUtf8(line.text));
        last = line.start;
        // Whatever plays at a line's start holds that position.
        const SubtitleLine* playing = lines.playingAt(line.start);
        FUZZ_CHECK(playing && playing->start <= line.start && line.start < playing->end);
        const std::optional<double> next = lines.nextStart(line.start);
        FUZZ_CHECK(!next || *next > line.start);
    }
    return 0;
}
