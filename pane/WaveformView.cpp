#include "pane/WaveformView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
const QColor kBackground(16, 20, 24);
const QColor kAxis(48, 56, 64);
const QColor kPeaks(80, 200, 160);
const QColor kPassage(230, 160, 20);
const QColor kPosition(255, 255, 255);
const QColor kLineStart(120, 160, 255);
const QColor kTake(240, 120, 200);
// The take's strip: the lowest quarter of the view.
constexpr double kTakeShare = 0.25;
constexpr int kLineStartTick = 6;  // pixels, at the top and the bottom
constexpr double kShortestSpan = 1.0;  // seconds across the pane, zoomed in fully
constexpr int kLineHalfWidth = 2;      // what a repaint of the position line covers either side
// Peaks are drawn to this share of the half height at the file's loudest,
// with a floor so that a nearly silent file does not show its noise.
constexpr double kFill = 0.9;
constexpr double kQuietestScale = 0.05;
}  // namespace

WaveformView::WaveformView(OverviewOpener openOverview, QWidget* parent)
    : QWidget(parent), m_openOverview(std::move(openOverview))
{
    setObjectName("WaveformView");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(16, 16);
    setAccessibleName("波形");
    setToolTip("点击或拖动跳到该处，滚轮放大或缩小\n"
               "空格 播放/暂停，←/→ 2 秒，Shift+←/→ 0.1 秒，Home 回到开头，[ ] 调速，退格 1.00x，M 静音\n"
               "刻度 = 字幕行的开头：Ctrl+←/→ 上一行/下一行，L 把这一行作为复读段，V 隐藏/显示字幕\n"
               "F6 从窗口任何地方回到播放器");
    m_animation.setTimerType(Qt::PreciseTimer);
    connect(&m_animation, &QTimer::timeout, this, [this] { animate(); });
}

// The decoding thread must be gone before anything it posts to.
WaveformView::~WaveformView() { m_overview.reset(); }

void WaveformView::open(const std::string& path)
{
    clear();
    m_kindTold = false;
    m_doneTold = false;
    m_overview = m_openOverview(path, [this] { postOverviewChange(); });
}

void WaveformView::setTake(double start, std::vector<float> peaks, double step)
{
    m_takeStart = start;
    m_takePeaks = std::move(peaks);
    m_takeStep = step > 0.0 ? step : 0.01;
    m_takePosition = -1.0;
    update();
}

void WaveformView::setTakePosition(double seconds)
{
    m_takePosition = seconds;
    update();
}

void WaveformView::drawTake(QPainter& painter) const
{
    if (m_takePeaks.empty() || duration() <= 0.0)
        return;
    const double strip = height() * kTakeShare;
    const double middle = height() - strip / 2.0;
    QColor shade = kBackground;
    shade.setAlpha(200);
    const double from = xOf(m_takeStart);
    const double to = xOf(m_takeStart + double(m_takePeaks.size()) * m_takeStep);
    painter.fillRect(QRectF(from, height() - strip, to - from, strip), shade);
    // A column per pixel, its highest peak.
    const int first = std::max(0, int(std::floor(from)));
    const int last = std::min(width() - 1, int(std::ceil(to)));
    for (int x = first; x <= last; ++x) {
        const double t0 = (timeAt(x) - m_takeStart) / m_takeStep;
        const double t1 = (timeAt(x + 1) - m_takeStart) / m_takeStep;
        float peak = 0.0f;
        for (long i = std::max(0L, long(t0)); i < std::min(long(m_takePeaks.size()), std::max(long(t0) + 1, long(t1))); ++i)
            peak = std::max(peak, m_takePeaks[std::size_t(i)]);
        const double half = peak * strip / 2.0;
        painter.fillRect(QRectF(x, middle - half, 1, std::max(1.0, 2.0 * half)), kTake);
    }
    if (m_takePosition >= 0.0) {
        const double x = xOf(m_takeStart + m_takePosition);
        painter.fillRect(QRectF(x - 1, height() - strip, 2, strip), kPosition);
    }
}

void WaveformView::clear()
{
    m_takePeaks.clear();
    m_takePosition = -1.0;
    m_overview.reset();
    m_viewStart = 0.0;
    m_viewSpan = 0.0;
    m_lineX = -1;
    m_waveformStale = true;
    update();
}

// Runs on the decoding thread: one queued call at a time is enough.
void WaveformView::postOverviewChange()
{
    if (!m_changePosted.exchange(true))
        QMetaObject::invokeMethod(this, [this] { onOverviewChange(); }, Qt::QueuedConnection);
}

