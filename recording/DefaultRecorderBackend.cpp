#include "recording/IRecorderBackend.h"
#include "recording/Mp3RecorderBackend.h"
#include "recording/PulseCaptureSource.h"

std::unique_ptr<IRecorderBackend> MakeDefaultRecorderBackend()
{
    return std::make_unique<Mp3RecorderBackend>(std::make_unique<PulseCaptureSource>());
}
