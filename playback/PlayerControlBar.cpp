#include "playback/PlayerControlBar.h"

#include "playback/IPlayerEngine.h"
#include "playback/MediaError.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
constexpr double kSpeeds[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0};

QString clock(double seconds)
{
    const int total = std::max(0, static_cast<int>(std::floor(seconds)));
    const int h = total / 3600, m = total / 60 % 60, s = total % 60;
    return h > 0 ? QString::asprintf("%d:%02d:%02d", h, m, s) : QString::asprintf("%d:%02d", m, s);
}

QToolButton* makeButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
}  // namespace

PlayerControlBar::PlayerControlBar(IMediaEngine& engine, QWidget* parent) : QWidget(parent), m_engine(engine)
{
    setObjectName("PlayerControlBar");
    m_playPause = makeButton(this, QStyle::SP_MediaPlay, tr("Play"));
    m_stop = makeButton(this, QStyle::SP_MediaStop, tr("Stop"));
    m_mute = makeButton(this, QStyle::SP_MediaVolume, tr("Mute"));
    m_mute->setCheckable(true);
    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setRange(0, 0);  // milliseconds
    m_position->setSingleStep(1000);
    m_position->setPageStep(5000);
    m_position->setFocusPolicy(Qt::NoFocus);
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setMaximumWidth(80);
    m_volume->setFocusPolicy(Qt::NoFocus);
    m_speed = new QComboBox(this);
    for (double speed : kSpeeds)
        m_speed->addItem(QString::number(speed, 'f', 2) + "x", speed);
    m_speed->setCurrentIndex(2);
    m_speed->setFocusPolicy(Qt::NoFocus);
    m_time = new QLabel(this);
    showTime(0.0, 0.0);

    // Two rows keep a 401 px wide player readable; the bottom margin leaves
    // the strip the dialog's buttons overlap empty.
    auto* top = new QHBoxLayout;
    top->addWidget(m_position, 1);
    top->addWidget(m_time);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_playPause);
    bottom->addWidget(m_stop);
    bottom->addStretch(1);
    bottom->addWidget(m_mute);
    bottom->addWidget(m_volume);
    bottom->addWidget(m_speed);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, kBottomClearance);
    rows->setSpacing(0);
    rows->addLayout(top);
    rows->addLayout(bottom);

    connect(m_playPause, &QToolButton::clicked, this, [this] { togglePlay(); });
    connect(m_stop, &QToolButton::clicked, this, [this] { guarded([this] { m_engine.Stop(); }); });
    connect(m_mute, &QToolButton::toggled, this, [this](bool on) { guarded([&] { m_engine.SetMuted(on); }); });
    connect(m_volume, &QSlider::valueChanged, this, [this](int v) { guarded([&] { m_engine.SetVolume(v); }); });
    connect(m_speed, &QComboBox::currentIndexChanged, this,
            [this](int i) { guarded([&] { m_engine.SetSpeed(m_speed->itemData(i).toDouble()); }); });
    connect(m_position, &QSlider::sliderMoved, this,
            [this](int ms) { showTime(ms / 1000.0, m_status.duration); });
    connect(m_position, &QSlider::sliderReleased, this, [this] { seekToSlider(); });
    // Clicks beside the handle and keys step the slider without a drag.
    connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && !m_position->isSliderDown())
            seekToSlider();
    });

    m_engine.SetStatusListener([this](const PlayerStatus& status) { showStatus(status); });
}

PlayerControlBar::~PlayerControlBar() { m_engine.SetStatusListener(nullptr); }

// A failing engine operation must not escape a Qt slot; it is reported instead.
template <typename F> void PlayerControlBar::guarded(F&& operation)
{
    try {
        operation();
    } catch (const MediaError& e) {
        emit failed(QString::fromUtf8(e.what()));
    }
}

void PlayerControlBar::togglePlay()
{
    // The engine's own status is fresher than the last one the bar was shown.
    const bool paused = m_engine.Status().paused;
    guarded([&] { paused ? m_engine.Play() : m_engine.Pause(); });
}

void PlayerControlBar::seekToSlider()
{
    const double seconds = m_position->sliderPosition() / 1000.0;
    guarded([&] { m_engine.SetPosition(seconds); });
}

void PlayerControlBar::showTime(double position, double duration)
{
    m_time->setText(clock(position) + " / " + clock(duration));
}

void PlayerControlBar::showStatus(const PlayerStatus& status)
{
    m_status = status;
    m_playPause->setIcon(style()->standardIcon(status.paused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
    m_playPause->setToolTip(status.paused ? tr("Play") : tr("Pause"));
    if (!m_position->isSliderDown()) {
        const QSignalBlocker block(m_position);
        m_position->setRange(0, static_cast<int>(std::lround(status.duration * 1000.0)));
        m_position->setValue(static_cast<int>(std::lround(status.position * 1000.0)));
        showTime(status.position, status.duration);
    }
    {
        const QSignalBlocker block(m_volume);
        m_volume->setValue(static_cast<int>(std::lround(status.volume)));
    }
    {
        const QSignalBlocker block(m_mute);
        m_mute->setChecked(status.muted);
        m_mute->setIcon(style()->standardIcon(status.muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    }
    const QSignalBlocker block(m_speed);
    for (int i = 0; i < m_speed->count(); ++i)
        if (std::abs(m_speed->itemData(i).toDouble() - status.speed) < 1e-6)
            m_speed->setCurrentIndex(i);
}
