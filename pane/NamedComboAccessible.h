#pragma once

// On Linux Qt gives a combo box its shown text as its name and expects a
// label beside it; the player's speed box has no label, so a box that was
// given an accessible name says that name, with its text as its value.
// Installed once; PlayerControlBar asks for it.
void InstallNamedComboAccessible();
