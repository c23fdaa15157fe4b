#include "player/MediaExceptionReport.h"

#include "player/MediaError.h"

#include <cinttypes>
#include <cstdio>

namespace {
constexpr int kPointerDigits = static_cast<int>(sizeof(void*) * 2);
constexpr std::size_t kReportSize = 300;

std::uintptr_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }
}

std::string FormatMediaException(const MediaError& error)
{
    char text[kReportSize];
    int length = std::snprintf(text, sizeof text, "Code = %" PRIx32 ", Address = %0*" PRIXPTR,
                               error.code(), kPointerDigits, address(error.raisedAt()));
    if (error.code() == MediaError::kAccessViolation && length > 0 && static_cast<std::size_t>(length) < sizeof text) {
        std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                      "Attempt to %s data at address %0*" PRIXPTR,
                      error.accessWasRead() ? "read" : "write", kPointerDigits,
                      address(error.accessedAddress()));
    }
    return text;
}
