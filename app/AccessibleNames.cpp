#include "app/AccessibleNames.h"

#include "app/DialogBuilder.h"
#include "app/NumberText.h"
#include "app/ShownControlsAccessible.h"

#include <QString>
#include <QWidget>

namespace {
struct Name {
    int id;
    const char* name;
};

constexpr Name kNames[] = {
    {1001, "媒体文件"},
    {1002, "A 开始 (秒)"},
    {1003, "B 结束 (秒)"},
    {1031, "录音文件"},
};

constexpr Name kNudges[] = {
    {1019, "A 提前"},
    {1020, "A 推后"},
    {1021, "B 提前"},
    {1022, "B 推后"},
};
}

void DescribeForScreenReaders(QWidget* window, const BuiltControls& controls)
{
    ShowOnlyShownControlsToScreenReaders(window);
    for (const Name& n : kNames)
        if (QWidget* control = controls.item(n.id))
            control->setAccessibleName(QString::fromUtf8(n.name));
}

void NameNudges(const BuiltControls& controls, double step)
{
    const QString by = QString::fromStdString(FormatShown(step)) + QStringLiteral(" 秒");
    for (const Name& n : kNudges)
        if (QWidget* control = controls.item(n.id))
            control->setAccessibleName(QString::fromUtf8(n.name) + ' ' + by);
}
