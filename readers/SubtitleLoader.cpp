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

SubtitleLoader::SubtitleLoader(std::string mediaPath, std::function<void()> done)
    : m_mediaPath(std::move(mediaPath)), m_done(std::move(done)), m_thread([this] { run(); })
{
}

SubtitleLoader::~SubtitleLoader()
{
    m_stop = true;
    m_thread.join();
}

void SubtitleLoader::run()
{
    const std::string sidecar = subtitles::FindSidecar(m_mediaPath);
    std::vector<SubtitleLine> read = sidecar.empty() ? subtitles::ReadTrackOfMedia(m_mediaPath, m_stop)
                                     : isLrc(sidecar) ? subtitles::ReadLrcFile(sidecar, mediaSeconds(m_mediaPath, m_stop))
                                                      : subtitles::ReadSubtitleFile(sidecar, m_stop);
    if (m_stop)
        return;
    SubtitleLines lines(std::move(read));
    {
        const std::lock_guard lock(m_mutex);
        m_lines = std::move(lines);
        m_source = m_lines.empty() ? std::string() : sidecar;
        m_unread = m_lines.empty() ? sidecar : std::string();
    }
    m_finished = true;
    if (m_done)
        m_done();
}

SubtitleLines SubtitleLoader::lines() const
{
    const std::lock_guard lock(m_mutex);
    return m_lines;
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