void WaveformView::onOverviewChange()
{
    m_changePosted = false;
    if (!m_overview)
        return;
    const auto state = m_overview->state();
    if (!m_kindTold && state != IWaveformOverview::State::Opening) {
        m_kindTold = true;
        emit mediaKindKnown(state == IWaveformOverview::State::Video);
    }
    if (!m_doneTold && state == IWaveformOverview::State::Done) {
        m_doneTold = true;
        emit overviewDone();
    }
    m_waveformStale = true;
    update();
}

void WaveformView::showStatus(const PlayerStatus& status)
{
    if (status.duration != m_status.duration)
        m_waveformStale = true;
    m_status = status;
    // Held at an end, mpv may not call itself paused, but nothing moves.
    m_clock.report(status.position, status.loaded && !status.paused && !status.eofReached, status.speed,
                   status.duration);
    updateAnimation();
    // While it runs, the animation draws the next frame anyway.
    if (m_waveformStale)
        update();
    else if (!m_animation.isActive())
        animate();
}

void WaveformView::jumpTo(double seconds)
{
    m_clock.jumpTo(seconds);
    animate();
}

void WaveformView::setPassage(double start, double end)
{
    if (start == m_passageStart && end == m_passageEnd)
        return;
    m_passageStart = start;
    m_passageEnd = end;
    update();
}

void WaveformView::setLineStarts(std::vector<double> starts)
{
    m_lineStarts = std::move(starts);
    m_waveformStale = true;
    update();
}

void WaveformView::setFocusShown(bool shown)
{
    m_focusShown = shown;
    update();
}

double WaveformView::duration() const
{
    if (m_status.duration > 0.0)
        return m_status.duration;
    return m_overview ? m_overview->decodedSeconds() : 0.0;
}

double WaveformView::viewSpan() const { return m_viewSpan > 0.0 ? m_viewSpan : duration(); }

double WaveformView::timeAt(double x) const
{
    const double t = m_viewStart + x / std::max(1, width()) * viewSpan();
    return std::clamp(t, 0.0, duration());
}

double WaveformView::xOf(double seconds) const
{
    const double span = viewSpan();
    return span > 0.0 ? (seconds - m_viewStart) / span * width() : -1.0;
}

void WaveformView::updateAnimation()
{
    const bool wanted = isVisible() && m_clock.playing();
    if (wanted && !m_animation.isActive()) {
        const qreal rate = screen() ? screen()->refreshRate() : 60.0;
        m_animation.start(static_cast<int>(1000.0 / std::clamp<qreal>(rate, 20.0, 240.0)));
    } else if (!wanted) {
        m_animation.stop();
    }
}

void WaveformView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateAnimation();
}

void WaveformView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    updateAnimation();
}

// One frame of the position line: only the strips under its last and its
// new place are painted again, and nothing at all while it stays on its pixel.
void WaveformView::animate()
{
    const double position = m_dragging ? m_dragTime : m_clock.at();
    keepInView(position);
    repaintLine(static_cast<int>(std::lround(xOf(position))));
}

void WaveformView::repaintLine(int x)
{
    if (x == m_lineX)
        return;
    const int h = height();
    if (m_lineX >= 0)
        update(QRect(m_lineX - kLineHalfWidth, 0, 2 * kLineHalfWidth + 1, h));
    update(QRect(x - kLineHalfWidth, 0, 2 * kLineHalfWidth + 1, h));
    m_lineX = x;
}

// Zoomed in, the view turns a page when the position leaves it.
void WaveformView::keepInView(double position)
{
    if (m_viewSpan <= 0.0 || (position >= m_viewStart && position <= m_viewStart + m_viewSpan))
        return;
    m_viewStart = std::clamp(position - 0.1 * m_viewSpan, 0.0, std::max(0.0, duration() - m_viewSpan));
    m_waveformStale = true;
    update();
}

void WaveformView::zoom(int steps)
{
    const double whole = duration();
    if (whole <= 0.0 || steps == 0)
        return;
    const double span = viewSpan();
    const double wanted = std::clamp(span * std::pow(0.5, steps), std::min(kShortestSpan, whole), whole);
    // The position keeps its place in the pane; off the pane, the middle does.
    const double position = m_clock.at();
    const bool onPane = position >= m_viewStart && position <= m_viewStart + span;
    const double anchor = onPane ? position : m_viewStart + span / 2;
    const double share = (anchor - m_viewStart) / span;
    if (wanted >= whole * 0.999) {
        m_viewSpan = 0.0;
        m_viewStart = 0.0;
    } else {
        m_viewSpan = wanted;
        m_viewStart = std::clamp(anchor - share * wanted, 0.0, whole - wanted);
    }
    m_waveformStale = true;
    update();
}

