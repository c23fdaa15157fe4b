#include "readers/SubtitleLoader.h"

#include "readers/SubtitleReader.h"

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
                                                     : subtitles::ReadSubtitleFile(sidecar, m_stop);
    if (m_stop)
        return;
    SubtitleLines lines(std::move(read));
    {
        const std::lock_guard lock(m_mutex);
        m_lines = std::move(lines);
        m_source = m_lines.empty() ? std::string() : sidecar;
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

std::string SubtitleLoader::source() const
{
    const std::lock_guard lock(m_mutex);
    return m_source;
}
