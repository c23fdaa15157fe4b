#pragma once

#include "playback/IPlayerEngine.h"

#include <QWidget>
#include <memory>
#include <string>

class PlayerControlBar;
class VideoView;

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
    VideoView* videoView() const { return m_video; }
    PlayerControlBar* controlBar() const { return m_bar; }

private:
    std::unique_ptr<IPlayerEngine> m_engine;
    VideoView* m_video;
    PlayerControlBar* m_bar;
};
