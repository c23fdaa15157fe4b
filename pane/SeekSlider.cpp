#include "pane/SeekSlider.h"

#include "pane/SeekSliderAccessible.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {
const QColor kPassageColor(230, 160, 20);
}

SeekSlider::SeekSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) { InstallSeekSliderAccessible(); }

void SeekSlider::setPassage(int start, int end)
{
    if (start == m_start && end == m_end)
        return;
    m_start = start;
    m_end = end;
    update();
}

// Where the handle's centre can travel, as the style lays it out.
SeekSlider::Track SeekSlider::track() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    return Track{groove.x() + handle.width() / 2, std::max(1, groove.width() - handle.width())};
}

int SeekSlider::valueAt(int x) const
{
    const Track t = track();
    return QStyle::sliderValueFromPosition(minimum(), maximum(), x - t.left, t.span);
}

int SeekSlider::xOf(int value) const
{
    const Track t = track();
    return t.left + QStyle::sliderPositionFromValue(minimum(), maximum(), value, t.span);
}

void SeekSlider::mousePressEvent(QMouseEvent* event)
{
    // With the handle moved under the pointer first, the slider's own press
    // takes it as a grab of the handle: the release then seeks, as a drag's does.
    // A press on the handle itself is a plain grab.
    if (event->button() == Qt::LeftButton && maximum() > minimum()) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QPoint at = event->position().toPoint();
        if (style()->hitTestComplexControl(QStyle::CC_Slider, &option, at, this) != QStyle::SC_SliderHandle)
            setSliderPosition(valueAt(at.x()));
    }
    QSlider::mousePressEvent(event);
}

void SeekSlider::paintEvent(QPaintEvent* event)
{
    QSlider::paintEvent(event);
    if (maximum() <= minimum() || (m_start <= 0 && m_end <= 0))
        return;
    QPainter painter(this);
    const int a = xOf(m_start);
    if (m_end > m_start) {
        const int b = xOf(m_end);
        QColor shade = kPassageColor;
        shade.setAlpha(80);
        painter.fillRect(QRect(a, height() / 4, b - a, height() / 2), shade);
        painter.fillRect(QRect(b - 1, 0, 2, height()), kPassageColor);
    }
    painter.fillRect(QRect(a - 1, 0, 2, height()), kPassageColor);
}
