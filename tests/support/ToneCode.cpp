#include "ToneCode.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

double ToneCode::Frequency(int tone) const { return 400.0 + 40.0 * ((tone * 37) % kTones); }

double ToneCode::FrequencyAt(int tone, double intoSlot) const
{
    return Frequency(tone) + sweep * (intoSlot / kToneSeconds - 0.5);
}

int ToneCode::ToneAt(double t) const
{
    const double slot = std::floor((t - start) / kToneSeconds);
    return slot >= 0.0 && slot < kTones ? int(slot) : -1;
}

namespace {
// Pink noise (Paul Kellet's economy filter) in bursts with silences between,
// of varying length and loudness, the same every time.
class NoiseBursts {
public:
    double next(int rate)
    {
        if (m_left <= 0) {
            m_loud = !m_loud;
            m_left = int(rate * (m_loud ? uniform(0.3, 1.5) : uniform(0.2, 1.0)));
            m_gain = uniform(0.05, 0.5);
        }
        --m_left;
        if (!m_loud)
            return 0.0;
        const double white = uniform(-1.0, 1.0);
        m_b0 = 0.99765 * m_b0 + white * 0.0990460;
        m_b1 = 0.96300 * m_b1 + white * 0.2965164;
        m_b2 = 0.57000 * m_b2 + white * 1.0526913;
        return m_gain * 0.25 * (m_b0 + m_b1 + m_b2 + white * 0.1848);
    }

private:
    double uniform(double low, double high)
    {
        m_seed = m_seed * 1664525u + 1013904223u;
        return low + (high - low) * double(m_seed >> 8) / double(1u << 24);
    }
    std::uint32_t m_seed = 2024;
    bool m_loud = false;
    int m_left = 0;
    double m_gain = 0.0, m_b0 = 0.0, m_b1 = 0.0, m_b2 = 0.0;
};

std::int16_t toSample(double v) { return static_cast<std::int16_t>(std::lround(32767.0 * std::clamp(v, -1.0, 1.0))); }
}  // namespace

std::vector<std::int16_t> ToneCode::Render(double seconds, bool noise) const
{
    const auto count = static_cast<std::size_t>(seconds * rate);
    const auto first = static_cast<long>(std::lround(start * rate));
    const auto slot = static_cast<long>(std::lround(kToneSeconds * rate));
    std::vector<std::int16_t> samples(count);
    NoiseBursts bursts;
    double phase = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const long fromStart = long(i) - first;
        if (fromStart >= 0 && fromStart < slot * kTones) {
            const double intoSlot = (double(fromStart % slot) + 0.5) / rate;
            phase += 2.0 * M_PI * FrequencyAt(int(fromStart / slot), intoSlot) / rate;
            samples[i] = toSample(kAmplitude * std::sin(phase));
        } else if (noise && (fromStart < -rate || fromStart >= slot * kTones + rate)) {
            samples[i] = toSample(bursts.next(rate));
        }
    }
    return samples;
}

