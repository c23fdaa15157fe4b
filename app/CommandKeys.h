#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QAbstractButton;
class QKeyEvent;
class QWidget;

// The window's command keys: a table from a key with its modifiers to a
// command. Most keys reach the table only when the control with the focus
// has not used it (the player keeps its own keys, a button its Space, an
// edit its typing), so the table never takes such a key from a control;
// a key that must mean the same wherever the focus is (a button would take
// Ctrl+Right to move the focus on) is taken before the control sees it.
// Either is left alone while the focus is in a field that takes typing.
class CommandKeys : public QObject {
public:
    enum class Reach {
        AfterControl,   // what the control with the focus leaves over
        BeforeControl,  // ahead of the control with the focus
        Everywhere,     // ahead of it, and in the fields left alone too
    };
    struct Command {
        QKeyCombination key;
        std::function<void()> run;
        // While this says no, the key does nothing; empty: always available.
        std::function<bool()> available;
        Reach reach = Reach::AfterControl;
        // A held key acts again with each repeat, as a held arrow key does;
        // otherwise once, as a held mouse button clicks once.
        bool repeats = false;
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
    // applies but those that reach everywhere. Fields that edit text are
    // left alone by every key anyway.
    void leaveToField(QWidget* field);

    // "A", "Ctrl+Left": as the tooltips name the keys.
    static QString keyName(QKeyCombination key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const Command* find(QKeyCombination key) const;
    bool inLeftField(const QWidget* focus) const;
    bool isWatched(const QWidget* window) const;
    // Whether the press was one of the table's; runs its command if so.
    bool take(const QKeyEvent& press, QWidget* window, bool beforeControl);

    std::vector<Command> m_commands;
    std::vector<QPointer<QWidget>> m_fields;
    std::vector<QPointer<QWidget>> m_windows;
};
