#include "practice/TakeCapture.h"

#include "recorder/IAudioEncoder.h"
#include "recorder/ICaptureSource.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {
constexpr std::size_t kChunkFrames = 441;  // 10 ms at 44.1 kHz
}

std::vector<float> TakePeaks(const TakeResult& take, double step)
{
    std::vector<float> peaks;
    const std::size_t per = std::max<std::size_t>(1, std::size_t(step * take.sampleRate));
    for (std::size_t at = 0; at < take.samples.size(); at += per) {
        int peak = 0;
        for (std::size_t i = at; i < std::min(take.samples.size(), at + per); ++i)
            peak = std::max(peak, std::abs(int(take.samples[i])));
        peaks.push_back(float(peak) / 32768.0f);
    }
    return peaks;
}

TakeCapture::TakeCapture(std::unique_ptr<ICaptureSource> source, std::unique_ptr<IAudioEncoder> encoder,
                         std::vector<std::string> folders, std::string fileName, double maxSeconds)
    : m_source(std::move(source)), m_encoder(std::move(encoder)), m_folders(std::move(folders)),
      m_fileName(std::move(fileName)), m_maxSeconds(maxSeconds)
{
}

TakeCapture::~TakeCapture()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TakeCapture::openFile(TakeResult& result)
{
    std::string why;
    for (const std::string& folder : m_folders) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        const std::string stem = m_fileName.substr(0, m_fileName.size() - 4);
        // Two takes in the same millisecond get a number rather than
        // one overwriting the other.
        for (int n = 1; n <= 9; ++n) {
            const std::string path = folder + "/" + (n == 1 ? m_fileName : stem + "-" + std::to_string(n) + ".mp3");
            m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
            if (m_fd >= 0) {
                result.path = path;
                return true;
            }
            if (errno != EEXIST)
                break;
        }
        why = std::strerror(errno);
    }
    result.error = why.empty() ? "no folder for takes" : why;
    return false;
}

bool TakeCapture::write(const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

TakeResult TakeCapture::run()
{
    TakeResult result;
    CaptureFormat format{44100, 1};
    if (!m_source->open(format)) {
        result.outcome = TakeResult::Outcome::NoInput;
        result.error = m_source->lastError();
        return result;
    }
    result.sampleRate = format.sampleRate;
    const std::size_t channels = std::size_t(std::max(1, format.channels));
    const std::uint64_t maxFrames = std::uint64_t(std::max(0.0, m_maxSeconds) * format.sampleRate);
    const std::size_t preRoll = std::size_t(kPreRollSeconds * format.sampleRate);
    std::vector<std::int16_t> buffer(kChunkFrames * channels);
    std::vector<std::int16_t> mono(kChunkFrames);
    std::deque<std::int16_t> before;  // the last moments before the first sound
    std::uint64_t frames = 0;
    bool sound = false;
    bool failed = false;
    const CaptureFormat monoFormat{format.sampleRate, 1};

    const std::size_t heldLimit = std::size_t(kHeldSeconds * format.sampleRate);
    bool held = true;
    auto keep = [&](const std::int16_t* samples, std::size_t count) {
        if (held && result.samples.size() + count > heldLimit) {
            held = false;
            std::vector<std::int16_t>().swap(result.samples);
        }
        if (held)
            result.samples.insert(result.samples.end(), samples, samples + count);
        const auto bytes = m_encoder->encode({samples, count});
        if (m_encoder->error() < 0 || !write(bytes.data(), bytes.size()))
            failed = true;
    };

    while (!m_stop && !failed && (maxFrames == 0 || frames < maxFrames)) {
        const std::ptrdiff_t got = m_source->read(buffer);
        if (got < 0)
            break;  // the input went away: the take ends with what came in
        std::size_t n = std::size_t(got);
        if (maxFrames > 0)
            n = std::min<std::size_t>(n, std::size_t(maxFrames - frames));
        frames += n;
        int peak = 0;
        for (std::size_t i = 0; i < n; ++i) {
            int sum = 0;
            for (std::size_t c = 0; c < channels; ++c)
                sum += buffer[i * channels + c];
            mono[i] = std::int16_t(sum / int(channels));
            peak = std::max(peak, std::abs(int(mono[i])));
        }
        m_level = float(peak) / 32767.0f;
        if (sound) {
            keep(mono.data(), n);
            continue;
        }
        const auto first = std::find_if(mono.begin(), mono.begin() + std::ptrdiff_t(n),
                                        [](std::int16_t s) { return std::abs(int(s)) >= kSoundThreshold; });
        if (first == mono.begin() + std::ptrdiff_t(n)) {
            before.insert(before.end(), mono.begin(), mono.begin() + std::ptrdiff_t(n));
            while (before.size() > preRoll)
                before.pop_front();
            continue;
        }
        // The first sound: the file is made now, and the take starts a
        // few milliseconds before it.
        sound = true;
        const std::size_t at = std::size_t(first - mono.begin());
        if (!m_encoder->open(monoFormat)) {
            result.outcome = TakeResult::Outcome::Unwritable;
            result.error = m_encoder->openError();
            break;
        }
        if (!openFile(result)) {
            result.outcome = TakeResult::Outcome::Unwritable;
            break;
        }
        const std::size_t fromChunk = std::min(at, preRoll);
        const std::size_t fromBefore = std::min(before.size(), preRoll - fromChunk);
        std::vector<std::int16_t> lead(before.end() - std::ptrdiff_t(fromBefore), before.end());
        lead.insert(lead.end(), mono.begin() + std::ptrdiff_t(at - fromChunk), mono.begin() + std::ptrdiff_t(n));
        keep(lead.data(), lead.size());
    }
    m_source->close();
    m_level = 0.0f;
    if (!sound) {
        result.outcome = TakeResult::Outcome::NoSound;
        return result;
    }
    if (m_fd < 0)
        return result;  // told above
    if (!failed) {
        const auto tail = m_encoder->flush();
        failed = m_encoder->error() < 0 || !write(tail.data(), tail.size());
    }
    m_encoder->close();
    if (failed || ::close(m_fd) != 0) {
        if (failed)
            ::close(m_fd);
        m_fd = -1;
        // A file cut short by a full disk is no take; the next one may fit.
        result.error = std::strerror(errno ? errno : EIO);
        ::unlink(result.path.c_str());
        result.path.clear();
        result.samples.clear();
        result.outcome = TakeResult::Outcome::Unwritable;
        return result;
    }
    m_fd = -1;
    result.outcome = TakeResult::Outcome::Kept;
    return result;
}
