#include "playback/IPlayerEngine.h"
#include "playback/MpvPlayerEngine.h"

std::unique_ptr<IPlayerEngine> MakeDefaultPlayerEngine() { return std::make_unique<MpvPlayerEngine>(); }
