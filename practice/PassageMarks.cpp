#include "practice/PassageMarks.h"

#include "player/SubtitleLines.h"

#include <cmath>

double StartInPause(const SubtitleLines& sentences, double position)
{
    double best = position;
    bool found = false;
    const auto consider = [&](double at) {
        if (at <= position && position - at <= kMarkReach && (!found || at > best)) {
            best = at;
            found = true;
        }
    };
    for (const SubtitleLine& line : sentences.lines()) {
        consider(line.start);
        consider(line.end);
    }
    return found ? best : position;
}

double EndInPause(const SubtitleLines& sentences, double position)
{
    double best = position;
    bool found = false;
    const auto consider = [&](double at) {
        if (at >= position && at - position <= kMarkReach && (!found || at < best)) {
            best = at;
            found = true;
        }
    };
    for (const SubtitleLine& line : sentences.lines()) {
        consider(line.end);
        consider(line.start);
    }
    return found ? best : position;
}

void NudgePassage(double& start, double& end, bool moveStart, double step)
{
    if (moveStart) {
        const double t = start + step;
        if (step > 0.0 && t > end)
            end += step;
        start = t;
    } else {
        const double t = end + step;
        if (step < 0.0 && t < start)
            start += step;
        end = t;
    }
}
