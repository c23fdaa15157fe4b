#include "recording/IRecorderBackend.h"

namespace {
// Stands in until the capture engine is linked: nothing ever starts.
class UnavailableRecorderBackend : public IRecorderBackend {
public:
    void SetFileName(const std::string&) override {}
    bool StartRec() override { return false; }
    void PauseRec() override {}
    void StopRec() override {}
    int GetFileSize() override { return 0; }
    int GetRSec() override { return 0; }
};
}

std::unique_ptr<IRecorderBackend> MakeDefaultRecorderBackend() { return std::make_unique<UnavailableRecorderBackend>(); }
