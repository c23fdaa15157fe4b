#include "pane/SubtitleTrack.h"

SubtitleTrack::SubtitleTrack(SubtitlesOpener openSubtitles, QObject* parent)
    : QObject(parent), m_openSubtitles(std::move(openSubtitles))
{
}

// The loading thread must be gone before anything it posts to.
SubtitleTrack::~SubtitleTrack() { m_loader.reset(); }

void SubtitleTrack::open(const std::string& mediaPath)
{
    clear();
    m_loader = m_openSubtitles(
        mediaPath, [this] { QMetaObject::invokeMethod(this, [this] { onLoaded(); }, Qt::QueuedConnection); });
}

void SubtitleTrack::clear()
{
    m_loader.reset();
    m_problem.clear();
    m_unread.clear();
    m_found = false;
    if (!m_lines.empty()) {
        m_lines = SubtitleLines();
        emit linesChanged();
    }
}

void SubtitleTrack::setFoundLines(SubtitleLines lines)
{
    if (m_loader || !m_lines.empty() || lines.empty())
        return;
    m_lines = std::move(lines);
    m_found = true;
    emit linesChanged();
}

bool SubtitleTrack::loading() const { return m_loader != nullptr; }

// A call posted by a loader since replaced finds the new one unfinished, or
// finished with its own lines: either way nothing stale is taken.
void SubtitleTrack::onLoaded()
{
    if (!m_loader || !m_loader->finished())
        return;
    m_lines = m_loader->takeLines();
    m_problem = m_loader->problem();
    m_unread = m_loader->unreadFile();
    m_loader.reset();
    emit linesChanged();
}
