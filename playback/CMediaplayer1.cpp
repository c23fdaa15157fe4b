#include "playback/CMediaplayer1.h"

#include "playback/MediaError.h"
#include "playback/MediaFile.h"
#include "playback/PlayerControlBar.h"
#include "playback/VideoView.h"
#include "playback/WaveformView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>

CMediaplayer1::CMediaplayer1(std::unique_ptr<IMediaEngine> engine, QWidget* parent)
    : QWidget(parent), m_engine(std::move(engine))
{
    setObjectName("CMediaplayer1");
    setAccessibleName("媒体播放器");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    m_video = new VideoView(m_engine->Video(), this);
    m_video->setAccessibleName("视频");
    m_waveform = new WaveformView(this);
    m_waveform->hide();
    m_bar = new PlayerControlBar(*m_engine, this);
    m_bar->setAutoFillBackground(true);
    // The player's black would otherwise carry over to the bar.
    QPalette barPalette = m_bar->palette();
    barPalette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    m_bar->setPalette(barPalette);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_video, 1);
    layout->addWidget(m_waveform, 1);
    layout->addWidget(m_bar);

    // The player takes the focus as one control; a click on any of its
    // parts gives it the focus, so that its keys work next.
    setFocusPolicy(Qt::StrongFocus);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setFocusPolicy(Qt::NoFocus);
        child->installEventFilter(this);
    }

    m_engine->SetStatusListener([this](const PlayerStatus& status) {
        m_bar->showStatus(status);
        m_waveform->showStatus(status);
    });
    connect(m_waveform, &WaveformView::seekRequested, m_bar, &PlayerControlBar::seekTo);
    connect(m_waveform, &WaveformView::mediaKindKnown, this, [this](bool video) { showVideo(video); });
    connect(m_bar, &PlayerControlBar::seeked, m_waveform, &WaveformView::jumpTo);
}

// The children refer to the engine: they go first.
CMediaplayer1::~CMediaplayer1()
{
    m_engine->SetStatusListener(nullptr);
    for (QWidget* child : findChildren<QWidget*>())
        child->removeEventFilter(this);
    delete m_bar;
    delete m_waveform;
    delete m_video;
}

void CMediaplayer1::showVideo(bool video)
{
    m_video->setVisible(video);
    m_waveform->setVisible(!video);
}

// The pane stays as it is (black) until the overview knows whether the
// file has video: a video file then never shows an empty waveform first.
// The same file again, unchanged (what playing on from B does), keeps its
// picture and its overview, as the engine keeps the media.
void CMediaplayer1::SetMediaFile(const std::string& path)
{
    const std::string stamp = mediafile::Stamp(path);
    const bool same = !stamp.empty() && stamp == m_shownStamp;
    m_shownStamp.clear();
    if (!same) {
        m_video->clear();
        m_waveform->clear();
    }
    try {
        m_engine->SetMediaFile(path);
    } catch (const MediaError&) {
        m_video->clear();
        m_waveform->clear();
        throw;
    }
    if (!same)
        m_waveform->open(path);
    m_shownStamp = stamp;
}

double CMediaplayer1::GetPosition() { return m_engine->GetPosition(); }

void CMediaplayer1::SetPosition(double seconds)
{
    m_engine->SetPosition(seconds);
    m_waveform->jumpTo(seconds);
}

void CMediaplayer1::Play() { m_engine->Play(); }
void CMediaplayer1::Pause() { m_engine->Pause(); }
void CMediaplayer1::Stop() { m_engine->Stop(); }
void CMediaplayer1::ArmEnd(std::optional<double> end, std::optional<double> loopFrom) { m_engine->ArmEnd(end, loopFrom); }

void CMediaplayer1::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    prepareEngineOnce();
}

// The window is on the screen before the engine's slow set-up begins. The
// parts cover the whole pane, so Qt may never paint the pane itself: the
// first paint of any of them counts.
void CMediaplayer1::prepareEngineOnce()
{
    if (!m_setUpStarted) {
        m_setUpStarted = true;
        QTimer::singleShot(0, this, [this] { m_engine->PrepareInBackground(nullptr); });
    }
}

void CMediaplayer1::WhenEngineReady(std::function<void()> ready)
{
    m_setUpStarted = true;
    m_engine->PrepareInBackground(std::move(ready));
}

void CMediaplayer1::ShowPassage(double start, double end)
{
    m_bar->showPassage(start, end);
    m_waveform->setPassage(start, end);
}

bool CMediaplayer1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        prepareEngineOnce();
    if (event->type() == QEvent::MouseButtonPress && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    return QWidget::eventFilter(watched, event);
}

void CMediaplayer1::keyPressEvent(QKeyEvent* event)
{
    if (m_bar->handleKey(event->key(), event->modifiers()))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void CMediaplayer1::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_waveform->setFocusShown(true);
}

void CMediaplayer1::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_waveform->setFocusShown(false);
}
