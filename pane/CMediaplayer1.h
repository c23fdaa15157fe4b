#pragma once

#include "player/IPlayerEngine.h"
#include "player/MediaReaders.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class FullScreenSwitch;
class MediaError;
class PlayerControlBar;
class QLabel;
class SubtitleTrack;
class VideoView;
class WaveformView;

// The media player hosted as control 1000: above its own control bar it
// shows the video, or for media without video the waveform; it forwards
// the six operations the program uses to its engine. Each operation throws
// MediaError when the engine reports a failure. With the focus it takes the
// control bar's keys (PlayerControlBar::handleKey) and its own: Ctrl+Left
// and Ctrl+Right go to the previous and next subtitle line, L offers the
// line playing as the passage, V hides and shows the subtitles, F (or a
// double-click on the picture) shows the video full screen and back, and
// Esc leaves full screen. For media without video the line playing is
// shown as text under the waveform, which marks where each line starts.
// The waveform and the lines are read by the readers handed in.
class CMediaplayer1 : public QWidget {
    Q_OBJECT
public:
    CMediaplayer1(std::unique_ptr<IMediaEngine> engine, const MediaReaders& readers, QWidget* parent = nullptr);
    ~CMediaplayer1() override;

    void SetMediaFile(const std::string& path);
    double GetPosition();
    void SetPosition(double seconds);
    void Play();
    void Pause();
    void Stop();
    // Where the running watch wants playback to end; see IPlayerControls.
    void ArmEnd(std::optional<double> end, std::optional<double> loopFrom);

    // Called once per file that turns out unplayable after SetMediaFile
    // has returned; see IPlayerControls::SetLateFailureListener.
    void OnLateFailure(std::function<void(const MediaError&)> told);

    // Starts the engine's set-up now, if it has not begun, and calls ready
    // on the GUI thread once it has ended.
    void WhenEngineReady(std::function<void()> ready);

    // A and B as the dialog holds them, for display only.
    void ShowPassage(double start, double end);

    // The keys of the subtitle lines (Ctrl+Left, Ctrl+Right, L), of the
    // subtitles (V) and of full screen (F, and Esc in full screen); returns
    // whether the key was one of them.
    bool handleOwnKey(int key, Qt::KeyboardModifiers modifiers);
    void toggleFullScreen();
    bool isShownFullScreen() const;
    void toggleSubtitles();
    bool subtitlesShown() const { return m_subtitlesShown; }
    const SubtitleTrack& subtitles() const { return *m_subtitles; }
    QLabel* lineLabel() const { return m_line; }

    IMediaEngine& engine() { return *m_engine; }
    VideoView* videoView() const { return m_video; }
    WaveformView* waveformView() const { return m_waveform; }
    PlayerControlBar* controlBar() const { return m_bar; }

signals:
    // The user asked for this line as the passage (key L).
    void linePassageChosen(double start, double end);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showVideo(bool video);
    void prepareEngineOnce();
    void onLinesChanged();
    void showLineAt(double seconds);
    // The position the line keys start from; nothing (and the user told
    // why) when there are no lines or no position.
    std::optional<double> lineKeyPosition();
    void tell(const QString& text);
    void enterFullScreen();
    void leaveFullScreen();
    void placeBarOverPicture();

    std::unique_ptr<IMediaEngine> m_engine;
    VideoView* m_video;
    WaveformView* m_waveform;
    PlayerControlBar* m_bar;
    QLabel* m_line;
    SubtitleTrack* m_subtitles;
    std::unique_ptr<FullScreenSwitch> m_fullScreen;
    bool m_subtitlesShown = true;
    const void* m_lineShown = nullptr;  // the line the label shows
    bool m_setUpStarted = false;  // the engine has been asked to prepare
    std::string m_shownStamp;  // the file the panes show; see SetMediaFile
};
