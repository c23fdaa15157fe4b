#pragma once

#include <optional>
#include <string>
#include <vector>

// One timed line of a subtitle or transcript file: shown from start up to,
// not including, end (seconds), as plain text ("\n" between its rows).
struct SubtitleLine {
    double start = 0.0;
    double end = 0.0;
    std::string text;
};

// A file's lines in the order they start, and which of them plays when.
// Lines may overlap and come in any order: the line playing at a position
// is the one whose span holds it, the latest starting first (of two that
// start together, the later in the file). Lines without a span (end not
// after start, negative or not finite times) are dropped.
class SubtitleLines {
public:
    SubtitleLines() = default;
    explicit SubtitleLines(std::vector<SubtitleLine> lines);

    bool empty() const { return m_lines.empty(); }
    const std::vector<SubtitleLine>& lines() const { return m_lines; }

    // The line playing at the position, or nullptr between lines.
    const SubtitleLine* playingAt(double seconds) const;
    // The line playing or, between lines, the next one; nullptr after the last.
    const SubtitleLine* playingOrNext(double seconds) const;
    // Where the line before the one playing starts (between lines: the one
    // before the position), and where the next line after the position
    // starts; nothing when there is no such line.
    std::optional<double> previousStart(double seconds) const;
    std::optional<double> nextStart(double seconds) const;

private:
    // From `from` on, up to the next stretch, line `line` plays (-1: none).
    struct Stretch {
        double from;
        int line;
    };
    void buildStretches();

    std::vector<SubtitleLine> m_lines;
    std::vector<Stretch> m_stretches;
};
