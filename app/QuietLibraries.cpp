#include "app/QuietLibraries.h"

#include <cstdlib>

void QuietSoundLibraries() { setenv("PIPEWIRE_DEBUG", "0", 0); }
