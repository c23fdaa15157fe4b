#pragma once

#include "app/DialogBuilder.h"
#include "app/DialogServices.h"
#include "app/IUserPrompts.h"
#include "pane/CMediaplayer1.h"
#include "player/MediaError.h"
#include "recorder/CMP3Enc.h"

#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>
#include <string>

class CommandKeys;
class QLineEdit;
class QListWidget;

// Identifiers of the dialog's three 100 ms timers.
inline constexpr unsigned kRecordTimer = 0;
inline constexpr unsigned kSegmentTimer = 1;
inline constexpr unsigned kPausePointTimer = 2;
inline constexpr int kTimerPeriodMs = 100;

inline constexpr int kMaxPausePoints = 300;
inline constexpr std::size_t kPathBufferSize = 252;  // 251 characters and the zero

// The main window: all state of a running Quillora and every command.
class CRecorderDlg : public QDialog {
public:
    explicit CRecorderDlg(const DialogServices& services, QWidget* parent = nullptr);
    ~CRecorderDlg() override;

    // Runs once before the window is first shown (exec() calls it).
    bool OnInitDialog();
    // Moves members to controls (save = false) or controls to members
    // (save = true). A rejected number shows the standard message and stops
    // the exchange; the result says whether it ran through.
    bool DoDataExchange(bool save);

    // The control with that identifier, or nullptr.
    QWidget* GetDlgItem(int id) const { return m_controls.item(id); }
    const std::vector<QWidget*>& ControlsInCreationOrder() const { return m_controls.inOrder; }

    // Timers: starting a running one restarts it; the id is returned.
    unsigned SetTimer(unsigned id, int periodMs);
    void KillTimer(unsigned id);
    bool IsTimerRunning(unsigned id) const;

    void EnablePlaybackControls(bool enable);

    // Application shell
    void OnAbout();
    void OnExit();
    // The close box's steps; false when the window must stay open because
    // pause points the user wanted saved could not be written.
    bool OnClose();
    // A request to end from outside (SIGTERM, SIGHUP, SIGINT): the close
    // box's steps without a question, since nobody may be there to answer;
    // unsaved pause points are left as they are and said so on stderr. The
    // take is finished and every modal loop ends.
    void EndForSignal(const char* signalName);
    bool LoadSettings();
    bool SaveSettings();

    // Playback
    void OnOpenMedia();
    void OnPlay();
    void OnPause();
    void OnStop();
    void OnRepeat();
    void OnSetStart();
    void OnSetEnd();
    void OnStartEarlier();
    void OnStartLater();
    void OnEndEarlier();
    void OnEndLater();
    void OnKillFocusStart();
    void OnKillFocusEnd();
    // A subtitle line chosen in the player becomes the passage, as if A
    // and B had been marked at its start and its end.
    void OnLineAsPassage(double start, double end);
    void OnTimer(unsigned id);
    // What a timer tick runs: OnTimer, with a player failure reported once
    // while it repeats on every tick rather than once per tick.
    void DeliverTimer(unsigned id);

    // Pause points
    void OnAddPausePoint();
    void OnDeletePausePoint();
    void OnPausePointEarlier();
    void OnPausePointLater();
    void OnPlayPausePoint();
    void OnNextPausePoint();
    void OnSavePausePoints();
    void LoadPausePoints(const std::string& mediaPath);
    // Asks whether to save changed pause points and saves them; false when
    // the answer was Yes and they were not saved. `afterFailure` ends the
    // message that tells of a failed save.
    bool SavePausePointsIfModified(const char* afterFailure = "");

    // Recording
    void OnChooseOutputFile();
    void OnRecord();
    void OnPauseRecord();
    void OnStopRecord();
    void RefreshRecordingDisplay();

