#include "recorder/IRecorderBackend.h"
#include "recorder/Mp3RecorderBackend.h"
#include "recorder/PulseCaptureSource.h"

std::unique_ptr<IRecorderBackend> MakeDefaultRecorderBackend()
{
    return std::make_unique<Mp3RecorderBackend>(std::make_unique<PulseCaptureSource>());
}
