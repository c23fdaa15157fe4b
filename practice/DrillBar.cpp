#include "practice/DrillBar.h"

#include "player/IPlayerEngine.h"
#include "player/MediaError.h"
#include "player/PlayerStatus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

namespace {
QString repeatsText(int repeats) { return repeats > 0 ? QString::number(repeats) : QStringLiteral("∞"); }

constexpr double kPeakStep = 0.01;

QComboBox* makeChoice(QWidget* parent, const char* name, const char* tip)
{
    auto* box = new QComboBox(parent);
    box->setAccessibleName(QString::fromUtf8(name));
    box->setToolTip(QString::fromUtf8(tip));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}
}  // namespace

DrillBar::DrillBar(IMediaEngine& engine, PlayerDrillHooks hooks, const QString& settingsPath, QWidget* parent)
    : QWidget(parent), m_engine(engine), m_hooks(std::move(hooks)), m_settingsPath(settingsPath),
      m_drill(engine, engine)
{
    m_drill.setTakes(&m_takes, &m_takePlayer);
    setObjectName("DrillBar");
    setAutoFillBackground(true);
    m_start = new QToolButton(this);
    m_start->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_start->setToolTip("逐句复读：每句按所选遍数从头播到尾，每遍后停顿跟读 (D)\n"
                        "Ctrl+←/→ 上一句/下一句，空格 暂停/继续");
    m_round = new QLabel(this);
    m_round->setMinimumWidth(m_round->fontMetrics().horizontalAdvance("10/10 ‖"));
    m_round->setAlignment(Qt::AlignCenter);
    m_round->setToolTip("这一句的第几遍");
    buildChoices();

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* row = new QHBoxLayout;
    rows->addLayout(row);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(3);
    row->addWidget(m_start);
    row->addWidget(m_round);
    row->addWidget(m_repeats);
    row->addWidget(m_gap);
    row->addWidget(m_firstSpeed);
    row->addWidget(m_goOn);
    row->addStretch(1);
    // The takes on a row of their own: the first is as wide as the pane.
    auto* takesRow = new QHBoxLayout;
    rows->addLayout(takesRow);
    takesRow->setContentsMargins(2, 0, 2, 1);
    takesRow->setSpacing(3);
    takesRow->addWidget(m_record);
    takesRow->addWidget(m_playTake);
    takesRow->addWidget(m_level);
    takesRow->addStretch(1);

    m_drill.setSettings(LoadDrillSettings(m_settingsPath));
    showChoices(m_drill.settings());
    connect(m_start, &QToolButton::clicked, this, [this] { Toggle(); });
    connect(&m_drill, &Drill::changed, this, [this] {
        showRound();
        m_levelWatch.start();  // a gap may record, a take play
    });
    connect(&m_drill, &Drill::starting, this, [this] {
        if (m_hooks.starting)
            m_hooks.starting();
    });
    connect(&m_drill, &Drill::passageChosen, this, [this](double start, double end) {
        if (m_hooks.passageChosen)
            m_hooks.passageChosen(start, end);
    });
    connect(&m_drill, &Drill::notice, this, [this](const QString& text) {
        if (m_hooks.tell)
            m_hooks.tell(text.toStdString());
    });
    connect(&m_takes, &TakeRecorder::notice, this, [this](const QString& text) {
        if (m_hooks.tell)
            m_hooks.tell(text.toStdString());
    });
    connect(&m_takes, &TakeRecorder::finished, this, [this](double start, bool kept) {
        m_ownTake = false;
        if (kept && m_hooks.takeShown && m_takes.lastTake())
            m_hooks.takeShown(start, TakePeaks(*m_takes.lastTake(), kPeakStep), kPeakStep);
    });
    connect(&m_takePlayer, &TakePlayer::ended, this, [this](const QString& error) {
        if (!m_drill.running() && !error.isEmpty() && m_hooks.tell)
            m_hooks.tell(error.toStdString());
    });
    // Often enough for the level and the take's position line to move smoothly.
    m_levelWatch.setInterval(30);
    connect(&m_levelWatch, &QTimer::timeout, this, [this] { showLevel(); });
    showRound();
}

void DrillBar::showLevel()
{
    const bool playing = m_takePlayer.playing();
    if ((playing || m_takeWasPlaying) && m_hooks.takePlaying)
        m_hooks.takePlaying(playing ? m_takePlayer.position() : -1.0);
    m_takeWasPlaying = playing;
    // Runs only while there is something to show.
    if (!playing && !m_takes.recording())
        m_levelWatch.stop();
    const bool recording = m_takes.recording();
    if (m_level->isVisible() != recording)
        m_level->setVisible(recording);
    if (recording)
        m_level->setValue(int(m_takes.level() * 100.0f));
}

bool DrillBar::ToggleTake(double start, double end)
{
    if (m_drill.running())
        return false;
    if (m_takes.recording()) {
        if (m_ownTake)
            m_takes.finish();
        return true;
    }
    if (!(end > start)) {
        if (m_hooks.tell)
            m_hooks.tell("先设定复读段的开始和结束");
        return true;
    }
    m_takePlayer.stop();
    m_ownTake = m_takes.record(start, 1.5 * (end - start));
    m_levelWatch.start();
    showLevel();
    return true;
}

bool DrillBar::PlayTake(double start)
{
    if (m_drill.running())
        return false;
    const TakeResult* take = m_takes.lastTake();
    m_levelWatch.start();
    if (take && m_takes.lastTakeStart() == start && !take->samples.empty()) {
        m_takePlayer.play(take->samples, take->sampleRate);
    } else if (const QString path = m_takes.latestTake(start); !path.isEmpty()) {
        m_takePlayer.playFile(path);  // a take of an earlier session
    } else if (m_hooks.tell) {
        m_hooks.tell("这一段还没有录音");
    }
    return true;
}

