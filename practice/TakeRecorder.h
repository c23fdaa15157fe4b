#pragma once

#include "practice/TakeCapture.h"

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

class IAudioEncoder;
class ICaptureSource;

// The learner's takes of a lesson's sentences. Each take is a capture
// stream of its own (never the recorder's), captured and encoded on a
// thread of its own; the GUI thread only starts and stops it and hears of
// the result later, so a stalled sound server never holds the window.
class TakeRecorder : public QObject {
    Q_OBJECT
public:
    using SourceMaker = std::function<std::unique_ptr<ICaptureSource>()>;
    using EncoderMaker = std::function<std::unique_ptr<IAudioEncoder>()>;

    // Without makers: the sound server's default input and LAME.
    explicit TakeRecorder(SourceMaker source = {}, EncoderMaker encoder = {}, QObject* parent = nullptr);
    ~TakeRecorder() override;

    // The lesson the takes belong to; its takes are looked for beside it.
    void setMedia(const QString& mediaPath);
    // Starts a take of the sentence starting at sentenceStart, ending by
    // itself after maxSeconds; false while one is recorded or without a
    // lesson.
    bool record(double sentenceStart, double maxSeconds);
    // Ends the take being recorded; finished() comes once it is written.
    void finish();
    bool recording() const { return bool(m_current); }
    // The input's level while recording, 0..1.
    float level() const;

    // The newest take of the sentence ("" when none).
    QString latestTake(double sentenceStart) const;
    // The newest take's sound, of whichever sentence (only one is held,
    // so that memory does not grow with the takes).
    const TakeResult* lastTake() const { return m_last.get(); }
    double lastTakeStart() const { return m_lastStart; }
    // A take that could not be written is told once until this is called.
    void resetNotices() { m_unwritableTold = false; }

signals:
    // The take of the sentence is over: kept (with its file) or not.
    void finished(double sentenceStart, bool kept);
    void notice(const QString& text);

private:
    struct Shared {
        std::mutex mutex;
        TakeRecorder* owner = nullptr;
    };
    void taken(const QString& media, double sentenceStart, std::shared_ptr<TakeCapture> capture,
               std::shared_ptr<TakeResult> result);
    QString findOnDisk(double sentenceStart) const;

    SourceMaker m_makeSource;
    EncoderMaker m_makeEncoder;
    std::shared_ptr<Shared> m_shared;
    QString m_media;
    std::shared_ptr<TakeCapture> m_current;
    std::map<double, QString> m_latest;
    std::unique_ptr<TakeResult> m_last;
    double m_lastStart = 0.0;
    bool m_unwritableTold = false;
};
