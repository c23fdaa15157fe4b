#include "playback/IPlayerEngine.h"

#include "playback/MediaError.h"

void IPlayerEngine::SetSpeed(double) { throw MediaError(kUnsupported, "playback speed is not supported"); }
void IPlayerEngine::SetVolume(double) { throw MediaError(kUnsupported, "volume is not supported"); }
void IPlayerEngine::SetMuted(bool) { throw MediaError(kUnsupported, "mute is not supported"); }
void IPlayerEngine::SetStatusListener(std::function<void(const PlayerStatus&)>) {}
