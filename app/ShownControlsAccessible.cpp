#include "app/ShownControlsAccessible.h"

#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace {
constexpr char kShownOnly[] = "accessibleShownControlsOnly";

// Qt lists hidden children too, only marked invisible; a screen reader
// walking the window would still meet them.
class ShownControlsAccessible : public QAccessibleWidget {
public:
    explicit ShownControlsAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Dialog) {}

    int childCount() const override { return static_cast<int>(shownControls().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> shown = shownControls();
        return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown.at(index)) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? static_cast<int>(shownControls().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

private:
    QList<QWidget*> shownControls() const
    {
        QList<QWidget*> shown;
        for (QObject* object : widget()->children())
            if (auto* control = qobject_cast<QWidget*>(object); control && !control->isWindow() && !control->isHidden())
                shown.append(control);
        return shown;
    }
};

QAccessibleInterface* makeInterface(const QString&, QObject* object)
{
    auto* window = qobject_cast<QWidget*>(object);
    if (window && window->property(kShownOnly).toBool())
        return new ShownControlsAccessible(window);
    return nullptr;
}
}

void ShowOnlyShownControlsToScreenReaders(QWidget* window)
{
    static const bool installed = [] {
        QAccessible::installFactory(&makeInterface);
        return true;
    }();
    (void)installed;
    window->setProperty(kShownOnly, true);
}
