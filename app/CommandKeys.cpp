#include "app/CommandKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>
#include <algorithm>

// A key is seen on its way to the control with the focus and again at
// each parent it travels up to, which only the application's filter sees.
CommandKeys::CommandKeys(QWidget* window) : QObject(window)
{
    qApp->installEventFilter(this);
    watch(window);
}

// Keys a control does not use travel up to its window, where this sees
// them before the window's own handling (Esc, Enter). A widget that is a
// window only for a while is passed over while it is not one.
void CommandKeys::watch(QWidget* otherWindow) { m_windows.emplace_back(otherWindow); }

void CommandKeys::add(Command command)
{
    if (!find(command.key))
        m_commands.push_back(std::move(command));
}

void CommandKeys::addButton(QKeyCombination key, QAbstractButton* button, const QString& tip)
{
    button->setToolTip(tip + " (" + keyName(key) + ")");
    const QPointer<QAbstractButton> target(button);
    add({key, [target] {
             if (target)
                 target->click();  // does nothing on a disabled button
         },
         [target] { return target && target->isEnabled(); }});
}

void CommandKeys::leaveToField(QWidget* field) { m_fields.emplace_back(field); }

QString CommandKeys::keyName(QKeyCombination key) { return QKeySequence(key).toString(QKeySequence::NativeText); }

const CommandKeys::Command* CommandKeys::find(QKeyCombination key) const
{
    for (const Command& command : m_commands)
        if (command.key == key)
            return &command;
    return nullptr;
}

bool CommandKeys::inLeftField(const QWidget* focus) const
{
    for (const QPointer<QWidget>& field : m_fields)
        if (field && (field == focus || field->isAncestorOf(focus)))
            return true;
    return false;
}

bool CommandKeys::isWatched(const QWidget* window) const
{
    return std::any_of(m_windows.begin(), m_windows.end(), [window](const QPointer<QWidget>& w) { return w == window; });
}

bool CommandKeys::take(const QKeyEvent& press, QWidget* window, bool beforeControl)
{
    // The number pad's keys are the same keys.
    const Command* command = find(QKeyCombination(press.modifiers() & ~Qt::KeypadModifier, Qt::Key(press.key())));
    if (!command || (command->reach != Reach::AfterControl) != beforeControl)
        return false;
    const QWidget* focus = window->focusWidget();
    // Qt's own mark of a control that edits text (a read-only edit drops it).
    const bool typing = focus && focus->testAttribute(Qt::WA_InputMethodEnabled);
    if (typing || (focus && command->reach != Reach::Everywhere && inLeftField(focus)))
        return false;
    if ((command->repeats || !press.isAutoRepeat()) && (!command->available || command->available())) {
        const std::function<void()> run = command->run;  // the table may grow meanwhile
        run();
    }
    return true;
}

bool CommandKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    const auto& press = *static_cast<const QKeyEvent*>(event);
    // On its way to any control of a watched window: the keys taken first.
    if (isWatched(widget->window()) && take(press, widget->window(), true))
        return true;
    // At the window itself, what the control with the focus left over.
    if (widget != widget->window() || !isWatched(widget))
        return false;
    return take(press, widget, false);
}
