#pragma once

#include "player/IPlayerDrill.h"
#include "practice/Drill.h"
#include "practice/TakePlayer.h"
#include "practice/TakeRecorder.h"

#include <QTimer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QToolButton;

// The drill in the player pane: one row with its start and stop, the round
// ("2/5", also told to a screen reader) and the learner's choices, which
// are kept in the drill's own settings file whenever one changes. It also
// keeps the learner's takes: of each gap, or of the passage by key (T),
// with a meter of the input while one is recorded.
class DrillBar : public QWidget, public IPlayerDrill {
    Q_OBJECT
public:
    DrillBar(IMediaEngine& engine, PlayerDrillHooks hooks, const QString& settingsPath, QWidget* parent = nullptr);

    QWidget* Bar() override { return this; }
    bool Running() const override { return m_drill.running(); }
    void Toggle() override;
    void End() override { m_drill.end(); }
    void Step(int direction) override { m_drill.step(direction); }
    void ToggleHold() override { m_drill.toggleHold(); }
    void SetSentences(const SubtitleLines& lines) override { m_drill.setSentences(lines); }
    void ShowStatus(const PlayerStatus& status) override;
    void SetMedia(const std::string& path) override { m_takes.setMedia(QString::fromStdString(path)); }
    bool ToggleTake(double start, double end) override;
    bool PlayTake(double start) override;

    Drill& drill() { return m_drill; }
    QToolButton* startButton() const { return m_start; }
    QLabel* roundLabel() const { return m_round; }
    QComboBox* repeatsChoice() const { return m_repeats; }
    QComboBox* gapChoice() const { return m_gap; }
    QComboBox* firstSpeedChoice() const { return m_firstSpeed; }
    QCheckBox* goOnChoice() const { return m_goOn; }
    QCheckBox* recordChoice() const { return m_record; }
    QCheckBox* playTakeChoice() const { return m_playTake; }
    QProgressBar* levelMeter() const { return m_level; }
    TakeRecorder& takes() { return m_takes; }
    TakePlayer& takePlayer() { return m_takePlayer; }

private:
    void buildChoices();
    void showChoices(const DrillSettings& settings);
    void takeChoices();
    void showRound();
    void showLevel();
    double position();

    IMediaEngine& m_engine;
    PlayerDrillHooks m_hooks;
    QString m_settingsPath;
    TakeRecorder m_takes;
    TakePlayer m_takePlayer;
    Drill m_drill;
    bool m_ownTake = false;
    bool m_takeWasPlaying = false;  // the take recording is of the passage, by key
    QTimer m_levelWatch;
    double m_position = 0.0;
    QToolButton* m_start;
    QLabel* m_round;
    QComboBox* m_repeats;
    QComboBox* m_gap;
    QComboBox* m_firstSpeed;
    QCheckBox* m_goOn;
    QCheckBox* m_record;
    QCheckBox* m_playTake;
    QProgressBar* m_level;
};

// The drill the program's player pane uses, with its settings in
// DrillSettingsPath().
std::unique_ptr<IPlayerDrill> MakePlayerDrill(IMediaEngine& engine, PlayerDrillHooks hooks);
