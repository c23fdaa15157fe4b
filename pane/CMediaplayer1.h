#pragma once

#include "player/IPlayerDrill.h"
#include "player/IPlayerEngine.h"
#include "player/MediaReaders.h"
#include "pane/SubtitleSize.h"

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
// line playing as the passage, V hides and shows the subtitles, Ctrl+Plus
// and Ctrl+Minus make the subtitle lines in the picture larger and smaller
// (Ctrl+0: as they were; the size is kept for the next start), F (or a
// double-click on the picture) shows the video full screen and back, and
// Esc leaves full screen. Full screen, the lines stay clear of the bar. For media without video the line playing is
// shown as text under the waveform, which marks where each line starts.
// The waveform and the lines are read by the readers handed in; a file
// without lines of its own takes the sentences found from its pauses.
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
    // While a drill runs, it arms its own ends and this is not heard.
    void ArmEnd(std::optional<double> end, std::optional<double> loopFrom);

    // Called once per file that turns out unplayable after SetMediaFile
    // has returned; see IPlayerControls::SetLateFailureListener.
    void OnLateFailure(std::function<void(const MediaError&)> told);

    // Starts the engine's set-up now, if it has not begun, and calls ready
    // on the GUI thread once it has ended.
    void WhenEngineReady(std::function<void()> ready);

    // Makes the pane's drill and shows its bar under the waveform. While
    // it runs, Ctrl+Left/Right move it, the player's play/pause holds it,
    // and D (as the bar's button) starts and stops it.
    void UseDrill(const PlayerDrillMaker& make);
    IPlayerDrill* drill() const { return m_drill.get(); }
    // Ends a running drill, leaving playback as it is.
    void EndDrill();

    // A and B as the dialog holds them, for display only.
    void ShowPassage(double start, double end);

    // The keys of the subtitle lines (Ctrl+Left, Ctrl+Right, L), of the
    // subtitles (V, Ctrl+Plus, Ctrl+Minus, Ctrl+0) and of full screen (F,
    // and Esc in full screen); returns whether the key was one of them.
    bool handleOwnKey(int key, Qt::KeyboardModifiers modifiers);
    void toggleFullScreen();
    bool isShownFullScreen() const;
    void toggleSubtitles();
    bool subtitlesShown() const { return m_subtitlesShown; }
    double subtitleScale() const { return m_subtitleSize.scale(); }
    const SubtitleTrack& subtitles() const { return *m_subtitles; }
    QLabel* lineLabel() const { return m_line; }

    IMediaEngine& engine() { return *m_engine; }
    VideoView* videoView() const { return m_video; }
    WaveformView* waveformView() const { return m_waveform; }
    PlayerControlBar* controlBar() const { return m_bar; }

signals:
    // The user asked for this line as the passage (key L).
    void linePassageChosen(double start, double end);
    // The drill is about to take over playback.
    void drillStarting();

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
    // A file whose reading found no lines takes the sentences found from
    // its pauses, once its overview is done.
    void offerFoundSentences();
    bool lineTextWanted() const;
    void showLineAt(double seconds);
    void showLine(const SubtitleLine* line);
    // The position the line keys start from; nothing (and the user told
    // why) when there are no lines or no position.
    std::optional<double> lineKeyPosition();
    void tell(const QString& text);
    void enterFullScreen();
    void leaveFullScreen();
    void placeBarOverPicture();
    bool stepSubtitleSize(int steps);
    // Where the subtitles go in the picture: clear of the bar over a
    // full-screen picture, at the size the user chose.
    void tellSubtitleLayout();

    std::unique_ptr<IMediaEngine> m_engine;
    const std::function<SubtitleLines(const LevelTrack&)> m_findSentences;
    VideoView* m_video;
    WaveformView* m_waveform;
    PlayerControlBar* m_bar;
    QLabel* m_line;
    SubtitleTrack* m_subtitles;
    std::unique_ptr<FullScreenSwitch> m_fullScreen;
    std::unique_ptr<IPlayerDrill> m_drill;
    bool m_subtitlesShown = true;
    SubtitleSize m_subtitleSize;
    bool m_unreadTold = false;  // a text file that gave no line has been told of
    const void* m_lineShown = nullptr;  // the line the label shows
    bool m_setUpStarted = false;  // the engine has been asked to prepare
    std::string m_shownStamp;  // the file the panes show; see SetMediaFile
};