namespace {
using Samples = std::vector<std::int16_t>;
constexpr double kLoud = 0.02;  // of full scale: sound, not silence

// The amplitude of one frequency in samples [from, from + n), by Goertzel.
double amplitude(const Samples& x, long from, long n, double frequency, int rate)
{
    if (from < 0 || n <= 0 || from + n > long(x.size()))
        return 0.0;
    const double c = 2.0 * std::cos(2.0 * M_PI * frequency / rate);
    double s1 = 0.0, s2 = 0.0;
    for (long i = from; i < from + n; ++i) {
        const double s0 = x[std::size_t(i)] / 32768.0 + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / double(n);
}

// The tone that sounds loudest in [from, from + n), or -1 when none does.
int nameTone(const Samples& x, long from, long n, const ToneCode& code)
{
    int best = -1;
    double loudest = ToneCode::kAmplitude / 4.0;
    for (int k = 0; k < ToneCode::kTones; ++k) {
        const double a = amplitude(x, from, n, code.Frequency(k), code.rate);
        if (a > loudest) {
            loudest = a;
            best = k;
        }
    }
    return best;
}

// The sample in [low, high] where tone `before` gives way to tone `after`.
long changePoint(const Samples& x, int before, int after, long low, long high, const ToneCode& code)
{
    const long w = code.rate / 100;
    long best = low;
    double most = -1.0;
    for (long n = low; n <= high; ++n) {
        const double m = amplitude(x, n - w, w, code.Frequency(before), code.rate) +
                         amplitude(x, n, w, code.Frequency(after), code.rate);
        if (m > most) {
            most = m;
            best = n;
        }
    }
    return best;
}

struct Windows {
    long change, name, slot, edge, pitch;
};

// Seconds into tone k's slot at the middle of samples [from, from + n),
// read from the pitch there: the peak of the Hann-windowed spectrum within
// the tone's sweep, refined by a parabola. NAN when the window cannot lie
// within the slot, as when it spans a change of tone.
double pitchTime(const Samples& x, long from, long n, int k, const ToneCode& code)
{
    if (from < 0 || n < 3 || from + n > long(x.size()))
        return NAN;
    std::vector<double> windowed(std::size_t(n), 0.0);
    for (long i = 0; i < n; ++i)
        windowed[std::size_t(i)] = x[std::size_t(from + i)] * (0.5 - 0.5 * std::cos(2.0 * M_PI * (i + 0.5) / n));
    const auto magnitude = [&](double f) {
        const double c = 2.0 * std::cos(2.0 * M_PI * f / code.rate);
        double s1 = 0.0, s2 = 0.0;
        for (double v : windowed) {
            const double s0 = v + c * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        return std::log(std::max(s1 * s1 + s2 * s2 - c * s1 * s2, 1e-30));
    };
    constexpr double kStep = 0.25;
    const double low = code.FrequencyAt(k, 0.0), high = code.FrequencyAt(k, ToneCode::kToneSeconds);
    const int steps = int((high - low) / kStep);
    std::vector<double> m(std::size_t(steps + 1));
    for (int i = 0; i <= steps; ++i)
        m[std::size_t(i)] = magnitude(low + i * kStep);
    const auto peak = std::size_t(std::max_element(m.begin(), m.end()) - m.begin());
    if (peak == 0 || peak == m.size() - 1)
        return NAN;
    const double bend = m[peak - 1] - 2.0 * m[peak] + m[peak + 1];
    const double offset = bend < 0.0 ? 0.5 * (m[peak - 1] - m[peak + 1]) / bend : 0.0;
    const double f = low + (double(peak) + offset) * kStep;
    const double into = (f - low) / (high - low) * ToneCode::kToneSeconds, half = 0.5 * double(n) / code.rate;
    return into >= half && into <= ToneCode::kToneSeconds - half ? into : NAN;
}

// Near its ends a stretched sound still runs at 1x. Where the pitch window
// there spans a change of tone, that change places the end: the file time
// at sample `at` of a piece whose window [from, from + n) sounds tone k
// and one of its neighbours. NAN when no neighbour sounds there.
double byChangeAt1x(const Samples& x, long from, long n, long at, int k, const ToneCode& code)
{
    const long w = code.rate / 100;
    const auto heard = [&](int tone) {
        return tone >= 0 && tone < ToneCode::kTones ? amplitude(x, from, n, code.Frequency(tone), code.rate) : 0.0;
    };
    const double quiet = ToneCode::kAmplitude / 10.0;
    const int before = heard(k - 1) > heard(k + 1) ? k - 1 : k;
    if (std::max(heard(k - 1), heard(k + 1)) < quiet)
        return NAN;
    const long b = changePoint(x, before, before + 1, std::max(from - w / 2, w), from + n + w / 2, code);
    return code.SlotStart(before + 1) + double(at - b) / code.rate;
}

// The file time of the piece's first sample: on sweeping tones, the pitch
// just after it; otherwise the tone a change-window in, and the sample
// where it gives way to the next one.
void placeStart(const Samples& x, HeardPiece& piece, const ToneCode& code, double speed, const Windows& w)
{
    const long f = long(piece.first), l = long(piece.last);
    if (code.sweep > 0.0) {
        // Near its ends the sound runs at 1x even when stretched.
        const int k = nameTone(x, f + w.edge, w.name, code);
        const double at = k < 0 ? NAN : byChangeAt1x(x, f + w.edge, w.pitch, f, k, code);
        const double into = k < 0 || std::isfinite(at) ? NAN : pitchTime(x, f + w.edge, w.pitch, k, code);
        if (std::isfinite(at) || std::isfinite(into)) {
            piece.start = std::isfinite(at) ? at
                                            : code.SlotStart(k) + into - (double(w.edge) + 0.5 * double(w.pitch)) / code.rate;
            return;
        }
    }
    const long from = f + w.change;
    const int k = nameTone(x, from, w.name, code);
    if (k < 0 || k + 1 >= ToneCode::kTones)
        return;
    const long b = changePoint(x, k, k + 1, from, std::min(from + w.name + w.slot + w.change, l - w.change), code);
    piece.start = code.SlotStart(k + 1) - double(b - f) * speed / code.rate;
}

// The file time just past the piece's last sample, the same way backwards.
void placeEnd(const Samples& x, HeardPiece& piece, const ToneCode& code, double speed, const Windows& w)
{
    const long f = long(piece.first), past = long(piece.last) + 1;
    if (code.sweep > 0.0) {
        const long to = past - w.edge;
        const int k = nameTone(x, to - w.name, w.name, code);
        const double at = k < 0 ? NAN : byChangeAt1x(x, to - w.pitch, w.pitch, past, k, code);
        const double into = k < 0 || std::isfinite(at) ? NAN : pitchTime(x, to - w.pitch, w.pitch, k, code);
        if (std::isfinite(at) || std::isfinite(into)) {
            piece.end = std::isfinite(at) ? at
                                          : code.SlotStart(k) + into + (double(w.edge) + 0.5 * double(w.pitch)) / code.rate;
            return;
        }
    }
    const long to = past - w.change;
    const int k = nameTone(x, to - w.name, w.name, code);
    if (k < 1)
        return;
    const long b = changePoint(x, k - 1, k, std::max(to - w.name - w.slot - w.change, f + w.change), to, code);
    piece.end = code.SlotStart(k) + double(past - b) * speed / code.rate;
}

// Runs of sound separated by at least gap samples of silence.
std::vector<HeardPiece> loudRuns(const Samples& x, long gap)
{
    std::vector<HeardPiece> runs;
    const int loud = int(kLoud * 32768.0);
    long lastLoud = -1;
    for (long i = 0; i < long(x.size()); ++i) {
        if (std::abs(int(x[std::size_t(i)])) <= loud)
            continue;
        if (runs.empty() || i - lastLoud > gap) {
            HeardPiece run;
            run.first = std::size_t(i);
            runs.push_back(run);
        }
        runs.back().last = std::size_t(i);
        lastLoud = i;
    }
    return runs;
}

// Splits a run where the sound jumps in the file: a named tone that is
// neither the one before nor its successor, and holds for a window more.
// A window across a change of tone, stretched to twice its length, can
// name a third tone for a moment, near the pitch where one ends.
void splitAtJumps(const Samples& x, const HeardPiece& run, const ToneCode& code, const Windows& w,
                  std::vector<HeardPiece>& pieces)
{
    const long step = code.rate / 200;
    long pieceFirst = long(run.first);
    int previous = -1;
    long previousAt = 0;
    for (long p = long(run.first); p + w.name <= long(run.last); p += step) {
        const int k = nameTone(x, p, w.name, code);
        if (k < 0)
            continue;
        if (previous >= 0 && k != previous && k != previous + 1) {
            const int next = p + 2 * w.name <= long(run.last) ? nameTone(x, p + w.name, w.name, code) : -1;
            if (next != k && next != k + 1)
                continue;
            const long j = changePoint(x, previous, k, previousAt + w.name / 2 - w.change, p + w.name / 2 + w.change, code);
            HeardPiece before;
            before.first = std::size_t(pieceFirst);
            before.last = std::size_t(j - 1);
            before.silenceBefore = pieceFirst == long(run.first) ? run.silenceBefore : 0.0;
            pieces.push_back(before);
            pieceFirst = j;
        }
        previous = k;
        previousAt = p;
    }
    HeardPiece rest = run;
    rest.first = std::size_t(pieceFirst);
    if (pieceFirst != long(run.first))
        rest.silenceBefore = 0.0;
    pieces.push_back(rest);
}
}  // namespace

std::vector<HeardPiece> ReadHeardPieces(const Samples& recording, const ToneCode& code, double speed, double gapMs)
{
    // The pitch is read 2 ms in from an end, past any fade, over 12 ms.
    const Windows w{code.rate / 100, code.rate / 50, long(ToneCode::kToneSeconds / speed * code.rate),
                    code.rate / 500, code.rate * 12 / 1000};
    std::vector<HeardPiece> runs = loudRuns(recording, long(gapMs * code.rate / 1000.0));
    std::vector<HeardPiece> pieces;
    long previousLast = 0;
    for (HeardPiece& run : runs) {
        run.silenceBefore = double(long(run.first) - previousLast) / code.rate;
        previousLast = long(run.last) + 1;
        splitAtJumps(recording, run, code, w, pieces);
    }
    const long shortest = long(0.06 * code.rate);
    for (HeardPiece& piece : pieces) {
        if (long(piece.last) - long(piece.first) < shortest)
            continue;
        placeStart(recording, piece, code, speed, w);
        placeEnd(recording, piece, code, speed, w);
    }
    return pieces;
}
