// The player pane's full screen and the look of its subtitles.
#include "pane/CMediaplayer1.h"

#include "pane/FullScreenSwitch.h"
#include "player/MediaError.h"
#include "pane/PlayerControlBar.h"
#include "pane/VideoView.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>

// Full screen is for the picture; the waveform stays in the window.
void CMediaplayer1::toggleFullScreen()
{
    if (m_fullScreen->isOn())
        leaveFullScreen();
    else if (!m_video->isHidden())
        enterFullScreen();
}

// Full screen, the bar lies over the bottom of the picture: the picture
// keeps the screen's size, which a full-screen video has already, so mpv
// draws it without scaling it.
void CMediaplayer1::enterFullScreen()
{
    m_fullScreen->enter();
    layout()->removeWidget(m_bar);
    if (m_drill)
        layout()->removeWidget(m_drill->Bar());
    placeBarOverPicture();
    m_bar->raise();
    m_bar->show();
    if (m_drill) {
        m_drill->Bar()->raise();
        m_drill->Bar()->show();
    }
}

void CMediaplayer1::leaveFullScreen()
{
    if (!m_fullScreen->isOn())
        return;
    m_fullScreen->leave();
    m_video->setCoveredBottom(0);
    if (m_drill)
        static_cast<QVBoxLayout*>(layout())->insertWidget(layout()->indexOf(m_line) + 1, m_drill->Bar());
    static_cast<QVBoxLayout*>(layout())->addWidget(m_bar);
    tellSubtitleLayout();
}

void CMediaplayer1::placeBarOverPicture()
{
    int covered = m_bar->sizeHint().height();
    m_bar->setGeometry(0, height() - covered, width(), covered);
    // The drill's bar lies just above the player's.
    if (m_drill) {
        const int drillHeight = m_drill->Bar()->sizeHint().height();
        m_drill->Bar()->setGeometry(0, height() - covered - drillHeight, width(), drillHeight);
        covered += drillHeight;
    }
    m_video->setCoveredBottom(covered);
    tellSubtitleLayout();
}

// Full screen the picture fills the pane, and the bar lies over its bottom.
void CMediaplayer1::tellSubtitleLayout()
{
    const bool full = m_fullScreen->isOn();
    const qreal ratio = devicePixelRatioF();
    const QSize frame = ((full ? size() : m_video->size()).toSizeF() * ratio).toSize();
    SubtitleLayout layout;
    layout.frameWidth = frame.width();
    layout.frameHeight = frame.height();
    layout.clearBottom = full ? static_cast<int>(std::ceil(m_video->coveredBottom() * ratio)) : 0;
    layout.scale = m_subtitleSize.scale();
    try {
        m_engine->SetSubtitleLayout(layout);
    } catch (const MediaError&) {
        // The player keeps its lines where they were.
    }
}

bool CMediaplayer1::stepSubtitleSize(int steps)
{
    const bool changed = steps == 0 ? m_subtitleSize.reset() : m_subtitleSize.step(steps);
    if (changed)
        tellSubtitleLayout();
    tell(QString("字幕大小 %1%").arg(std::lround(m_subtitleSize.scale() * 100.0)));
    return true;
}

// Closing the full-screen window (the window manager offers it) brings the
// picture back into the dialog rather than hiding it for good.
void CMediaplayer1::closeEvent(QCloseEvent* event)
{
    if (!m_fullScreen->isOn())
        return QWidget::closeEvent(event);
    event->ignore();
    leaveFullScreen();
}

void CMediaplayer1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_fullScreen->isOn())
        placeBarOverPicture();
}

bool CMediaplayer1::isShownFullScreen() const { return m_fullScreen->isOn(); }

void CMediaplayer1::toggleSubtitles()
{
    const bool shown = !m_subtitlesShown;
    try {
        m_engine->SetSubtitlesShown(shown);
    } catch (const MediaError&) {
        return;  // the player has none to show or hide
    }
    m_subtitlesShown = shown;
    m_line->setVisible(lineTextWanted());
    tell(shown ? "显示字幕" : "隐藏字幕");
}
