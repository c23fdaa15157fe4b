#include "playback/CMediaplayer1.h"

#include <QPalette>

CMediaplayer1::CMediaplayer1(std::unique_ptr<IPlayerEngine> engine, QWidget* parent)
    : QWidget(parent), m_engine(std::move(engine))
{
    setObjectName("CMediaplayer1");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
}

CMediaplayer1::~CMediaplayer1() = default;

void CMediaplayer1::SetMediaFile(const std::string& path) { m_engine->SetMediaFile(path); }
double CMediaplayer1::GetPosition() { return m_engine->GetPosition(); }
void CMediaplayer1::SetPosition(double seconds) { m_engine->SetPosition(seconds); }
void CMediaplayer1::Play() { m_engine->Play(); }
void CMediaplayer1::Pause() { m_engine->Pause(); }
void CMediaplayer1::Stop() { m_engine->Stop(); }
