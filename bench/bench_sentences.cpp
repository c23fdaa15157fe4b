// The sentences found from a file's pauses, against lessons with known
// boundaries that the benchmark builds itself: espeak-ng sentences (commas
// inside) joined by pauses of 0.3 to 0.9 s, over a quiet noise bed and over
// soft music (both from sox); the LibriVox reading of Debian's
// pocketsphinx-testdata against its transcript; and what the detection adds
// to the waveform pass of a 30-minute MP3.
//   build/bench/bench_sentences [lesson.mp3]
#include "BenchStats.h"
#include "support/TestMedia.h"
#include "player/LevelMeter.h"
#include "player/PeakStore.h"
#include "practice/SentenceFinder.h"
#include "readers/WaveformOverview.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr int kRate = 22050;
constexpr double kNear = 0.080;  // a boundary counts within this of the true pause
constexpr double kEdge = 0.030;  // the first and last speech that must lie inside a sentence

const char* const kSentences[] = {
    "When the rain stopped, we walked along the river to the old bridge.",
    "My brother works in a small shop near the station.",
    "Could you tell me, please, where the nearest post office is?",
    "She has lived in this city for almost ten years.",
    "The train was late again, so I missed the first lesson.",
    "We usually have dinner at seven, after the news.",
    "If you practise every day, your listening will improve quickly.",
    "The museum is closed on Mondays and on public holidays.",
    "He put the keys on the table, picked up his coat, and left.",
    "I would like a cup of tea with a little milk.",
    "Our teacher asked us to read the story twice before class.",
    "The children were playing in the garden when it started to snow.",
    "Please write your name and address at the top of the page.",
    "It takes about twenty minutes to get there by bus.",
    "Although it was cold, the market was full of people.",
    "They are planning a trip to the mountains next summer.",
    "The doctor said that I should drink more water.",
    "On Sundays, my grandmother bakes bread for the whole family.",
    "There is a good restaurant at the end of this street.",
    "I forgot my umbrella, and now my shoes are wet.",
    "The library opens at nine and closes at six.",
    "Learning a language takes time, patience, and a lot of listening.",
    "Turn left at the traffic lights, then go straight on.",
    "We watched a film last night, but it was too long.",
};

struct Span {
    double start, end;
};

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

std::vector<float> readFloats(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<float> out(bytes.size() / sizeof(float));
    std::copy_n(bytes.data(), out.size() * sizeof(float), reinterpret_cast<char*>(out.data()));
    return out;
}

// Any sound file as mono floats at kRate, through sox.
std::vector<float> soxFloats(const QString& in, const QString& raw)
{
    if (!run("sox", {in, "-t", "f32", "-r", QString::number(kRate), "-c", "1", raw}))
        return {};
    return readFloats(raw.toStdString());
}

// A sentence's speech: from the first to the last millisecond that
// reaches 1/100 of its peak (-40 dB).
Span speechOf(const std::vector<float>& x)
{
    float peak = 0.0f;
    for (float v : x)
        peak = std::max(peak, std::abs(v));
    const std::size_t ms = kRate / 1000;
    std::size_t first = x.size(), last = 0;
    for (std::size_t i = 0; i + ms <= x.size(); i += ms)
        for (std::size_t j = i; j < i + ms; ++j)
            if (std::abs(x[j]) >= peak * 0.01f) {
                first = std::min(first, i);
                last = i + ms;
                break;
            }
    return {double(first) / kRate, double(last) / kRate};
}

struct Lesson {
    std::vector<float> samples;
    std::vector<Span> speech;  // true sentence extents, in seconds
};

// The sentences in turn, each cut to its speech, pauses of 0.3 to 0.9 s
// between them, half a second of pause at either end; then the bed.
Lesson buildLesson(const std::vector<std::vector<float>>& voices, const std::vector<float>& bed, float bedGain,
                   float gain, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> pause(0.3, 0.9);
    Lesson lesson;
    lesson.samples.assign(kRate / 2, 0.0f);
    for (std::size_t i = 0; i < voices.size(); ++i) {
        const Span s = speechOf(voices[i]);
        const auto from = static_cast<std::size_t>(s.start * kRate), to = static_cast<std::size_t>(s.end * kRate);
        const double at = double(lesson.samples.size()) / kRate;
        lesson.speech.push_back({at, at + double(to - from) / kRate});
        lesson.samples.insert(lesson.samples.end(), voices[i].begin() + long(from), voices[i].begin() + long(to));
        const double gap = i + 1 < voices.size() ? pause(random) : 0.5;
        lesson.samples.insert(lesson.samples.end(), static_cast<std::size_t>(gap * kRate), 0.0f);
    }
    for (std::size_t i = 0; i < lesson.samples.size() && !bed.empty(); ++i)
        lesson.samples[i] = gain * (lesson.samples[i] + bedGain * bed[i % bed.size()]);
    return lesson;
}

