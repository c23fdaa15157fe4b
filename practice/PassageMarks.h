#pragma once

class SubtitleLines;

// Marks that land in the pause rather than on the word: a press a little
// late for A, or a little early for B, still takes the whole sentence.
inline constexpr double kMarkReach = 0.5;  // seconds a mark may move
inline constexpr double kFineNudge = 0.05;  // seconds, the nudge by key

// A at the nearest sentence start or pause start (a sentence's end) at most
// kMarkReach before the position; the position itself when there is none.
double StartInPause(const SubtitleLines& sentences, double position);
// B at the nearest sentence end or pause end (a sentence's start) at most
// kMarkReach after the position; the position itself when there is none.
double EndInPause(const SubtitleLines& sentences, double position);

// Moves A (moveStart) or B by `step` seconds, as the half-second buttons
// do: when A passes B, B is pushed by the same step, and A likewise.
void NudgePassage(double& start, double& end, bool moveStart, double step);
