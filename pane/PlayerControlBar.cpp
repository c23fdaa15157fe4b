#include "pane/PlayerControlBar.h"

#include "common/FormatClock.h"
#include "player/IPlayerEngine.h"
#include "player/MediaError.h"
#include "pane/NamedComboAccessible.h"
#include "pane/PlayerFormat.h"
#include "pane/SeekSlider.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QTimer>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kLongSeek = 2.0;
constexpr double kShortSeek = 0.1;

// mpv's last position in a file lies a frame or a buffer short of its length.
constexpr double kMediaEndTolerance = 0.25;

int milliseconds(double seconds) { return static_cast<int>(std::lround(std::clamp(seconds, 0.0, 2.0e6) * 1000.0)); }

// The controls never take the focus themselves: the player as a whole
// does, and its keys reach the same operations.
void describe(QWidget* control, const QString& name, const QString& tip)
{
    control->setFocusPolicy(Qt::NoFocus);
    control->setAccessibleName(name);
    control->setToolTip(tip);
}

// Played to its end, the file waits for a press to play from the start; an
// end armed within the file (B) holds playback without counting as one.
bool atMediaEnd(const PlayerStatus& status)
{
    return status.loaded && status.eofReached && status.duration > 0.0
        && status.position >= status.duration - kMediaEndTolerance;
}

// What the play button offers: at the end of the media, to play again.
bool showsPlay(const PlayerStatus& status) { return status.paused || atMediaEnd(status); }

QToolButton* makeButton(QWidget* parent, const QString& name, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    describe(button, name, tip);
    return button;
}
}  // namespace

PlayerControlBar::PlayerControlBar(IMediaEngine& engine, QWidget* parent) : QWidget(parent), m_engine(engine)
{
    setObjectName("PlayerControlBar");
    InstallNamedComboAccessible();
    m_playPause = makeButton(this, "播放", "播放 (空格)");
    m_stop = makeButton(this, "停止", "停止");
    m_mute = makeButton(this, "静音", "静音 (M)");
    m_mute->setCheckable(true);
    m_position = new SeekSlider(this);
    m_position->setRange(0, 0);  // milliseconds
    m_position->setSingleStep(1000);
    m_position->setPageStep(5000);
    describe(m_position, "播放位置", "播放位置：点击或拖动跳到该处 (←/→ 2 秒，Shift 0.1 秒)");
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setMaximumWidth(70);
    describe(m_volume, "音量", "音量");
    m_speed = new QComboBox(this);
    describe(m_speed, "播放速度", "播放速度 (退格键恢复 1.00x)");
    m_slower = makeButton(this, "减慢", "减慢 0.05 ([)");
    m_slower->setText("-");
    m_faster = makeButton(this, "加快", "加快 0.05 (])");
    m_faster->setText("+");
    m_time = new QLabel(this);
    m_time->setAccessibleName("播放时间");
    m_time->setToolTip("已播放 / 总长");
    showSpeed(1.0);
    showTime(0.0, 0.0);
    buildLayout();
    connectControls();
}

// Two rows keep a 401 px wide player readable; the bottom margin leaves the
// strip the dialog's buttons overlap empty.
void PlayerControlBar::buildLayout()
{
    auto* top = new QHBoxLayout;
    top->addWidget(m_position, 1);
    top->addWidget(m_time);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(2);
    bottom->addWidget(m_playPause);
    bottom->addWidget(m_stop);
    bottom->addStretch(1);
    bottom->addWidget(m_mute);
    bottom->addWidget(m_volume);
    bottom->addSpacing(6);
    bottom->addWidget(m_slower);
    bottom->addWidget(m_speed);
    bottom->addWidget(m_faster);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, kBottomClearance);
    rows->setSpacing(0);
    rows->addLayout(top);
    rows->addLayout(bottom);
}