void DrillBar::buildChoices()
{
    m_repeats = makeChoice(this, "每句遍数", "每句播几遍");
    for (int r : DrillRepeatChoices())
        m_repeats->addItem(r > 0 ? QString::number(r) + "遍" : QStringLiteral("不限遍"), r);
    m_gap = makeChoice(this, "每遍后停顿", "每遍后停顿多久跟读：句长的几倍（1×、1.5×、2×），或几秒");
    for (int i = 0; i < int(DrillGapChoices().size()); ++i)
        m_gap->addItem(QString::fromUtf8(DrillGapChoices()[std::size_t(i)].label), i);
    m_firstSpeed = makeChoice(this, "第一遍速度", "每句第一遍的速度，以后各遍用播放器的速度");
    for (double s : DrillFirstSpeedChoices())
        m_firstSpeed->addItem(s > 0.0 ? "首遍" + QString::number(s) + "×" : QStringLiteral("首遍同速"), s);
    m_goOn = new QCheckBox("连续", this);
    m_goOn->setToolTip("读完一句接着下一句；不选：读完这一句就停");
    m_record = new QCheckBox("record me in the gap", this);
    m_record->setAccessibleName("record me in the gap");
    m_record->setToolTip("record me in the gap：每遍后的停顿里录下我的跟读，存在文件旁的 .takes 文件夹");
    m_playTake = new QCheckBox("then play my take", this);
    m_playTake->setAccessibleName("then play my take");
    m_playTake->setToolTip("then play my take：停顿后放一遍我的录音，再放一遍原句");
    m_level = new QProgressBar(this);
    m_level->setRange(0, 100);
    m_level->setTextVisible(false);
    m_level->setFixedWidth(80);
    m_level->setAccessibleName("录音音量");
    m_level->hide();
    for (QComboBox* box : {m_repeats, m_gap, m_firstSpeed})
        connect(box, &QComboBox::activated, this, [this] { takeChoices(); });
    for (QCheckBox* box : {m_goOn, m_record, m_playTake})
        connect(box, &QCheckBox::toggled, this, [this] { takeChoices(); });
}

void DrillBar::showChoices(const DrillSettings& s)
{
    const QSignalBlocker quiet(m_goOn), quietRecord(m_record), quietPlay(m_playTake);
    m_repeats->setCurrentIndex(m_repeats->findData(s.repeats));
    for (int i = 0; i < int(DrillGapChoices().size()); ++i)
        if (DrillGapChoices()[std::size_t(i)].gap == s.gap)
            m_gap->setCurrentIndex(i);
    m_firstSpeed->setCurrentIndex(m_firstSpeed->findData(s.firstSpeed));
    m_goOn->setChecked(s.goOn);
    m_record->setChecked(s.recordTakes);
    m_playTake->setChecked(s.playTake);
}

void DrillBar::takeChoices()
{
    DrillSettings s;
    s.repeats = m_repeats->currentData().toInt();
    s.gap = DrillGapChoices()[std::size_t(m_gap->currentData().toInt())].gap;
    s.firstSpeed = m_firstSpeed->currentData().toDouble();
    s.goOn = m_goOn->isChecked();
    s.recordTakes = m_record->isChecked();
    s.playTake = m_playTake->isChecked();
    if (s == m_drill.settings())
        return;
    m_drill.setSettings(s);
    if (!SaveDrillSettings(m_settingsPath, s) && m_hooks.tell)
        m_hooks.tell("逐句复读的设置没能保存到 " + m_settingsPath.toStdString());
}

void DrillBar::Toggle()
{
    if (m_drill.running())
        m_drill.stop();
    else
        m_drill.start(position());
}

// The player's own figure where it has one: the last status may lag a
// seek just made.
double DrillBar::position()
{
    try {
        return m_engine.GetPosition();
    } catch (const MediaError&) {
        return m_position;
    }
}

void DrillBar::ShowStatus(const PlayerStatus& status)
{
    m_position = status.position;
    m_drill.showStatus(status);
}

void DrillBar::showRound()
{
    const bool running = m_drill.running();
    m_start->setText(running ? "停止逐句" : "逐句复读");
    QString text, told;
    if (running) {
        const QString of = repeatsText(m_drill.settings().repeats);
        text = QString::number(m_drill.round()) + "/" + of;
        told = QString("第 %1 句，第 %2 遍，共 %3 遍").arg(m_drill.sentence() + 1).arg(m_drill.round()).arg(of);
        if (m_drill.state() == Drill::State::Gap) {
            text += " …";
            told += "，跟读";
        } else if (m_drill.state() == Drill::State::Take) {
            text += " ♪";
            told += "，我的录音";
        } else if (m_drill.state() == Drill::State::Held) {
            text += " ‖";
            told += "，暂停";
        }
    } else if (m_drill.state() == Drill::State::Done) {
        text = "完成";
        told = "逐句复读完成";
    }
    m_round->setText(text);
    // A screen reader reads the name out as it changes.
    m_round->setAccessibleName(told.isEmpty() ? QString("逐句复读") : "逐句复读 " + text);
    m_round->setAccessibleDescription(told);
}

std::unique_ptr<IPlayerDrill> MakePlayerDrill(IMediaEngine& engine, PlayerDrillHooks hooks)
{
    return std::make_unique<DrillBar>(engine, std::move(hooks), DrillSettingsPath());
}
