#pragma once

#include <string>

// Plain questions about a media file on disk; none of them throws.
namespace mediafile {
// Something exists at path (a file the player had open may have gone).
bool IsThere(const std::string& path);
// A regular file: a pipe or a device would block whoever opens it.
bool IsRegular(const std::string& path);
// Path, size and modification time: what tells one version of a file from
// the next. Empty when the file cannot be examined.
std::string Stamp(const std::string& path);
}  // namespace mediafile
