#include "pane/NamedComboAccessible.h"

#include <QAccessibleWidget>
#include <QComboBox>

namespace {
class NamedComboAccessible : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    void doAction(const QString& actionName) override
    {
        if (actionName == showMenuAction() || actionName == pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* makeInterface(const QString& className, QObject* object)
{
    if (className != QLatin1String("QComboBox"))
        return nullptr;
    auto* box = static_cast<QComboBox*>(object);
    return box->accessibleName().isEmpty() || box->isEditable() ? nullptr : new NamedComboAccessible(box);
}
}

void InstallNamedComboAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(&makeInterface);
        return true;
    }();
    (void)installed;
}
