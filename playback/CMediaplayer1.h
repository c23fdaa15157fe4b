#pragma once

#include "playback/IPlayerEngine.h"

#include <QWidget>
#include <memory>
#include <string>

// The media player hosted as control 1000: it shows the video above its own
// control bar and forwards the six operations the program uses to its engine.
// Each operation throws MediaError when the engine reports a failure.
class CMediaplayer1 : public QWidget {
public:
    explicit CMediaplayer1(std::unique_ptr<IPlayerEngine> engine, QWidget* parent = nullptr);
    ~CMediaplayer1() override;

    void SetMediaFile(const std::string& path);
    double GetPosition();
    void SetPosition(double seconds);
    void Play();
    void Pause();
    void Stop();

    IPlayerEngine& engine() { return *m_engine; }

private:
    std::unique_ptr<IPlayerEngine> m_engine;
};
