#pragma once

struct BuiltControls;
class QWidget;

// What a screen reader meets in the main window: names for the controls
// whose caption is empty or only an arrow, and none of the controls that
// are never shown. Nothing visible changes.
void DescribeForScreenReaders(QWidget* window, const BuiltControls& controls);
// The four nudges say which end they move, which way and by how much; the
// step can change with the settings, so they are named again with it.
void NameNudges(const BuiltControls& controls, double step);