void PlayerControlBar::connectControls()
{
    connect(m_playPause, &QToolButton::clicked, this, [this] { togglePlay(); });
    connect(m_stop, &QToolButton::clicked, this, [this] { guarded([this] { m_engine.Stop(); }); });
    connect(m_mute, &QToolButton::clicked, this, [this] { toggleMute(); });
    connect(m_volume, &QSlider::valueChanged, this, [this](int v) { guarded([&] { m_engine.SetVolume(v); }); });
    connect(m_speed, &QComboBox::currentIndexChanged, this,
            [this](int i) { setSpeed(m_speed->itemData(i).toDouble()); });
    connect(m_slower, &QToolButton::clicked, this, [this] { stepSpeed(-1); });
    connect(m_faster, &QToolButton::clicked, this, [this] { stepSpeed(1); });
    connect(m_position, &QSlider::sliderMoved, this, [this](int ms) { showTime(ms / 1000.0, m_status.duration); });
    connect(m_position, &QSlider::sliderReleased, this, [this] { seekToSlider(); });
    // The wheel steps the slider without a drag.
    connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && !m_position->isSliderDown())
            seekToSlider();
    });
}

QSlider* PlayerControlBar::positionSlider() const { return m_position; }

// A failing engine operation must not escape a Qt slot; it is reported instead.
template <typename F> bool PlayerControlBar::guarded(F&& operation)
{
    try {
        operation();
        return true;
    } catch (const MediaError& e) {
        emit failed(QString::fromUtf8(e.what()));
        return false;
    }
}

void PlayerControlBar::togglePlay()
{
    if (m_playToggleTaker && m_playToggleTaker())
        return;
    // The engine's own status is fresher than the last one the bar was shown.
    const PlayerStatus now = m_engine.Status();
    if (atMediaEnd(now)) {
        if (!guarded([this] { m_engine.SetPosition(0.0); }))
            return;
        emit seeked(0.0);
        guarded([this] { m_engine.Play(); });
        return;
    }
    guarded([&] { now.paused ? m_engine.Play() : m_engine.Pause(); });
}

// After the end of the media, a move (a click on the waveform or the
// slider, a key) plays on from there: the file is done with, and a silent
// jump would look like a fault.
void PlayerControlBar::seekTo(double seconds)
{
    seconds = std::max(0.0, seconds);
    if (m_status.duration > 0.0)
        seconds = std::min(seconds, m_status.duration);
    const bool ended = atMediaEnd(m_engine.Status());
    if (!guarded([&] { m_engine.SetPosition(seconds); }))
        return;
    emit seeked(seconds);
    if (ended)
        guarded([this] { m_engine.Play(); });
}

void PlayerControlBar::seekBy(double seconds)
{
    double from = 0.0;
    if (guarded([&] { from = m_engine.GetPosition(); }))
        seekTo(from + seconds);
}

void PlayerControlBar::seekToSlider() { seekTo(m_position->sliderPosition() / 1000.0); }

void PlayerControlBar::setSpeed(double factor)
{
    if (guarded([&] { m_engine.SetSpeed(factor); }))
        showSpeed(factor);
    else
        showSpeed(m_speedShown);
}

void PlayerControlBar::stepSpeed(int steps) { setSpeed(SteppedSpeed(m_speedShown, steps)); }

void PlayerControlBar::toggleMute()
{
    const bool muted = !m_mutedShown;
    showMuted(guarded([&] { m_engine.SetMuted(muted); }) ? muted : m_mutedShown);
}

bool PlayerControlBar::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    // Shortcuts with Ctrl, Alt or Meta belong to others.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const bool shift = modifiers & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_Space: togglePlay(); return true;
    case Qt::Key_Left: seekBy(shift ? -kShortSeek : -kLongSeek); return true;
    case Qt::Key_Right: seekBy(shift ? kShortSeek : kLongSeek); return true;
    case Qt::Key_Home: seekTo(0.0); return true;
    case Qt::Key_BracketLeft: stepSpeed(-1); return true;
    case Qt::Key_BracketRight: stepSpeed(1); return true;
    case Qt::Key_Backspace: setSpeed(1.0); return true;
    case Qt::Key_M: toggleMute(); return true;
    default: return false;
    }
}

