#pragma once

#include "playback/IPlayerEngine.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class PlayerControlBar;
class VideoView;
class WaveformView;

// The media player hosted as control 1000: above its own control bar it
// shows the video, or for media without video the waveform; it forwards
// the six operations the program uses to its engine. Each operation throws
// MediaError when the engine reports a failure. With the focus it takes the
// control bar's keys (PlayerControlBar::handleKey).
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

    // Starts the engine's set-up now, if it has not begun, and calls ready
    // on the GUI thread once it has ended.
    void WhenEngineReady(std::function<void()> ready);

    // A and B as the dialog holds them, for display only.
    void ShowPassage(double start, double end);

    IMediaEngine& engine() { return *m_engine; }
    VideoView* videoView() const { return m_video; }
    WaveformView* waveformView() const { return m_waveform; }
    PlayerControlBar* controlBar() const { return m_bar; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showVideo(bool video);
    void prepareEngineOnce();

    std::unique_ptr<IMediaEngine> m_engine;
    VideoView* m_video;
    WaveformView* m_waveform;
    PlayerControlBar* m_bar;
    bool m_setUpStarted = false;  // the engine has been asked to prepare
    std::string m_shownStamp;  // the file the panes show; see SetMediaFile
};
