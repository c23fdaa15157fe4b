#include "pane/FullScreenSwitch.h"

#include <QScreen>

void FullScreenSwitch::enter()
{
    if (m_on || !m_widget.parentWidget())
        return;
    m_on = true;
    m_flags = m_widget.windowFlags();
    m_geometry = m_widget.geometry();
    // Siblings are stacked in the order of the parent's children.
    m_siblingAbove = nullptr;
    const QObjectList& siblings = m_widget.parentWidget()->children();
    for (qsizetype i = siblings.indexOf(&m_widget) + 1; i < siblings.size() && !m_siblingAbove; ++i)
        if (auto* sibling = qobject_cast<QWidget*>(siblings[i]); sibling && !sibling->isWindow())
            m_siblingAbove = sibling;
    const QRect screen = m_widget.screen()->geometry();
    // Still the dialog's child: a window of a modal dialog is not blocked by it.
    m_widget.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // Without a window manager to honour the full-screen state, the size does it.
    m_widget.setGeometry(screen);
    m_widget.showFullScreen();
    m_widget.activateWindow();
    m_widget.setFocus(Qt::OtherFocusReason);
}

void FullScreenSwitch::leave()
{
    if (!m_on)
        return;
    m_on = false;
    m_widget.setWindowFlags(m_flags);
    m_widget.setGeometry(m_geometry);
    if (m_siblingAbove)
        m_widget.stackUnder(m_siblingAbove);
    m_widget.show();
    if (QWidget* window = m_widget.window())
        window->activateWindow();
    m_widget.setFocus(Qt::OtherFocusReason);
}
