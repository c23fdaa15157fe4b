#include "player/SubtitleLines.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

namespace {
// A position this close after a line's start counts as at it: a seek
// lands on its target, but the target went through a double's rounding.
constexpr double kAtStart = 1e-6;

bool hasSpan(const SubtitleLine& line)
{
    return std::isfinite(line.start) && std::isfinite(line.end) && line.start >= 0.0 && line.end > line.start;
}
}  // namespace

SubtitleLines::SubtitleLines(std::vector<SubtitleLine> lines)
{
    std::erase_if(lines, [](const SubtitleLine& line) { return !hasSpan(line); });
    std::stable_sort(lines.begin(), lines.end(),
                     [](const SubtitleLine& a, const SubtitleLine& b) { return a.start < b.start; });
    m_lines = std::move(lines);
    buildStretches();
}

// One sweep over the lines' starts and ends: the line playing changes only
// there, so a lookup is a binary search over the stretches between them.
// Lines keep their sorted index, so the largest active index is the latest
// starting one.
void SubtitleLines::buildStretches()
{
    struct Edge {
        double at;
        bool starts;
        int line;
    };
    std::vector<Edge> edges;
    edges.reserve(2 * m_lines.size());
    for (int i = 0; i < int(m_lines.size()); ++i) {
        edges.push_back({m_lines[i].start, true, i});
        edges.push_back({m_lines[i].end, false, i});
    }
    // At the same time a line's end goes before another's start: spans are half open.
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
        return a.at != b.at ? a.at < b.at : (!a.starts && b.starts);
    });
    std::set<int> active;
    for (std::size_t i = 0; i < edges.size();) {
        const double at = edges[i].at;
        for (; i < edges.size() && edges[i].at == at; ++i) {
            if (edges[i].starts)
                active.insert(edges[i].line);
            else
                active.erase(edges[i].line);
        }
        const int playing = active.empty() ? -1 : *active.rbegin();
        if (m_stretches.empty() || m_stretches.back().line != playing)
            m_stretches.push_back({at, playing});
    }
}

const SubtitleLine* SubtitleLines::playingAt(double seconds) const
{
    if (std::isnan(seconds))
        return nullptr;
    auto after = std::upper_bound(m_stretches.begin(), m_stretches.end(), seconds,
                                  [](double s, const Stretch& stretch) { return s < stretch.from; });
    if (after == m_stretches.begin())
        return nullptr;
    const int line = std::prev(after)->line;
    return line < 0 ? nullptr : &m_lines[std::size_t(line)];
}

const SubtitleLine* SubtitleLines::playingOrNext(double seconds) const
{
    if (const SubtitleLine* playing = playingAt(seconds))
        return playing;
    if (std::isnan(seconds))
        return nullptr;
    auto next = std::upper_bound(m_lines.begin(), m_lines.end(), seconds,
                                 [](double s, const SubtitleLine& line) { return s < line.start; });
    // Of lines starting together, the one that will be playing.
    return next == m_lines.end() ? nullptr : playingAt(next->start);
}

std::optional<double> SubtitleLines::previousStart(double seconds) const
{
    if (std::isnan(seconds))
        return std::nullopt;
    const SubtitleLine* playing = playingAt(seconds);
    const double before = (playing ? playing->start : seconds) - kAtStart;
    auto first = std::lower_bound(m_lines.begin(), m_lines.end(), before,
                                  [](const SubtitleLine& line, double s) { return line.start < s; });
    if (first == m_lines.begin())
        return std::nullopt;
    return std::prev(first)->start;
}

std::optional<double> SubtitleLines::nextStart(double seconds) const
{
    if (std::isnan(seconds))
        return std::nullopt;
    auto next = std::upper_bound(m_lines.begin(), m_lines.end(), seconds + kAtStart,
                                 [](double s, const SubtitleLine& line) { return s < line.start; });
    return next == m_lines.end() ? std::nullopt : std::optional<double>(next->start);
}
