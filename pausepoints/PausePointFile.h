#pragma once

#include "app/TextFile.h"

#include <string>
#include <string_view>
#include <vector>

// One piece read from a pause-point file: the text as read (a row of the
// list) and the value it gives.
struct PausePointPiece {
    std::string text;
    double value;
};

inline constexpr std::size_t kPausePieceLimit = 80;  // bytes of a line read, zero included

// The bytes of a file that hold `capacity` pieces: what ParsePausePoints
// can use of it.
constexpr std::size_t PausePointReadLimit(std::size_t capacity) { return BytesForChars(capacity * (kPausePieceLimit - 1)); }

// The pause-point file of a media file: the media path with its last three
// characters replaced by "txt". A path too short for that has no file ("").
std::string PausePointPathFor(const std::string& mediaPath);

// At most `capacity` pieces, one per line read of at most 79 characters.
std::vector<PausePointPiece> ParsePausePoints(std::string_view bytes, std::size_t capacity);
// Whether the bytes go on beyond their first `capacity` pieces. The bytes
// of PausePointReadLimit(capacity) tell it as well as the whole file does.
bool HoldsMorePausePoints(std::string_view bytes, std::size_t capacity);

// "%f" and CR LF per entry, nothing else.
std::string FormatPausePoints(const double* entries, int count);
