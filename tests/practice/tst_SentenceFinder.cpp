// The sentence finder on level tracks drawn by hand: speech (syllables with
// short closures between them) and pauses over a noise floor.
#include "practice/SentenceFinder.h"

#include <QTest>
#include <utility>
#include <vector>

namespace {
constexpr double kFrame = 0.01;

// A track described as speech and pause, in seconds; speech is `voice`
// loud, pauses sit at `floor`.
struct Script {
    float floor;
    float voice;
    std::vector<std::pair<bool, double>> parts;  // (speech?, seconds)
};

// Syllables of 0.2 s, every other one softer, with a 40 ms closure after
// every third: a voice whose level never stays put.
std::vector<float> levelsOf(const Script& s, std::vector<std::pair<double, double>>& speech)
{
    std::vector<float> levels;
    for (const auto& [isSpeech, seconds] : s.parts) {
        const auto frames = static_cast<int>(seconds / kFrame + 0.5);
        if (isSpeech)
            speech.push_back({levels.size() * kFrame, (levels.size() + frames) * kFrame});
        for (int i = 0; i < frames; ++i) {
            const int syllable = i / 20;
            const bool closure = isSpeech && i % 60 >= 56 && i + 4 < frames;
            levels.push_back(!isSpeech || closure ? s.floor : (syllable % 2 ? s.voice * 0.4f : s.voice));
        }
    }
    return levels;
}

constexpr bool S = true, P = false;
using Parts = QList<QPair<bool, double>>;
}  // namespace

class SentenceFinderTest : public QObject {
    Q_OBJECT
private slots:
    void sentencesSitInThePauses_data();
    void sentencesSitInThePauses();
    void nothingToTell();
    void softEndsStayInside();
};

void SentenceFinderTest::sentencesSitInThePauses_data()
{
    QTest::addColumn<float>("floor");
    QTest::addColumn<float>("voice");
    QTest::addColumn<Parts>("parts");
    // Which speech stretches begin a new sentence.
    QTest::addColumn<QList<int>>("firsts");
    QTest::newRow("two sentences, quiet room")
        << 0.0005f << 0.05f << Parts{{P, 1}, {S, 2.5}, {P, 0.5}, {S, 3}, {P, 1}} << QList<int>{0, 1};
    QTest::newRow("loud broadcast over a noisy bed")
        << 0.04f << 0.8f << Parts{{P, 0.5}, {S, 2}, {P, 0.35}, {S, 2}, {P, 0.6}, {S, 2}, {P, 0.5}} << QList<int>{0, 1, 2};
    QTest::newRow("digital silence between")
        << 0.0f << 0.3f << Parts{{P, 0.5}, {S, 2}, {P, 0.3}, {S, 2}, {P, 0.5}} << QList<int>{0, 1};
    QTest::newRow("a comma and a breath do not split")
        << 0.001f << 0.1f << Parts{{P, 1}, {S, 1.5}, {P, 0.15}, {S, 1.5}, {P, 0.2}, {S, 1}, {P, 1}} << QList<int>{0};
    QTest::newRow("a short word joins across the shorter pause")
        << 0.001f << 0.1f << Parts{{P, 1}, {S, 2}, {P, 0.8}, {S, 0.3}, {P, 0.4}, {S, 2}, {P, 1}} << QList<int>{0, 1};
    QTest::newRow("a short word at the start joins the next")
        << 0.001f << 0.1f << Parts{{P, 1}, {S, 0.3}, {P, 0.5}, {S, 2}, {P, 0.5}, {S, 2}, {P, 1}} << QList<int>{0, 2};
    QTest::newRow("a long stretch splits at its longest inner pause")
        << 0.001f << 0.1f
        << Parts{{P, 1}, {S, 5}, {P, 0.1}, {S, 4}, {P, 0.2}, {S, 5}, {P, 0.12}, {S, 4}, {P, 1}} << QList<int>{0, 2};
}

void SentenceFinderTest::sentencesSitInThePauses()
{
    QFETCH(float, floor);
    QFETCH(float, voice);
    QFETCH(Parts, parts);
    QFETCH(QList<int>, firsts);
    Script script{floor, voice, {}};
    for (const auto& part : parts)
        script.parts.push_back({part.first, part.second});
    std::vector<std::pair<double, double>> speech;
    const std::vector<float> levels = levelsOf(script, speech);

    const std::vector<SubtitleLine> found = FindSentences(levels, kFrame);
    QCOMPARE(int(found.size()), int(firsts.size()));
    for (int k = 0; k < int(found.size()); ++k) {
        const int first = firsts[k];
        const int last = (k + 1 < firsts.size() ? firsts[k + 1] : int(speech.size())) - 1;
        const SubtitleLine& line = found[std::size_t(k)];
        QVERIFY(line.text.empty());
        // All of its speech, with a little room before and after...
        QVERIFY2(line.start < speech[std::size_t(first)].first - 0.02, qPrintable(QString::number(line.start)));
        QVERIFY2(line.end > speech[std::size_t(last)].second + 0.02, qPrintable(QString::number(line.end)));
        // ...and nothing of the neighbours'.
        if (first > 0)
            QVERIFY(line.start >= speech[std::size_t(first - 1)].second);
        if (last + 1 < int(speech.size()))
            QVERIFY(line.end <= speech[std::size_t(last + 1)].first);
        if (k > 0)
            QVERIFY(line.start >= found[std::size_t(k - 1)].end);
    }
}

void SentenceFinderTest::nothingToTell()
{
    QVERIFY(FindSentences({}, kFrame).empty());
    QVERIFY(FindSentences(std::vector<float>(1000, 0.0f), kFrame).empty());
    QVERIFY(FindSentences(std::vector<float>(1000, 0.2f), kFrame).empty());  // a steady tone
    QVERIFY(FindSentences(std::vector<float>(100, 0.2f), 0.0).empty());
    // A click in silence is no sentence.
    std::vector<float> click(1000, 0.0001f);
    click[500] = click[501] = 0.5f;
    QVERIFY(FindSentences(click, kFrame).empty());
}

// A sentence fading out (a soft last syllable, a trailing "s") keeps its
// fade: the end lies after the last sound above the floor.
void SentenceFinderTest::softEndsStayInside()
{
    std::vector<float> levels(100, 0.001f);
    levels.insert(levels.end(), 200, 0.1f);
    levels.insert(levels.end(), 15, 0.003f);  // the fade, well under the voice
    levels.insert(levels.end(), 60, 0.001f);
    levels.insert(levels.end(), 200, 0.1f);
    levels.insert(levels.end(), 100, 0.001f);
    const std::vector<SubtitleLine> found = FindSentences(levels, kFrame);
    QCOMPARE(found.size(), std::size_t(2));
    QVERIFY2(found[0].end >= 3.15, qPrintable(QString::number(found[0].end)));
    QVERIFY(found[1].start >= found[0].end && found[1].start < 3.75);
}

QTEST_GUILESS_MAIN(SentenceFinderTest)
#include "tst_SentenceFinder.moc"
