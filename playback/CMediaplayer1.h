#pragma once

#include "playback/IPlayerEngine.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <string>

class PlayerControlBar;
class VideoView;

// The media player hosted as control 1000: it shows the video above its own
// control bar and forwards the six operations the program uses to its engine.
// Each operation throws MediaError when the engine reports a failure.
class CMediaplayer1 : public QWidget {
public:
    explicit CMediaplayer1(std::unique_ptr<IMediaEngine> engine, QWidget* parent = nullptr);
    ~CMediaplayer1() override;

    void SetMediaFile(const std::string& path);
    double GetPosition();
    void SetPosition(double seconds);
    void Play();
    void Pause();
    void Stop();
    // Where the running watch wants playback to end; see IPlayerControls.
    void ArmEnd(std::optional<double> end, std::optional<double> loopFrom);

    IMediaEngine& engine() { return *m_engine; }
    VideoView* videoView() const { return m_video; }
    PlayerControlBar* controlBar() const { return m_bar; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<IMediaEngine> m_engine;
    VideoView* m_video;
    PlayerControlBar* m_bar;
    bool m_painted = false;
};