void WaveformView::wheelEvent(QWheelEvent* event)
{
    m_wheelAngle += event->angleDelta().y();
    const int steps = m_wheelAngle / 120;
    m_wheelAngle -= steps * 120;
    zoom(steps);
    event->accept();
}

void WaveformView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || duration() <= 0.0)
        return QWidget::mousePressEvent(event);
    m_dragging = true;
    m_dragTime = timeAt(event->position().x());
    animate();
}

void WaveformView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return QWidget::mouseMoveEvent(event);
    m_dragTime = timeAt(event->position().x());
    animate();
}

void WaveformView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    m_dragging = false;
    const double target = timeAt(event->position().x());
    m_clock.jumpTo(target);
    animate();
    emit seekRequested(target);
}

void WaveformView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_waveformStale = true;
}

void WaveformView::drawWaveform()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_waveform.size() != pixels)
        m_waveform = QImage(pixels, QImage::Format_RGB32);
    m_waveform.setDevicePixelRatio(1.0);
    m_waveform.fill(kBackground);
    QPainter painter(&m_waveform);
    const int mid = pixels.height() / 2;
    painter.fillRect(0, mid, pixels.width(), 1, kAxis);
    const double span = viewSpan();
    if (m_overview && span > 0.0 && !pixels.isEmpty()) {
        const auto peaks = m_overview->columns(m_viewStart, m_viewStart + span, pixels.width());
        const double scale = kFill * mid / std::max<double>(m_overview->loudest(), kQuietestScale);
        for (int x = 0; x < pixels.width(); ++x) {
            const Peak& p = peaks[static_cast<std::size_t>(x)];
            if (p.empty())
                continue;
            const int top = mid - static_cast<int>(std::lround(p.high * scale));
            const int bottom = mid - static_cast<int>(std::lround(p.low * scale));
            painter.fillRect(x, std::min(top, mid), 1, std::max(1, bottom - top + 1), kPeaks);
        }
    }
    drawLineStarts(painter, pixels);
    m_waveform.setDevicePixelRatio(ratio);
    m_waveformStale = false;
}

// Ticks rather than lines, so the peaks stay readable; one per pixel column
// however many lines start in it.
void WaveformView::drawLineStarts(QPainter& painter, const QSize& pixels) const
{
    const double span = viewSpan();
    if (m_lineStarts.empty() || span <= 0.0)
        return;
    const double perSecond = pixels.width() / span;
    const int tick = std::min(kLineStartTick, pixels.height() / 4);
    auto it = std::lower_bound(m_lineStarts.begin(), m_lineStarts.end(), m_viewStart);
    int lastX = -1;
    for (; it != m_lineStarts.end() && *it <= m_viewStart + span; ++it) {
        const int x = static_cast<int>((*it - m_viewStart) * perSecond);
        if (x == lastX)
            continue;
        lastX = x;
        painter.fillRect(x, 0, 1, tick, kLineStart);
        painter.fillRect(x, pixels.height() - tick, 1, tick, kLineStart);
    }
}

void WaveformView::drawPassage(QPainter& painter) const
{
    if (m_passageStart <= 0.0 && m_passageEnd <= 0.0)
        return;
    const double a = xOf(m_passageStart);
    const double b = xOf(m_passageEnd);
    const bool hasEnd = m_passageEnd > m_passageStart;
    if (hasEnd) {
        QColor shade = kPassage;
        shade.setAlpha(60);
        painter.fillRect(QRectF(a, 0, b - a, height()), shade);
    }
    const QFontMetrics metrics(font());
    auto mark = [&](double x, const QString& letter) {
        painter.fillRect(QRectF(x - 1, 0, 2, height()), kPassage);
        const QRectF box(x + 3, 2, metrics.horizontalAdvance(letter) + 4, metrics.height());
        painter.fillRect(box, kPassage);
        painter.setPen(kBackground);
        painter.drawText(box, Qt::AlignCenter, letter);
    };
    mark(a, "A");
    if (hasEnd)
        mark(b, "B");
}

void WaveformView::paintEvent(QPaintEvent*)
{
    // The line is drawn where the last frame put it, so that it stays
    // inside the strip that frame asked to repaint.
    if (m_waveformStale) {
        drawWaveform();
        m_lineX = static_cast<int>(std::lround(xOf(m_dragging ? m_dragTime : m_clock.at())));
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_waveform);
    drawPassage(painter);
    drawTake(painter);
    if (m_lineX >= 0 && duration() > 0.0 && (m_overview || m_status.loaded))
        painter.fillRect(QRectF(m_lineX - 1, 0, 2, height()), kPosition);
    if (m_focusShown) {
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
