#pragma once

#include "recorder/IRecorderBackend.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// What the fake recorder was asked, and what its getters answer; shared
// with the test because the engine owns the backend.
struct FakeRecorderLog {
    std::vector<std::string> calls;  // "SetFileName path", "StartRec", ...
    int fileSize = 0;
    int seconds = 0;
    bool startResult = true;
    // Handed out once by TakeFailureMessage, which is not logged.
    std::string failure;
};

class FakeRecorderBackend : public IRecorderBackend {
public:
    explicit FakeRecorderBackend(std::shared_ptr<FakeRecorderLog> log) : m_log(std::move(log)) {}

    void SetFileName(const std::string& path) override { m_log->calls.push_back("SetFileName " + path); }
    bool StartRec() override;
    void PauseRec() override { m_log->calls.push_back("PauseRec"); }
    void StopRec() override { m_log->calls.push_back("StopRec"); }
    int GetFileSize() override;
    int GetRSec() override;
    void ReplaceFile(const std::string& path) override { m_log->calls.push_back("ReplaceFile " + path); }
    std::string TakeFailureMessage() override { return std::exchange(m_log->failure, std::string()); }

private:
    std::shared_ptr<FakeRecorderLog> m_log;
};
