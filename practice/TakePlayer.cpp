#include "practice/TakePlayer.h"

#include "recorder/PulseSoundOutput.h"

#include <algorithm>
#include <span>
#include <thread>

namespace {
constexpr std::size_t kChunkFrames = 441;  // 10 ms at 44.1 kHz: a stop is heard at once
}

TakePlayer::TakePlayer(OutputMaker output, QObject* parent) : QObject(parent), m_makeOutput(std::move(output))
{
    if (!m_makeOutput)
        m_makeOutput = [] { return std::make_unique<PulseSoundOutput>(); };
}

TakePlayer::~TakePlayer()
{
    stop();
}

void TakePlayer::play(std::vector<std::int16_t> samples, int sampleRate)
{
    auto sound = std::make_shared<DecodedSound>(DecodedSound{sampleRate, std::move(samples)});
    start([sound] { return std::optional<DecodedSound>(std::move(*sound)); });
}

void TakePlayer::playFile(const QString& path)
{
    start([file = path.toStdString()] { return DecodeMp3File(file); });
}

void TakePlayer::start(std::function<std::optional<DecodedSound>()> load)
{
    stop();
    auto job = std::make_shared<Job>();
    job->owner = this;
    m_job = job;
    std::thread([job, output = m_makeOutput(), load = std::move(load)] {
        QString error;
        std::optional<DecodedSound> sound = load();
        const std::vector<std::int16_t> none;
        const std::vector<std::int16_t>& samples = sound ? sound->samples : none;
        if (sound)
            job->sampleRate = sound->sampleRate;
        if (!sound) {
            error = "这个录音读不出来";
        } else if (!output->open(job->sampleRate, 1)) {
            error = QString::fromStdString(output->lastError());
        } else {
            for (std::size_t at = 0; at < samples.size() && !job->stop; at += kChunkFrames) {
                const std::size_t n = std::min(kChunkFrames, samples.size() - at);
                if (!output->write(std::span(samples).subspan(at, n))) {
                    error = QString::fromStdString(output->lastError());
                    break;
                }
                job->written += n;
            }
            if (job->stop)
                output->flush();
            else if (error.isEmpty() && !output->drain())
                error = QString::fromStdString(output->lastError());
            output->close();
        }
        std::lock_guard lock(job->mutex);
        if (TakePlayer* owner = job->owner)
            QMetaObject::invokeMethod(owner, [owner, job, error] { owner->finished(job, error); }, Qt::QueuedConnection);
    }).detach();
}

void TakePlayer::stop()
{
    if (!m_job)
        return;
    std::lock_guard lock(m_job->mutex);
    m_job->owner = nullptr;
    m_job->stop = true;
    m_job.reset();
}

double TakePlayer::position() const
{
    return m_job ? double(m_job->written.load()) / double(m_job->sampleRate) : 0.0;
}

void TakePlayer::finished(const std::shared_ptr<Job>& job, const QString& error)
{
    if (job != m_job)
        return;
    m_job.reset();
    emit ended(error);
}
