#pragma once

// Shared by the recorder tests: an engine wired to a synthetic source that
// the test keeps steering, and file helpers.
#include "recorder/CMP3Enc.h"
#include "recorder/Mp3RecorderBackend.h"
#include "support/Mp3Decode.h"
#include "support/SineCaptureSource.h"

#include <QFileInfo>
#include <QTemporaryDir>

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
