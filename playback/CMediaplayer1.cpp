#include "playback/CMediaplayer1.h"

#include "playback/PlayerControlBar.h"
#include "playback/VideoView.h"

#include <QApplication>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>

CMediaplayer1::CMediaplayer1(std::unique_ptr<IMediaEngine> engine, QWidget* parent)
    : QWidget(parent), m_engine(std::move(engine))
{
    setObjectName("CMediaplayer1");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    m_video = new VideoView(m_engine->Video(), this);
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
    layout->addWidget(m_bar);
}

// The children refer to the engine: they go first.
CMediaplayer1::~CMediaplayer1()
{
    delete m_bar;
    delete m_video;
}

void CMediaplayer1::SetMediaFile(const std::string& path)
{
    m_video->clear();
    m_engine->SetMediaFile(path);
}

double CMediaplayer1::GetPosition() { return m_engine->GetPosition(); }
void CMediaplayer1::SetPosition(double seconds) { m_engine->SetPosition(seconds); }
void CMediaplayer1::Play() { m_engine->Play(); }
void CMediaplayer1::Pause() { m_engine->Pause(); }
void CMediaplayer1::Stop() { m_engine->Stop(); }
void CMediaplayer1::ArmEnd(std::optional<double> end, std::optional<double> loopFrom) { m_engine->ArmEnd(end, loopFrom); }

// The window is on the screen before the engine's slow set-up begins.
void CMediaplayer1::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        QTimer::singleShot(0, this, [this] { m_engine->PrepareInBackground(); });
    }
}
