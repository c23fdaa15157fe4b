#include "readers/LrcReader.h"

#include "readers/TextEncoding.h"
#include "readers/SubtitleReader.h"
#include "player/MediaFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <optional>

namespace subtitles {
namespace {
// One time tag's line, in the order of the file.
struct Entry {
    double time;
    std::size_t order;
    std::string text;
};

std::string converted(const std::string& bytes, const char* from, std::size_t unit)
{
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        char* to = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &left, &to, &room);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        // A sequence that is not in the character set, or is cut off: skip it.
        const std::size_t skip = std::min(left, unit);
        in += skip;
        left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

bool digitsAt(const std::string& s, std::size_t& at, std::size_t most, long long& value, std::size_t& count)
{
    value = 0;
    count = 0;
    while (at < s.size() && count < most && std::isdigit(static_cast<unsigned char>(s[at]))) {
        value = value * 10 + (s[at] - '0');
        ++at;
        ++count;
    }
    return count > 0;
}

// "mm:ss", "mm:ss.xx", "mm:ss.xxx" (also with ":" before the fraction).
std::optional<double> timeOfTag(const std::string& tag)
{
    std::size_t at = 0, count = 0;
    long long minutes = 0, seconds = 0, fraction = 0;
    if (!digitsAt(tag, at, 5, minutes, count) || at >= tag.size() || tag[at++] != ':')
        return std::nullopt;
    if (!digitsAt(tag, at, 2, seconds, count) || seconds >= 60)
        return std::nullopt;
    double value = double(minutes) * 60.0 + double(seconds);
    if (at < tag.size() && (tag[at] == '.' || tag[at] == ':')) {
        ++at;
        if (!digitsAt(tag, at, 3, fraction, count))
            return std::nullopt;
        value += double(fraction) / (count == 1 ? 10.0 : count == 2 ? 100.0 : 1000.0);
        while (at < tag.size() && std::isdigit(static_cast<unsigned char>(tag[at])))
            ++at;  // finer than milliseconds
    }
    return at == tag.size() ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> offsetOfTag(const std::string& tag)
{
    if (tag.size() < 7 || tag.compare(0, 7, "offset:") != 0)
        return std::nullopt;
    std::size_t at = 7;
    while (at < tag.size() && tag[at] == ' ')
        ++at;
    const bool negative = at < tag.size() && tag[at] == '-';
    if (at < tag.size() && (tag[at] == '-' || tag[at] == '+'))
        ++at;
    long long ms = 0;
    std::size_t count = 0;
    if (!digitsAt(tag, at, 9, ms, count) || at != tag.size())
        return std::nullopt;
    return (negative ? -double(ms) : double(ms)) / 1000.0;
}

std::string trimmed(const std::string& s)
{
    std::size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return s.substr(a, b - a);
}

// Word times of the enhanced format ("<00:01.20>word") are no text.
std::string withoutWordTimes(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t close = text[i] == '<' ? text.find('>', i) : std::string::npos;
        if (close != std::string::npos && timeOfTag(text.substr(i + 1, close - i - 1))) {
            i = close;
            continue;
        }
        out += text[i];
    }
    return out;
}

// The tags at a row's start, then its text.
void readRow(const std::string& row, std::vector<Entry>& entries, double& offset)
{
    std::vector<double> times;
    std::size_t at = 0;
    while (at < row.size() && row[at] == '[') {
        const std::size_t close = row.find(']', at);
        if (close == std::string::npos)
            break;
        const std::string tag = trimmed(row.substr(at + 1, close - at - 1));
        if (const auto time = timeOfTag(tag))
            times.push_back(*time);
        else if (const auto shift = offsetOfTag(tag))
            offset = *shift;
        at = close + 1;
        while (at < row.size() && (row[at] == ' ' || row[at] == '\t'))
            ++at;
    }
    if (times.empty())
        return;  // metadata, or no line at all
    std::string text = trimmed(withoutWordTimes(row.substr(at)));
    CutAtCharacter(text, kMaxTextBytes);
    for (double time : times)
        entries.push_back({time, entries.size(), text});
}
}  // namespace

std::string TextAsUtf8(const std::string& bytes)
{
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        // Marked as UTF-8, yet broken here and there: the broken bytes go.
        std::string rest = bytes.substr(3);
        return IsUtf8(rest) ? rest : converted(rest, "UTF-8", 1);
    }
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return converted(bytes, "UTF-16", 2);  // the mark says which end first, and is dropped
    if (IsUtf8(bytes))
        return bytes;
    return converted(bytes, "GB18030", 1);
}

std::vector<SubtitleLine> ParseLrc(const std::string& bytes, double soundSeconds)
{
    const std::string text = TextAsUtf8(bytes);
    std::vector<Entry> entries;
    double offset = 0.0;
    for (std::size_t from = 0; from < text.size() && entries.size() < kMaxLines;) {
        std::size_t to = text.find_first_of("\r\n", from);
        if (to == std::string::npos)
            to = text.size();
        readRow(text.substr(from, to - from), entries, offset);
        from = to + 1;
    }
    for (Entry& e : entries)
        e.time = std::max(0.0, e.time - offset);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.time < b.time; });

    std::vector<SubtitleLine> lines;
    for (std::size_t i = 0; i < entries.size();) {
        // Entries of one time make one line, their texts as rows.
        std::size_t j = i;
        std::string rows;
        for (; j < entries.size() && entries[j].time == entries[i].time; ++j)
            if (!entries[j].text.empty() && rows.size() + entries[j].text.size() < kMaxTextBytes)
                rows.append(rows.empty() ? "" : "\n").append(entries[j].text);
        const double start = entries[i].time;
        double end = j < entries.size() ? entries[j].time
                   : soundSeconds > start ? soundSeconds
                                          : start + kLastLrcLineSeconds;
        if (!rows.empty())
            lines.push_back({start, end, std::move(rows)});
        i = j;
    }
    return lines;
}

std::vector<SubtitleLine> ReadLrcFile(const std::string& path, double soundSeconds)
{
    std::error_code error;
    if (!mediafile::IsRegular(path) || std::filesystem::file_size(path, error) > kMaxBytes || error)
        return {};
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ParseLrc(bytes, soundSeconds);
}
}  // namespace subtitles
