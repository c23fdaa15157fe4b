#pragma once

#include "playback/PlayerStatus.h"

#include <QWidget>

class IMediaEngine;
class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

// The player's own control bar: play/pause, stop, a position slider, elapsed
// and total time, volume with mute and a playback speed choice. It drives
// the engine directly and follows it through the engine's status listener,
// so it needs no timer of its own.
class PlayerControlBar : public QWidget {
    Q_OBJECT
public:
    // The bar's controls keep clear of this many pixels at the bottom: the
    // main dialog's About and Exit buttons overlap the player's bottom edge.
    static constexpr int kBottomClearance = 9;

    // engine must outlive the bar.
    explicit PlayerControlBar(IMediaEngine& engine, QWidget* parent = nullptr);
    ~PlayerControlBar() override;

    // Shows a status; the engine's listener calls it.
    void showStatus(const PlayerStatus& status);

    QToolButton* playPauseButton() const { return m_playPause; }
    QToolButton* stopButton() const { return m_stop; }
    QToolButton* muteButton() const { return m_mute; }
    QSlider* positionSlider() const { return m_position; }
    QSlider* volumeSlider() const { return m_volume; }
    QComboBox* speedChoice() const { return m_speed; }
    QLabel* timeLabel() const { return m_time; }

signals:
    // An engine operation the bar started failed.
    void failed(const QString& what);

private:
    template <typename F> void guarded(F&& operation);
    void togglePlay();
    void seekToSlider();
    void showTime(double position, double duration);

    IMediaEngine& m_engine;
    PlayerStatus m_status;
    QToolButton* m_playPause;
    QToolButton* m_stop;
    QToolButton* m_mute;
    QSlider* m_position;
    QSlider* m_volume;
    QComboBox* m_speed;
    QLabel* m_time;
};
