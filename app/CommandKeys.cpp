#include "app/CommandKeys.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

CommandKeys::CommandKeys(QWidget* window) : QObject(window), m_window(window)
{
    // Keys a control does not use travel up to the window, where this sees
    // them before the window's own handling (Esc, Enter).
    window->installEventFilter(this);
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

bool CommandKeys::focusTakesTyping() const
{
    const QWidget* focus = m_window->focusWidget();
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
    if (watched != m_window || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* press = static_cast<const QKeyEvent*>(event);
    // The number pad's keys are the same keys.
    const QKeyCombination key(press->modifiers() & ~Qt::KeypadModifier, Qt::Key(press->key()));
    const Command* command = find(key);
    if (!command || focusTakesTyping())
        return false;
    // A held key runs its command once, as a held mouse button clicks once.
    if (!press->isAutoRepeat() && (!command->available || command->available())) {
        const std::function<void()> run = command->run;  // the table may grow meanwhile
        run();
    }
    return true;
}
