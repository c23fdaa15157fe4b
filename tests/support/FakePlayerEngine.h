#pragma once

#include "playback/IPlayerEngine.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A player whose position the test sets and whose calls it reads back.
// Any operation can be told to fail with a code.
class FakePlayerEngine : public IPlayerEngine {
public:
    void SetMediaFile(const std::string& path) override;
    double GetPosition() override;
    void SetPosition(double seconds) override;
    void Play() override;
    void Pause() override;
    void Stop() override;

    // Makes the named operation ("SetMediaFile", "GetPosition", ...) throw
    // MediaError with that code from now on; code 0 lifts it again.
    void failOn(const std::string& operation, std::uint32_t code);

    double position = 0.0;
    bool playing = false;
    std::string mediaFile;
    std::vector<std::string> calls;  // "Play", "SetPosition 2.5", ...

    int count(const std::string& call) const;

private:
    void record(const std::string& call, const std::string& operation);
    std::map<std::string, std::uint32_t> m_failures;
};
