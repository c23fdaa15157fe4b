#pragma once

class QWidget;

// Keeps a window's never-shown controls out of a screen reader's way: its
// accessible children are only the controls that are not hidden. Call it
// before the window's accessible view is first asked for.
void ShowOnlyShownControlsToScreenReaders(QWidget* window);
