#pragma once

// Shared by the recorder tests: an engine wired to a synthetic source that
// the test keeps steering, and file helpers.
#include "recorder/CMP3Enc.h"
#include "recorder/Mp3Encoder.h"
#include "recorder/Mp3RecorderBackend.h"
#include "support/Mp3Decode.h"
#include "support/SineCaptureSource.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <memory>
#include <string>

struct RecorderRig {
    SineCaptureSource* source = nullptr;
    Mp3RecorderBackend* backend = nullptr;
    std::unique_ptr<CMP3Enc> engine;

    explicit RecorderRig(SineOptions options = gatedTone())
    {
        auto sine = std::make_unique<SineCaptureSource>(options);
        source = sine.get();
        auto recorder = std::make_unique<Mp3RecorderBackend>(std::move(sine));
        backend = recorder.get();
        engine = std::make_unique<CMP3Enc>(std::move(recorder));
    }

    static SineOptions gatedTone()
    {
        SineOptions options;
        options.gated = true;
        return options;
    }

    void setFile(const QString& path)
    {
        std::string copy = path.toStdString();
        engine->SetFileName(copy.data());
    }

    // The commands as the window gives them, waiting until the worker took
    // them up: the take runs (or failed to start), the stopped file is whole.
    bool start() { return engine->StartRec() && backend->WaitSettled(); }
    bool stop()
    {
        engine->StopRec();
        return backend->WaitSettled();
    }

    // Lets the engine record exactly this much more audio.
    bool feed(double seconds)
    {
        source->grant(seconds);
        return source->waitDrained();
    }
};

inline qint64 fileSize(const QString& path) { return QFileInfo(path).size(); }

inline bool near(double value, double expected, double tolerance) { return std::abs(value - expected) <= tolerance; }

// LAME that reports an error once it has encoded this many chunks.
class FailingEncoder : public Mp3Encoder {
public:
    explicit FailingEncoder(int goodChunks) : m_goodChunks(goodChunks) {}
    std::span<const std::uint8_t> encode(std::span<const std::int16_t> samples) override
    {
        if (m_goodChunks-- > 0) return Mp3Encoder::encode(samples);
        m_failed = true;
        return {};
    }
    int error() const override { return m_failed ? -3 : Mp3Encoder::error(); }

private:
    int m_goodChunks;
    bool m_failed = false;
};
