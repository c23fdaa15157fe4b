#pragma once

#include "res/DialogTemplate.h"

#include <QIcon>
#include <QRect>
#include <map>
#include <vector>

class QWidget;

// Fixed dialog base units: 6 x 13 pixels, at which one horizontal dialog
// unit is 1.5 pixels and one vertical unit 1.625 pixels.
inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 13;

// A rectangle in dialog units converted to pixels, rounding as the classic
// dialog manager does.
QRect DialogUnitsToPixels(int x, int y, int w, int h);

// The widgets made from a template, by identifier and in creation order.
struct BuiltControls {
    std::vector<QWidget*> inOrder;
    std::map<int, QWidget*> byId;  // controls with identifier -1 are left out
    QWidget* item(int id) const;
};

// Creates the controls of a template inside `dialog`, in table order, so
// that the tab order follows the table. Later controls stack above earlier
// ones (About and Exit above the player's bottom edge); group boxes let
// clicks through to what they frame. The widget for the
// media player entry is supplied by the caller and only placed.
BuiltControls BuildControls(QWidget* dialog, const DialogTemplate& tmpl,
                            QWidget* mediaPlayer, const QIcon& icon);

// Fixes the dialog's client size and window flags from its template.
void ApplyDialogFrame(QWidget* dialog, const DialogTemplate& tmpl);
