#include "app/CommandKeys.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

CommandKeys::CommandKeys(QWidget* window) : QObject(window) { watch(window); }

void CommandKeys::watch(QWidget* otherWindow)
{
    // Keys a control does not use travel up to its window, where this sees
    // them before the window's own handling (Esc, Enter). A widget that is
    // a window only for a while is passed over while it is not one.
    otherWindow->installEventFilter(this);
}

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

bool CommandKeys::focusTakesTyping(const QWidget* window) const
{
    const QWidget* focus = window->focusWidget();
    if (!focus)
        return false;
    for (const QPointer<QWidget>& field : m_fields)
        if (field && (field == focus || field->isAncestorOf(focus)))
            return true;
    // Qt's own mark of a control that edits text (a read-only edit drops it).
    return focus->testAttribute(Qt::WA_InputMethodEnabled);
}

bool CommandKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()
        || static_cast<QWidget*>(watched) != static_cast<QWidget*>(watched)->window())
        return QObject::eventFilter(watched, event);
    const auto* press = static_cast<const QKeyEvent*>(event);
    // The number pad's keys are the same keys.
    const QKeyCombination key(press->modifiers() & ~Qt::KeypadModifier, Qt::Key(press->key()));
    const Command* command = find(key);
    if (!command || focusTakesTyping(static_cast<QWidget*>(watched)))
        return false;
    // A held key runs its command once, as a held mouse button clicks once.
    if (!press->isAutoRepeat() && (!command->available || command->available())) {
        const std::function<void()> run = command->run;  // the table may grow meanwhile
        run();
    }
    return true;
}
