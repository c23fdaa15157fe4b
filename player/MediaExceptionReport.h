#pragma once

#include <string>

class MediaError;

// The fault report of the media guard: "Code = %x, Address = %p", and for an
// access violation "Attempt to read|write data at address %p" after it. The
// code in lower-case hex, each address in upper-case hex padded to the width
// of a pointer, neither with a prefix. Bounded to 299 characters.
std::string FormatMediaException(const MediaError& error);
