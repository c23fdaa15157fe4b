#include "mpvengine/LargeBuffers.h"

#include <malloc.h>
#include <mutex>

namespace {
// glibc's initial threshold; setting it explicitly turns the raising off.
constexpr int kMapFromBytes = 128 * 1024;
}  // namespace

void ReturnLargeBuffersWhenFreed()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Frees before this call may have raised both thresholds already.
        mallopt(M_MMAP_THRESHOLD, kMapFromBytes);
        mallopt(M_TRIM_THRESHOLD, kMapFromBytes);
    });
}
