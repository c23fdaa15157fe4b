#include "app/QuietLibraries.h"

#include <cstdarg>  // before the ALSA header, which uses va_list
#include <alsa/error.h>
#include <cstdlib>

namespace {
void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
}

void QuietSoundLibraries()
{
    setenv("PIPEWIRE_DEBUG", "0", 0);
    snd_lib_error_set_handler(dropAlsaMessage);
}
