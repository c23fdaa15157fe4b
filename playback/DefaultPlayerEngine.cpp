#include "playback/IPlayerEngine.h"
#include "playback/MediaError.h"

namespace {
// Stands in until the libmpv engine is linked: every call fails cleanly.
class UnavailablePlayerEngine : public IPlayerEngine {
    [[noreturn]] static void fail() { throw MediaError(0xFFFFFFFFu, "no media player engine"); }
public:
    void SetMediaFile(const std::string&) override { fail(); }
    double GetPosition() override { fail(); }
    void SetPosition(double) override { fail(); }
    void Play() override { fail(); }
    void Pause() override { fail(); }
    void Stop() override { fail(); }
};
}

std::unique_ptr<IPlayerEngine> MakeDefaultPlayerEngine() { return std::make_unique<UnavailablePlayerEngine>(); }
