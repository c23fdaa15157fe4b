#include "practice/SentenceFinder.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {
// Frames of sound: [begin, end).
struct Run {
    std::ptrdiff_t begin;
    std::ptrdiff_t end;
};

// A sentence: the runs [first, last].
struct Group {
    std::size_t first;
    std::size_t last;
};

constexpr float kSilentDb = -100.0f;
// Below this spread between the quiet and the loud frames there are no
// pauses to tell from speech.
constexpr float kLeastSpreadDb = 10.0f;
// A lone blip of sound this short (a click) is no speech.
constexpr double kShortestBlip = 0.05;

std::vector<float> decibels(const std::vector<float>& levels)
{
    std::vector<float> db(levels.size());
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const float x = levels[i];
        db[i] = x > 1e-5f && std::isfinite(x) ? 20.0f * std::log10(x) : kSilentDb;
    }
    return db;
}

float percentile(std::vector<float> values, double share)
{
    const auto at = static_cast<std::ptrdiff_t>(share * double(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + at, values.end());
    return values[static_cast<std::size_t>(at)];
}

std::vector<Run> soundRuns(const std::vector<float>& db, float threshold)
{
    std::vector<Run> runs;
    const auto n = static_cast<std::ptrdiff_t>(db.size());
    for (std::ptrdiff_t i = 0; i < n;) {
        if (db[static_cast<std::size_t>(i)] <= threshold) {
            ++i;
            continue;
        }
        std::ptrdiff_t j = i;
        while (j < n && db[static_cast<std::size_t>(j)] > threshold)
            ++j;
        runs.push_back({i, j});
        i = j;
    }
    return runs;
}

class Finder {
public:
    Finder(const std::vector<float>& levels, double frameSeconds, const SentenceRules& rules)
        : m_db(decibels(levels)), m_dt(frameSeconds), m_rules(rules)
    {
    }

    std::vector<SubtitleLine> run();

private:
    std::ptrdiff_t frames(double seconds) const { return static_cast<std::ptrdiff_t>(std::lround(seconds / m_dt)); }
    std::ptrdiff_t gapAfter(std::size_t run) const { return m_runs[run + 1].begin - m_runs[run].end; }
    std::ptrdiff_t length(const Group& g) const { return m_runs[g.last].end - m_runs[g.first].begin; }
    void dropBlips();
    void group();
    void joinShort();
    void splitLong();
    std::vector<SubtitleLine> place() const;

    std::vector<float> m_db;
    double m_dt;
    SentenceRules m_rules;
    float m_quietDb = 0.0f;  // what still belongs to a sentence's ends
    std::vector<Run> m_runs;
    std::vector<Group> m_groups;
};

std::vector<SubtitleLine> Finder::run()
{
    if (m_db.empty() || !(m_dt > 0.0))
        return {};
    // The floor is what the pauses sound like (noise, hum, a music bed);
    // the loud frames are the voice. A frame is sound well above the floor
    // and not far below the voice; its ends reach down to just above the floor.
    const float floor = percentile(m_db, 0.10);
    const float loud = percentile(m_db, 0.95);
    if (loud - floor < kLeastSpreadDb)
        return {};
    const float threshold = std::max(floor + 0.35f * (loud - floor), loud - 35.0f);
    m_quietDb = std::max(floor + 0.12f * (loud - floor), loud - 45.0f);
    m_runs = soundRuns(m_db, threshold);
    dropBlips();
    if (m_runs.empty())
        return {};
    group();
    joinShort();
    splitLong();
    return place();
}

void Finder::dropBlips()
{
    const std::ptrdiff_t blip = frames(kShortestBlip), pause = frames(m_rules.sentencePause);
    std::vector<Run> kept;
    for (std::size_t i = 0; i < m_runs.size(); ++i) {
        const Run& r = m_runs[i];
        const bool aloneBefore = i == 0 || r.begin - m_runs[i - 1].end >= pause;
        const bool aloneAfter = i + 1 == m_runs.size() || m_runs[i + 1].begin - r.end >= pause;
        if (r.end - r.begin > blip || !aloneBefore || !aloneAfter)
            kept.push_back(r);
    }
    m_runs = std::move(kept);
}

void Finder::group()
{
    const std::ptrdiff_t pause = frames(m_rules.sentencePause);
    m_groups.push_back({0, 0});
    for (std::size_t i = 0; i + 1 < m_runs.size(); ++i) {
        if (gapAfter(i) >= pause)
            m_groups.push_back({i + 1, i + 1});
        else
            m_groups.back().last = i + 1;
    }
}

// The shortest stretch first joins the neighbour across the shorter pause,
// until every stretch is long enough or only one is left.
void Finder::joinShort()
{
    const std::ptrdiff_t shortest = frames(m_rules.shortest);
    while (m_groups.size() > 1) {
        std::size_t k = 0;
        for (std::size_t i = 1; i < m_groups.size(); ++i)
            if (length(m_groups[i]) < length(m_groups[k]))
                k = i;
        if (length(m_groups[k]) >= shortest)
            break;
        const bool hasBefore = k > 0, hasAfter = k + 1 < m_groups.size();
        const bool before = hasBefore
            && (!hasAfter || gapAfter(m_groups[k - 1].last) <= gapAfter(m_groups[k].last));
        const std::size_t into = before ? k - 1 : k;
        m_groups[into].last = m_groups[into + 1].last;
        m_groups.erase(m_groups.begin() + static_cast<std::ptrdiff_t>(into + 1));
    }
}

// A long stretch is cut at its longest inner pause that leaves both parts
// long enough, and the parts again, until each is short enough or has no
// such pause.
void Finder::splitLong()
{
    const std::ptrdiff_t longest = frames(m_rules.longest), shortest = frames(m_rules.shortest);
    std::vector<Group> out;
    std::vector<Group> todo(m_groups.rbegin(), m_groups.rend());
    while (!todo.empty()) {
        const Group g = todo.back();
        todo.pop_back();
        std::size_t cut = g.last;  // none
        std::ptrdiff_t widest = 0;
        if (length(g) > longest) {
            for (std::size_t i = g.first; i < g.last; ++i) {
                const bool fits = m_runs[i].end - m_runs[g.first].begin >= shortest
                    && m_runs[g.last].end - m_runs[i + 1].begin >= shortest;
                if (fits && gapAfter(i) > widest) {
                    widest = gapAfter(i);
                    cut = i;
                }
            }
        }
        if (cut == g.last) {
            out.push_back(g);
            continue;
        }
        todo.push_back({cut + 1, g.last});
        todo.push_back({g.first, cut});
    }
    m_groups = std::move(out);
}

// A sentence's ends reach out over its soft first and last sounds (down to
// just above the floor), then a little further into the pause; each takes
// at most half of the pause it shares with its neighbour.
std::vector<SubtitleLine> Finder::place() const
{
    const auto n = static_cast<std::ptrdiff_t>(m_db.size());
    std::vector<SubtitleLine> lines;
    for (std::size_t k = 0; k < m_groups.size(); ++k) {
        const std::ptrdiff_t soundBegin = m_runs[m_groups[k].first].begin;
        const std::ptrdiff_t soundEnd = m_runs[m_groups[k].last].end;
        const std::ptrdiff_t before = k == 0 ? 0 : m_runs[m_groups[k - 1].last].end;
        const std::ptrdiff_t after = k + 1 == m_groups.size() ? n : m_runs[m_groups[k + 1].first].begin;
        // The halves of the pauses on either side (the file's ends are all ours).
        const std::ptrdiff_t lowest = k == 0 ? 0 : before + (soundBegin - before + 1) / 2;
        const std::ptrdiff_t highest = k + 1 == m_groups.size() ? n : soundEnd + (after - soundEnd) / 2;
        std::ptrdiff_t begin = soundBegin, end = soundEnd;
        while (begin > lowest && m_db[static_cast<std::size_t>(begin - 1)] > m_quietDb)
            --begin;
        while (end < highest && m_db[static_cast<std::size_t>(end)] > m_quietDb)
            ++end;
        begin = std::max(lowest, begin - frames(m_rules.leadIn));
        end = std::min(highest, end + frames(m_rules.tailOut));
        lines.push_back({double(begin) * m_dt, double(end) * m_dt, {}});
    }
    return lines;
}
}  // namespace

std::vector<SubtitleLine> FindSentences(const std::vector<float>& levels, double frameSeconds,
                                        const SentenceRules& rules)
{
    return Finder(levels, frameSeconds, rules).run();
}

SubtitleLines FindSentences(const LevelTrack& track)
{
    return SubtitleLines(FindSentences(track.levels, track.frameSeconds));
}
