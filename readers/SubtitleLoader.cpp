#include "readers/SubtitleLoader.h"

#include "readers/FfmpegPointers.h"
#include "readers/LrcReader.h"
#include "readers/SubtitleReader.h"
#include "player/MediaFile.h"

#include <filesystem>

namespace {
using ffptr::ff;

int interrupted(void* stop) { return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0; }

bool isLrc(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    return extension == ".lrc" || extension == ".LRC";
}

// How long the media's sound lasts, as its container tells (0: not known):
// an LRC file's last line ends there.
double mediaSeconds(const std::string& path, const std::atomic<bool>& stop)
{
    std::error_code error;
    const std::string url = "file:" + std::filesystem::absolute(path, error).string();
    if (error || !mediafile::IsRegular(path) || !Ffmpeg())
        return 0.0;
    AVFormatContext* f = ff().avformat_alloc_context();
    if (!f)
        return 0.0;
    f->interrupt_callback = AVIOInterruptCB{&interrupted, const_cast<std::atomic<bool>*>(&stop)};
    if (ff().avformat_open_input(&f, url.c_str(), nullptr, nullptr) < 0)
        return 0.0;  // f is freed on failure
    const ffptr::Format format(f);
    // Without a length in the header, a look at the first packets (an MP3's
    // length comes from its bit rate).
    if (f->duration == AV_NOPTS_VALUE || f->duration <= 0)
        ff().avformat_find_stream_info(f, nullptr);
    return f->duration != AV_NOPTS_VALUE && f->duration > 0 ? double(f->duration) / AV_TIME_BASE : 0.0;
}
}  // namespace

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
        read = isLrc(sidecar) ? subtitles::ReadLrcFile(sidecar, mediaSeconds(m_mediaPath, m_stop))
                              : subtitles::ReadSubtitleFile(sidecar, m_stop);
    if (m_stop)
        return;
    SubtitleLines lines(std::move(read));
    {
        const std::lock_guard lock(m_mutex);
        m_lines = std::move(lines);
        m_source = m_lines.empty() ? std::string() : sidecar;
        const bool tooBig = size > subtitles::kMaxBytes;
        m_problem = tooBig ? tooLarge(sidecar, size) : std::string();
        m_unread = m_lines.empty() && !tooBig ? sidecar : std::string();
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

std::string SubtitleLoader::unreadFile() const
{
    const std::lock_guard lock(m_mutex);
    return m_unread;
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
