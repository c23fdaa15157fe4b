#pragma once

// Lets a screen reader meet the position slider's value in seconds: the
// slider itself counts milliseconds. Installed once; SeekSlider asks for it.
void InstallSeekSliderAccessible();