void PlayerControlBar::showTime(double position, double duration)
{
    const QString played = QString::fromStdString(FormatClock(position, ClockRounding::Down));
    const QString total = QString::fromStdString(FormatClock(duration, ClockRounding::Up));
    m_time->setText(played + " / " + total);
    // The label's name says what it is; a screen reader reads the time here.
    m_time->setAccessibleDescription("已播放 " + played + "，总长 " + total);
}

// The common speeds, and the current one among them when it is not one of them.
void PlayerControlBar::showSpeed(double speed)
{
    m_speedShown = speed;
    std::vector<double> speeds = CommonSpeeds();
    const auto near = [speed](double s) { return std::abs(s - speed) < 1e-6; };
    if (std::none_of(speeds.begin(), speeds.end(), near))
        speeds.insert(std::upper_bound(speeds.begin(), speeds.end(), speed), speed);
    const QSignalBlocker block(m_speed);
    if (m_speed->count() != int(speeds.size()) || !near(m_speed->currentData().toDouble())) {
        m_speed->clear();
        for (double s : speeds)
            m_speed->addItem(QString::fromStdString(FormatSpeed(s)), s);
    }
    for (int i = 0; i < m_speed->count(); ++i)
        if (near(m_speed->itemData(i).toDouble()))
            m_speed->setCurrentIndex(i);
    m_slower->setEnabled(speed > kSlowestSpeed + 1e-6);
    m_faster->setEnabled(speed < kFastestSpeed - 1e-6);
}

void PlayerControlBar::showMuted(bool muted)
{
    m_mutedShown = muted;
    const QSignalBlocker block(m_mute);
    m_mute->setChecked(muted);
    showIcons();
    m_mute->setToolTip(muted ? "取消静音 (M)" : "静音 (M)");
}

// The tool buttons' size does not depend on their icons, so the layout
// stays as it is when they come.
void PlayerControlBar::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!m_iconsAsked) {
        m_iconsAsked = true;
        QTimer::singleShot(0, this, [this] {
            m_iconsShown = true;
            showIcons();
        });
    }
}

void PlayerControlBar::showIcons()
{
    if (!m_iconsShown)
        return;
    m_playPause->setIcon(style()->standardIcon(showsPlay(m_status) ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
    m_stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_mute->setIcon(style()->standardIcon(m_mutedShown ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
}

void PlayerControlBar::showPassage(double start, double end) { m_position->setPassage(milliseconds(start), milliseconds(end)); }

// The engine's status lags behind what the bar has just set: a speed or
// mute is taken from it only when it changes there.
void PlayerControlBar::showStatus(const PlayerStatus& status)
{
    const PlayerStatus last = m_status;
    m_status = status;
    if (showsPlay(status) != showsPlay(last)) {
        showIcons();
        m_playPause->setToolTip(showsPlay(status) ? "播放 (空格)" : "暂停 (空格)");
        m_playPause->setAccessibleName(showsPlay(status) ? "播放" : "暂停");
    }
    if (!m_position->isSliderDown()) {
        const QSignalBlocker block(m_position);
        m_position->setRange(0, milliseconds(status.duration));
        m_position->setValue(milliseconds(status.position));
        showTime(status.position, status.duration);
    }
    // Only a change of mpv's: its reports lag behind a drag of the slider.
    if (status.volume != last.volume && !m_volume->isSliderDown()) {
        const QSignalBlocker block(m_volume);
        m_volume->setValue(static_cast<int>(std::lround(status.volume)));
    }
    if (status.muted != last.muted)
        showMuted(status.muted);
    if (status.speed != last.speed)
        showSpeed(status.speed);
}
