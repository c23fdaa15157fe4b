// The LAME set-up on its own: mono handling, bit rate, no VBR header.
#include "recorder/Mp3Encoder.h"
#include "support/Mp3Decode.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <fstream>
#include <numbers>

namespace {
std::vector<std::int16_t> tone(double frequency, double seconds, int channels)
{
    const auto frames = static_cast<std::size_t>(seconds * 44100);
    std::vector<std::int16_t> pcm(frames * std::size_t(channels));
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            pcm[i * std::size_t(channels) + std::size_t(c)] =
                static_cast<std::int16_t>(12000 * std::sin(2 * std::numbers::pi * frequency * double(i) / 44100));
    return pcm;
}

// Encodes in 50 ms chunks, as the recorder does, and returns the MP3 bytes.
std::vector<std::uint8_t> encodeAll(const std::vector<std::int16_t>& pcm, int channels)
{
    Mp3Encoder encoder;
    std::vector<std::uint8_t> mp3;
    if (!encoder.open({44100, channels})) return mp3;
    const std::size_t chunk = 2205 * std::size_t(channels);
    for (std::size_t at = 0; at < pcm.size(); at += chunk) {
        const auto bytes = encoder.encode({pcm.data() + at, std::min(chunk, pcm.size() - at)});
        mp3.insert(mp3.end(), bytes.begin(), bytes.end());
    }
    const auto tail = encoder.flush();
    mp3.insert(mp3.end(), tail.begin(), tail.end());
    return mp3;
}

std::optional<DecodedAudio> roundTrip(const QTemporaryDir& dir, const std::vector<std::uint8_t>& mp3)
{
    const std::string path = dir.filePath("take.mp3").toStdString();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(mp3.data()), std::streamsize(mp3.size()));
    return decodeMp3(path);
}
}

class TestMp3Encoder : public QObject {
    Q_OBJECT
private slots:
    void monoKeepsPitchAndLength()
    {
        QTemporaryDir dir;
        const auto audio = roundTrip(dir, encodeAll(tone(440, 2.0, 1), 1));
        QVERIFY(audio);
        QCOMPARE(audio->channels, 1);
        QCOMPARE(audio->sampleRate, 44100L);
        QVERIFY2(std::abs(toneFrequency(*audio, 0.2, 1.8) - 440) < 5, "mono samples read as interleaved");
        QVERIFY(std::abs(audio->seconds() - 2.0) < 0.1);
    }

    void constantBitRateWithoutVbrHeader()
    {
        const auto mp3 = encodeAll(tone(440, 4.0, 1), 1);
        // 128 kbit/s is 16000 bytes a second; VBR would spend far less on a tone.
        QVERIFY2(std::abs(double(mp3.size()) / 4.0 - 16000) < 600, qPrintable(QString::number(mp3.size())));
        const std::string head(mp3.begin(), mp3.begin() + std::min<std::size_t>(mp3.size(), 1000));
        QVERIFY(head.find("Xing") == std::string::npos);
        QVERIFY(head.find("Info") == std::string::npos);
        // Frame sync at the very start: no ID3 tag or other prefix.
        QVERIFY(mp3.size() > 2 && mp3[0] == 0xFF && (mp3[1] & 0xE0) == 0xE0);
    }
};

QTEST_GUILESS_MAIN(TestMp3Encoder)
#include "tst_Mp3Encoder.moc"