    // State, named as the rest of the program knows it.
    CMP3Enc m_recorder;
    QIcon m_hIcon;
    QLineEdit* m_editMediaPath = nullptr;
    QListWidget* m_listPausePoints = nullptr;
    double m_editStart = 0.0;
    double m_editEnd = 0.0;
    double m_segStart = 0.0;
    double m_segEnd = 0.0;
    std::array<double, kMaxPausePoints> m_pausePoints{};
    char m_pauseFilePath[kPathBufferSize] = {};
    int m_lastPauseIndex = -1;
    bool m_pausePointsModified = false;
    std::string m_mediaPath;
    CMediaplayer1 m_player;
    unsigned m_segmentTimerId = 0;
    double m_markLag = 0.0;
    double m_pauseNudge = 0.0;
    double m_segNudge = 0.0;
    std::string m_recordPath;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class MediaGuard { Reporting, Quiet, Silent };
    struct Guard {
        MediaGuard variant;
        BoxIcon icon;  // of the "Error Media Types" notice
    };
    // Runs player steps so that a failure skips the rest and is handled as
    // the variant says; `icon` is that of the "Error Media Types" notice.
    void RunGuarded(MediaGuard variant, BoxIcon icon, const std::function<void()>& steps);
    // What a guard does once a failure has skipped the rest of its steps.
    void TellGuardedFailure(const Guard& guard, const MediaError& error);
    void ReportMediaException(const MediaError& error);
    // SetMediaFile, noting which command's guard answers for the load.
    void LoadIntoPlayer(const std::string& path);
    // The player found the file unplayable after SetMediaFile had returned.
    // Told from the event loop, or by the command under way whose player
    // call it made fail, whichever comes first.
    void OnLateLoadFailure(const MediaError& error);
    // Tells that failure, if one is waiting, as the command that loaded the
    // file would have told it; says whether there was one.
    bool TellLateLoadFailure();
    std::optional<Guard> m_runningGuard;  // the guard whose steps run now
    std::optional<Guard> m_loadGuard;     // that of the command that loaded the file; none for open
    std::optional<MediaError> m_lateLoadFailure;
    // B := the position; both edits show A and B.
    void TakePositionAsEnd();
    void SegmentWatch();
    void PausePointWatch();
    // Brings the player up to date with the dialog after every command and
    // tick: the end the running watch waits for is where playback ends, and
    // A and B are shown on the player.
    void SyncPlayer();
    int SelectedPausePoint() const;
    void SelectPausePoint(int row);
    void MovePausePoint(int direction);
    // Writes the pause points to their file; on failure tells the user and
    // keeps them marked as modified.
    bool WritePausePointFile(const char* afterFailure = "");
    // The file holds more pause points than were loaded: true when the user
    // agrees to replace it with the list, which loses the rest.
    bool MayShortenPauseFile();
    bool m_pauseFileHoldsMore = false;
    bool m_endingBySignal = false;

    // A command's boundary: a player failure that escapes the command ends
    // it there and is reported, instead of reaching Qt's event loop.
    void RunCommand(const std::function<void()>& command);
    void ReportUnguardedFailure(const std::string& what);
    void ConnectButton(int id, void (CRecorderDlg::*handler)());
    void ConnectCommands();
    void ConnectPlaybackCommands();
    // The drill's key, its end by the window's commands, and the marks
    // and nudges by key that place A and B finer than the buttons.
    void ConnectDrillCommands();
    void ConnectPausePointCommands();
    void ConnectRecordingCommands();
    // Shows the recorder's account of a start that failed or a take that
    // ended by itself, if it has one.
    void TellRecorderFailure();
    BoxAnswer Ask(const std::string& text, const std::string& caption, BoxButtons buttons, BoxIcon icon);
    void SetPauseFilePath(const std::string& path);
    // No media file: the default path, no pause points, playback disabled.
    void UseDefaultMedia();
    // Tells that an edit does not hold a number and hands the focus back.
    void RefuseNumber(QLineEdit* edit);
    bool m_refusingNumber = false;
    bool IsChecked(int id) const;

    DialogServices m_services;
    std::string m_appTitle;
    BuiltControls m_controls;
    // Keys of the commands, wherever the focus is in the window.
    CommandKeys* m_commandKeys = nullptr;
    std::array<QTimer, 3> m_timers;
    bool m_initialised = false;
    // The restored media file is handed to the player once the window has
    // been painted, so that the window shows without waiting for the load.
    bool m_startupMediaPending = false;
    bool m_iconAsked = false;
    void LoadStartupMedia();
    std::array<bool, 3> m_tickFailureShown{};
};
