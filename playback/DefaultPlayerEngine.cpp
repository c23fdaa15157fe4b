#include "playback/IPlayerEngine.h"
#include "playback/MpvPlayerEngine.h"

std::unique_ptr<IMediaEngine> MakeDefaultPlayerEngine() { return std::make_unique<MpvPlayerEngine>(); }
