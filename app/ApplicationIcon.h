#pragma once

#include <QIcon>

// The pennant: the 16-colour 32 x 32 image shown by the about box and the
// window, with larger and smaller renderings of the same drawing for task
// bars and launchers.
QIcon ApplicationIcon();
