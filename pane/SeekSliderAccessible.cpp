#include "pane/SeekSliderAccessible.h"

#include "pane/SeekSlider.h"

#include <QAccessibleWidget>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kMillisecondsPerSecond = 1000.0;

class SeekSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SeekSliderAccessible(SeekSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(slider()->value() / kMillisecondsPerSecond, 'f', 1) + QStringLiteral(" 秒");
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return slider()->value() / kMillisecondsPerSecond; }
    QVariant maximumValue() const override { return slider()->maximum() / kMillisecondsPerSecond; }
    QVariant minimumValue() const override { return slider()->minimum() / kMillisecondsPerSecond; }
    QVariant minimumStepSize() const override { return slider()->singleStep() / kMillisecondsPerSecond; }

    // Moves the handle and plays from there, as a step of the wheel does.
    void setCurrentValue(const QVariant& value) override
    {
        const double ms = value.toDouble() * kMillisecondsPerSecond;
        if (!std::isfinite(ms))
            return;
        slider()->setSliderPosition(static_cast<int>(std::clamp<double>(ms, slider()->minimum(), slider()->maximum())));
        slider()->triggerAction(QAbstractSlider::SliderNoAction);
    }

private:
    SeekSlider* slider() const { return static_cast<SeekSlider*>(widget()); }
};

QAccessibleInterface* makeInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String(SeekSlider::staticMetaObject.className()))
        return new SeekSliderAccessible(static_cast<SeekSlider*>(object));
    return nullptr;
}
}

void InstallSeekSliderAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(&makeInterface);
        return true;
    }();
    (void)installed;
}
