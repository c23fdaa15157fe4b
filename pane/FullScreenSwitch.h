#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

// Takes a child widget out of its window to fill the screen as a window of
// its own, and puts it back where it was: same parent, place, size and
// stacking among its siblings (a sibling that overlapped it does again).
class FullScreenSwitch {
public:
    explicit FullScreenSwitch(QWidget& widget) : m_widget(widget) {}

    bool isOn() const { return m_on; }
    void enter();
    void leave();

private:
    QWidget& m_widget;
    bool m_on = false;
    Qt::WindowFlags m_flags;
    QRect m_geometry;
    QPointer<QWidget> m_siblingAbove;
};
