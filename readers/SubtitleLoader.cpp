#include "readers/SubtitleLoader.h"

#include "readers/SubtitleReader.h"

#include <filesystem>
#include <malloc.h>
#include <utility>

SubtitleLoader::SubtitleLoader(std::string mediaPath, std::function<void()> done)
    : m_mediaPath(std::move(mediaPath)), m_done(std::move(done)), m_thread([this] { run(); })
{
}

SubtitleLoader::~SubtitleLoader()
{
    m_stop = true;
    m_thread.join();
}

namespace {
std::uintmax_t wholeMiB(std::uintmax_t bytes) { return (bytes + (1u << 20) - 1) >> 20; }

std::string tooLarge(const std::string& path, std::uintmax_t bytes)
{
    return "字幕文件太大，没有读取：" + std::filesystem::path(path).filename().string() + "（" + std::to_string(wholeMiB(bytes))
           + " MiB，最多 " + std::to_string(wholeMiB(subtitles::kMaxBytes)) + " MiB）";
}
}  // namespace

void SubtitleLoader::run()
{
    const std::string sidecar = subtitles::FindSidecar(m_mediaPath);
    const std::uintmax_t size = sidecar.empty() ? 0 : subtitles::SizeOfFile(sidecar);
    std::vector<SubtitleLine> read;
    if (sidecar.empty())
        read = subtitles::ReadTrackOfMedia(m_mediaPath, m_stop);
    else if (size <= subtitles::kMaxBytes)
        read = subtitles::ReadSubtitleFile(sidecar, m_stop);
    if (m_stop)
        return;
    SubtitleLines lines(std::move(read));
    {
        const std::lock_guard lock(m_mutex);
        m_lines = std::move(lines);
        m_source = m_lines.empty() ? std::string() : sidecar;
        m_problem = size > subtitles::kMaxBytes ? tooLarge(sidecar, size) : std::string();
    }
    // Without this glibc keeps what the reading freed for later, long after
    // the file was closed: hundreds of MiB for a large file.
    malloc_trim(0);
    m_finished = true;
    if (m_done)
        m_done();
}

SubtitleLines SubtitleLoader::takeLines()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_lines, SubtitleLines());
}

std::string SubtitleLoader::source() const
{
    const std::lock_guard lock(m_mutex);
    return m_source;
}

std::string SubtitleLoader::problem() const
{
    const std::lock_guard lock(m_mutex);
    return m_problem;
}
