#include "player/IPlayerEngine.h"
#include "mpvengine/MpvPlayerEngine.h"

std::unique_ptr<IMediaEngine> MakeDefaultPlayerEngine() { return std::make_unique<MpvPlayerEngine>(); }