void writeWav(const std::string& path, const std::vector<float>& x)
{
    std::vector<std::int16_t> pcm(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(std::lround(std::clamp(x[i], -1.0f, 1.0f) * 32767.0f));
    WriteSamplesWav(path, pcm, kRate);
}

// The overview of a file to its end, as the pane has it, and its sentences.
std::vector<SubtitleLine> sentencesOf(const std::string& path, double* passCpuMs = nullptr, double* decoded = nullptr)
{
    const double cpu0 = cpuMs();
    WaveformOverview overview(path, nullptr);
    while (overview.state() == IWaveformOverview::State::Opening
           || overview.state() == IWaveformOverview::State::Decoding)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (passCpuMs)
        *passCpuMs = cpuMs() - cpu0;
    if (decoded)
        *decoded = overview.decodedSeconds();
    return FindSentences(overview.levels()).lines();
}

struct Score {
    int sentences = 0, boundaries = 0, hit = 0, extra = 0, clipped = 0, found = 0;
    std::vector<double> leadMs, tailMs;  // room before a sentence's speech and after it
};

bool within(double t, const Span& pause) { return t >= pause.start - kNear && t <= pause.end + kNear; }

Score score(const std::vector<Span>& truth, const std::vector<SubtitleLine>& found)
{
    Score s;
    s.found = int(found.size());
    s.sentences = int(truth.size());
    s.boundaries = int(truth.size()) - 1;
    std::vector<bool> used(found.size(), false);
    for (std::size_t i = 0; i + 1 < truth.size(); ++i) {
        const Span pause{truth[i].end, truth[i + 1].start};
        for (std::size_t k = 0; k + 1 < found.size(); ++k)
            if (!used[k] && within(found[k].end, pause) && within(found[k + 1].start, pause)) {
                used[k] = true;
                ++s.hit;
                break;
            }
    }
    for (std::size_t k = 0; k + 1 < found.size(); ++k)
        s.extra += used[k] ? 0 : 1;
    auto inside = [&](double from, double to) {
        return std::any_of(found.begin(), found.end(),
                           [&](const SubtitleLine& l) { return l.start <= from && to <= l.end; });
    };
    for (const Span& t : truth) {
        s.clipped += inside(t.start, t.start + kEdge) && inside(t.end - kEdge, t.end) ? 0 : 1;
        for (const SubtitleLine& l : found)
            if (l.start <= t.start + kEdge && t.start < l.end) {
                s.leadMs.push_back((t.start - l.start) * 1000.0);
                s.tailMs.push_back((l.end - t.end) * 1000.0);
            }
    }
    return s;
}

void printScore(const char* what, const Score& s)
{
    std::printf("%-34s %3d sentences, %3d found: boundaries within 80 ms %5.1f %% (%d/%d), extra splits %4.1f %%, "
                "sentences cut at an end %d\n",
                what, s.sentences, s.found, 100.0 * s.hit / std::max(1, s.boundaries), s.hit, s.boundaries,
                100.0 * s.extra / std::max(1, s.boundaries), s.clipped);
}

// How much the level meter costs per sample, beside the peak store, on the
// same number of samples as the file's pass decoded.
double meterCpuMs(double seconds, int rate)
{
    std::vector<float> block(4096);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
    for (float& v : block)
        v = sample(random);
    const auto total = static_cast<std::int64_t>(seconds * rate);
    LevelMeter meter(rate);
    const double cpu0 = cpuMs();
    for (std::int64_t done = 0; done < total; done += std::int64_t(block.size()))
        meter.add(block.data(), block.size());
    meter.finish();
    return cpuMs() - cpu0;
}
}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_NUMERIC, "C");
    QTemporaryDir dir;
    auto at = [&dir](const char* name) { return dir.filePath(name); };
    bool toolsThere = run("espeak-ng", {"--version"}) && run("sox", {"--version"});
    if (!toolsThere)
        std::printf("espeak-ng or sox missing (scripts/install-deps.sh installs them): synthetic lessons skipped\n");

    Score total;
    if (toolsThere) {
        std::vector<std::vector<float>> voices[2];
        const char* const speakers[2][2] = {{"en-us", "165"}, {"en-gb", "145"}};
        for (int v = 0; v < 2; ++v)
            for (const char* text : kSentences) {
                run("espeak-ng", {"-v", speakers[v][0], "-s", speakers[v][1], "-w", at("s.wav"), text});
                voices[v].push_back(soxFloats(at("s.wav"), at("s.f32")));
            }
        // A quiet bed of pink noise, about 45 dB under the voice; soft
        // music: a slowly swelling chord, about 25 dB under the voice; the
        // same recorded quietly (30 dB down), and as a loud broadcast over
        // a noisier bed (the voice at full scale, clipping, 30 dB over the noise).
        run("sox", {"-n", "-r", QString::number(kRate), "-c", "1", "-t", "f32", at("noise.f32"), "synth", "60",
                    "pinknoise"});
        run("sox", {"-n", "-r", QString::number(kRate), "-c", "1", "-t", "f32", at("music.f32"), "synth", "60",
                    "sine", "220", "sine", "277.2", "sine", "329.6", "sine", "440", "remix", "-", "tremolo",
                    "0.3", "60"});
        const std::vector<float> noise = readFloats(at("noise.f32").toStdString());
        const std::vector<float> music = readFloats(at("music.f32").toStdString());
        struct Kind {
            const char* name;
            const std::vector<float>* bed;
            float bedGain;
            float gain;
        } kinds[] = {{"noise bed", &noise, 0.004f, 1.0f},
                     {"soft music", &music, 0.015f, 1.0f},
                     {"quiet room", &noise, 0.004f, 0.03f},
                     {"loud broadcast", &noise, 0.02f, 1.6f}};
        for (int v = 0; v < 2; ++v)
            for (const Kind& kind : kinds) {
                const Lesson lesson = buildLesson(voices[v], *kind.bed, kind.bedGain, kind.gain, 17u + unsigned(v));
                const std::string path = at("lesson.wav").toStdString();
                writeWav(path, lesson.samples);
                const Score s = score(lesson.speech, sentencesOf(path));
                const std::string what = std::string(speakers[v][0]) + ", " + kind.name;
                printScore(what.c_str(), s);
                total.sentences += s.sentences;
                total.leadMs.insert(total.leadMs.end(), s.leadMs.begin(), s.leadMs.end());
                total.tailMs.insert(total.tailMs.end(), s.tailMs.begin(), s.tailMs.end());
                total.boundaries += s.boundaries;
                total.hit += s.hit;
                total.extra += s.extra;
                total.clipped += s.clipped;
                total.found += s.found;
            }
        printScore("all synthetic lessons", total);
        PrintStats("room before a sentence's speech", total.leadMs, "ms");
        PrintStats("room after a sentence's speech", total.tailMs, "ms");
        std::printf("goals: >= 95 %% within 80 ms, <= 5 %% extra splits, 0 cut: %s\n",
                    total.hit >= 0.95 * total.boundaries && total.extra <= 0.05 * total.boundaries && total.clipped == 0
                        ? "met" : "NOT met");
    }

    // The LibriVox reading: its five utterances in turn, each with the
    // pauses it was cut with.
    const std::string libri = "/usr/share/pocketsphinx/test/data/librivox";
    if (toolsThere && std::filesystem::exists(libri + "/transcription")) {
        std::ifstream ids(libri + "/fileids");
        QStringList parts;
        std::string id;
        while (ids >> id)
            parts << QString::fromStdString(libri + "/" + id + ".wav");
        std::ifstream tr(libri + "/transcription");
        int expected = 0;
        for (std::string row; std::getline(tr, row);)
            expected += row.find("<s>") != std::string::npos ? 1 : 0;
        parts << at("libri.wav");
        run("sox", parts);
        const auto found = sentencesOf(at("libri.wav").toStdString());
        std::printf("%-34s %d sentences in the transcript, %zu found (%+.0f %%; goal within 10 %%):",
                    "LibriVox reading", expected, found.size(), 100.0 * (double(found.size()) - expected) / expected);
        for (const SubtitleLine& l : found)
            std::printf(" %.2f-%.2f", l.start, l.end);
        std::printf("\n");
    } else {
        std::printf("pocketsphinx-testdata not installed: the LibriVox reading skipped\n");
    }

    // The cost: the 30-minute lesson's whole pass, the meter's share of it
    // (on as many samples), and the finder on its levels.
    std::string media = argc > 1 ? argv[1] : "";
    if (media.empty()) {
        media = (std::filesystem::temp_directory_path() / "quillora-bench-lesson-30min.mp3").string();
        if (!std::filesystem::exists(media))
            WriteSpansMp3(media, LessonSpans(1800.0));
    }
    double passMs = 0.0, decoded = 0.0;
    sentencesOf(media, &passMs, &decoded);
    std::vector<double> meterMs;
    for (int i = 0; i < 3; ++i)
        meterMs.push_back(meterCpuMs(decoded, 44100));
    std::sort(meterMs.begin(), meterMs.end());
    WaveformOverview overview(media, nullptr);
    while (overview.state() == IWaveformOverview::State::Opening || overview.state() == IWaveformOverview::State::Decoding)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const LevelTrack levels = overview.levels();
    const double f0 = cpuMs();
    const auto found = FindSentences(levels);
    const double finderMs = cpuMs() - f0;
    std::printf("30-minute MP3 (%.0f s): waveform pass %.0f ms cpu; level meter %.1f ms (%.2f %% of the pass), "
                "finder %.1f ms on the GUI thread (%.2f %%), %zu sentences; together %.2f %% (goal <= 5 %%)\n",
                decoded, passMs, meterMs[1], 100.0 * meterMs[1] / passMs, finderMs, 100.0 * finderMs / passMs,
                found.lines().size(), 100.0 * (meterMs[1] + finderMs) / passMs);
    return 0;
}
