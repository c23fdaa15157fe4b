#pragma once

#include "player/PlayerStatus.h"

#include <QWidget>
#include <functional>

class IMediaEngine;
class QComboBox;
class QLabel;
class QSlider;
class QToolButton;
class SeekSlider;

// The player's own control bar: play/pause, stop, a position slider with
// the A-B passage on it, elapsed and total time, volume with mute and the
// playback speed. It drives the engine directly and follows it through the
// statuses CMediaplayer1 hands it, so it needs no timer of its own. Its
// controls take no part in the tab order: the player as a whole does, and
// its keys (handleKey) reach the same operations.
class PlayerControlBar : public QWidget {
    Q_OBJECT
public:
    // The bar's controls keep clear of this many pixels at the bottom: the
    // main dialog's About and Exit buttons overlap the player's bottom edge.
    static constexpr int kBottomClearance = 9;

    // engine must outlive the bar.
    explicit PlayerControlBar(IMediaEngine& engine, QWidget* parent = nullptr);

    void showStatus(const PlayerStatus& status);
    // A and B in seconds, for display.
    void showPassage(double start, double end);

    // The operations behind the controls and keys; a failure is reported
    // through failed().
    void togglePlay();
    // Asked first by togglePlay: true when it took the press itself (a
    // drill that holds and resumes its own course).
    void setPlayToggleTaker(std::function<bool()> taker) { m_playToggleTaker = std::move(taker); }
    void seekTo(double seconds);
    void seekBy(double seconds);
    void setSpeed(double factor);
    void stepSpeed(int steps);
    void toggleMute();
    // Space, Left/Right (2 s; with Shift 0.1 s), Home, [ and ], Backspace
    // (speed back to 1.00x) and M. Returns whether the key was one of them.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);

    QToolButton* playPauseButton() const { return m_playPause; }
    QToolButton* stopButton() const { return m_stop; }
    QToolButton* muteButton() const { return m_mute; }
    QSlider* positionSlider() const;
    QSlider* volumeSlider() const { return m_volume; }
    QComboBox* speedChoice() const { return m_speed; }
    QToolButton* slowerButton() const { return m_slower; }
    QToolButton* fasterButton() const { return m_faster; }
    QLabel* timeLabel() const { return m_time; }

protected:
    void paintEvent(QPaintEvent* event) override;

signals:
    // An engine operation the bar started failed.
    void failed(const QString& what);
    // The bar moved the player there.
    void seeked(double seconds);

private:
    template <typename F> bool guarded(F&& operation);
    void buildLayout();
    void connectControls();
    void seekToSlider();
    void showTime(double position, double duration);
    void showSpeed(double speed);
    void showMuted(bool muted);
    void showIcons();

    IMediaEngine& m_engine;
    std::function<bool()> m_playToggleTaker;
    PlayerStatus m_status;
    double m_speedShown = 1.0;
    bool m_mutedShown = false;
    // The buttons' icons come once the bar is first painted: the icon
    // theme's first look-up takes about as long as the rest of the window.
    bool m_iconsAsked = false;
    bool m_iconsShown = false;
    QToolButton* m_playPause;
    QToolButton* m_stop;
    QToolButton* m_mute;
    SeekSlider* m_position;
    QSlider* m_volume;
    QComboBox* m_speed;
    QToolButton* m_slower;
    QToolButton* m_faster;
    QLabel* m_time;
};
