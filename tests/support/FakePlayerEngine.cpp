#include "FakePlayerEngine.h"

#include "app/NumberText.h"
#include "player/MediaError.h"

#include <QTimer>
#include <algorithm>

void FakePlayerEngine::record(const std::string& call, const std::string& operation)
{
    calls.push_back(call);
    const bool needsMedia = operation == "GetPosition" || operation == "SetPosition" || operation == "Play";
    if (m_lateCode != 0 && needsMedia)
        throw MediaError(m_lateCode, operation + ": cannot play " + mediaFile, this);
    const auto it = m_failures.find(operation);
    if (it != m_failures.end() && it->second != 0)
        throw MediaError(it->second, operation + " failed", this);
}

void FakePlayerEngine::SetMediaFile(const std::string& path)
{
    record("SetMediaFile " + path, "SetMediaFile");
    m_lateCode = 0;
    mediaFile = path;
    position = 0.0;
    playing = false;
}

double FakePlayerEngine::GetPosition()
{
    record("GetPosition", "GetPosition");
    return position;
}

void FakePlayerEngine::SetPosition(double seconds)
{
    record("SetPosition " + FormatShown(seconds), "SetPosition");
    position = seconds;
}

void FakePlayerEngine::Play()
{
    record("Play", "Play");
    playing = true;
}

void FakePlayerEngine::Pause()
{
    record("Pause", "Pause");
    playing = false;
}

void FakePlayerEngine::Stop()
{
    record("Stop", "Stop");
    playing = false;
}

void FakePlayerEngine::SetSpeed(double factor)
{
    record("SetSpeed " + FormatShown(factor), "SetSpeed");
    speed = factor;
}
void FakePlayerEngine::SetVolume(double percent) { record("SetVolume " + FormatShown(percent), "SetVolume"); }
void FakePlayerEngine::SetMuted(bool muted) { record(muted ? "SetMuted 1" : "SetMuted 0", "SetMuted"); }
void FakePlayerEngine::SetSubtitlesShown(bool shown) { record(shown ? "SetSubtitlesShown 1" : "SetSubtitlesShown 0", "SetSubtitlesShown"); }
// Kept out of `calls`: the pane tells it as its size changes.
void FakePlayerEngine::SetSubtitleLayout(const SubtitleLayout& layout) { subtitleLayout = layout; }

void FakePlayerEngine::PrepareInBackground(std::function<void()> ready)
{
    ++preparations;
    if (ready)
        QTimer::singleShot(0, &m_context, std::move(ready));
}

void FakePlayerEngine::SetStatusListener(std::function<void(const PlayerStatus&)>) {}

void FakePlayerEngine::SetLateFailureListener(std::function<void(const MediaError&)> listener)
{
    m_lateFailureListener = std::move(listener);
}

void FakePlayerEngine::failLate(std::uint32_t code)
{
    m_lateCode = code;
    if (m_lateFailureListener)
        m_lateFailureListener(MediaError(code, "cannot play " + mediaFile, this));
}

PlayerStatus FakePlayerEngine::Status()
{
    PlayerStatus status;
    status.loaded = !mediaFile.empty();
    status.position = position;
    status.paused = !playing;
    status.duration = duration;
    status.eofReached = ended;
    status.speed = speed;
    return status;
}

void FakePlayerEngine::ArmEnd(std::optional<double> end, std::optional<double> loopFrom)
{
    armedEnd = end;
    armedLoopFrom = loopFrom;
}

void FakePlayerEngine::failOn(const std::string& operation, std::uint32_t code) { m_failures[operation] = code; }

int FakePlayerEngine::count(const std::string& call) const
{
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}
