#include "practice/TakeRecorder.h"

#include "practice/TakeFiles.h"
#include "recorder/Mp3Encoder.h"
#include "recorder/PulseCaptureSource.h"

#include <QDateTime>
#include <QDir>
#include <thread>

TakeRecorder::TakeRecorder(SourceMaker source, EncoderMaker encoder, QObject* parent)
    : QObject(parent), m_makeSource(std::move(source)), m_makeEncoder(std::move(encoder)),
      m_shared(std::make_shared<Shared>())
{
    if (!m_makeSource)
        m_makeSource = [] { return std::make_unique<PulseCaptureSource>(); };
    if (!m_makeEncoder)
        m_makeEncoder = [] { return std::make_unique<Mp3Encoder>(); };
    m_shared->owner = this;
}

TakeRecorder::~TakeRecorder()
{
    // The workers run on by themselves to their end; what they find then
    // goes nowhere.
    std::lock_guard lock(m_shared->mutex);
    m_shared->owner = nullptr;
    if (m_current)
        m_current->stop();
}

void TakeRecorder::setMedia(const QString& mediaPath)
{
    if (mediaPath == m_media)
        return;
    finish();
    m_current.reset();  // its end is of the lesson before
    m_media = mediaPath;
    m_latest.clear();
    m_last.reset();
}

bool TakeRecorder::record(double sentenceStart, double maxSeconds)
{
    if (m_current || m_media.isEmpty())
        return false;
    const TakeFolders folders = TakeFoldersFor(m_media);
    const QString stamp = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss-zzz");
    auto capture = std::make_shared<TakeCapture>(
        m_makeSource(), m_makeEncoder(),
        std::vector<std::string>{folders.beside.toStdString(), folders.fallback.toStdString()},
        TakeFileName(sentenceStart, stamp).toStdString(), maxSeconds);
    m_current = capture;
    std::thread([capture, shared = m_shared, sentenceStart, media = m_media] {
        auto result = std::make_shared<TakeResult>(capture->run());
        std::lock_guard lock(shared->mutex);
        if (TakeRecorder* owner = shared->owner)
            QMetaObject::invokeMethod(owner, [owner, media, sentenceStart, capture, result] {
                owner->taken(media, sentenceStart, capture, result);
            }, Qt::QueuedConnection);
    }).detach();
    return true;
}

void TakeRecorder::finish()
{
    if (m_current)
        m_current->stop();
}

float TakeRecorder::level() const
{
    return m_current ? m_current->level() : 0.0f;
}

void TakeRecorder::taken(const QString& media, double sentenceStart, std::shared_ptr<TakeCapture> capture,
                         std::shared_ptr<TakeResult> result)
{
    if (m_current == capture)
        m_current.reset();
    if (media != m_media)
        return;  // a take of the lesson before: kept on disk, not this lesson's
    using Outcome = TakeResult::Outcome;
    switch (result->outcome) {
    case Outcome::Kept:
        m_latest[sentenceStart] = QString::fromStdString(result->path);
        m_last = std::make_unique<TakeResult>(std::move(*result));
        m_lastStart = sentenceStart;
        break;
    case Outcome::NoSound:
        emit notice("no sound came in");
        break;
    case Outcome::NoInput:
    case Outcome::Unwritable:
        if (!m_unwritableTold)
            emit notice(QString("录音没有保存: %1").arg(QString::fromStdString(result->error)));
        m_unwritableTold = true;
        break;
    }
    emit finished(sentenceStart, result->outcome == Outcome::Kept);
}

QString TakeRecorder::latestTake(double sentenceStart) const
{
    const auto found = m_latest.find(sentenceStart);
    return found != m_latest.end() ? found->second : findOnDisk(sentenceStart);
}

// Takes of earlier sessions: the names sort by sentence, then by time.
QString TakeRecorder::findOnDisk(double sentenceStart) const
{
    if (m_media.isEmpty())
        return {};
    const TakeFolders folders = TakeFoldersFor(m_media);
    const QString prefix = TakeFileName(sentenceStart, "").chopped(4);
    for (const QString& folder : {folders.beside, folders.fallback}) {
        const QStringList names = QDir(folder).entryList({prefix + "*.mp3"}, QDir::Files, QDir::Name);
        if (!names.isEmpty())
            return folder + "/" + names.last();
    }
    return {};
}
