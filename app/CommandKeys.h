#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QAbstractButton;
class QWidget;

// The window's command keys: a table from a key with its modifiers to a
// command. A key reaches the table only when the control with the focus
// has not used it (the player keeps its own keys, a button its Space, an
// edit its typing), so the table never takes a key from a control; and it
// is left alone while the focus is in a field that takes typing.
class CommandKeys : public QObject {
public:
    struct Command {
        QKeyCombination key;
        std::function<void()> run;
        // While this says no, the key does nothing; empty: always available.
        std::function<bool()> available;
    };

    explicit CommandKeys(QWidget* window);
    // The keys apply in that window too (a part of the window shown in a
    // window of its own, such as a full-screen picture).
    void watch(QWidget* otherWindow);

    // A key already in the table is not added a second time.
    void add(Command command);
    // The key clicks the button as the mouse does, so the button's own
    // handler runs, and nothing happens while it is disabled. Its tooltip
    // becomes `tip` with the key named after it.
    void addButton(QKeyCombination key, QAbstractButton* button, const QString& tip);
    // While this field (or a part of it) has the focus, no key of the table
    // applies. Fields that edit text are left alone anyway.
    void leaveToField(QWidget* field);

    // "A", "Ctrl+Left": as the tooltips name the keys.
    static QString keyName(QKeyCombination key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const Command* find(QKeyCombination key) const;
    bool focusTakesTyping(const QWidget* window) const;

    std::vector<Command> m_commands;
    std::vector<QPointer<QWidget>> m_fields;
};
