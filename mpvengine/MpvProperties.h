#pragma once

// Names of the mpv properties and commands the engine uses, in one place so
// that a typo is a compile error rather than a silent MPV_ERROR_PROPERTY_NOT_FOUND.
namespace mpvprop {
inline constexpr char kTimePos[] = "time-pos";
inline constexpr char kAudioPts[] = "audio-pts";
inline constexpr char kDuration[] = "duration";
inline constexpr char kPause[] = "pause";
inline constexpr char kEofReached[] = "eof-reached";
inline constexpr char kSpeed[] = "speed";
inline constexpr char kVolume[] = "volume";
inline constexpr char kMute[] = "mute";
inline constexpr char kSubVisibility[] = "sub-visibility";
inline constexpr char kSubMarginY[] = "sub-margin-y";
inline constexpr char kSubScale[] = "sub-scale";
// The picture's width over its height, as shown.
inline constexpr char kVideoAspect[] = "video-out-params/aspect";
inline constexpr char kVoConfigured[] = "vo-configured";
inline constexpr char kAudioPitchCorrection[] = "audio-pitch-correction";
inline constexpr char kEnd[] = "end";
inline constexpr char kAbLoopA[] = "ab-loop-a";
inline constexpr char kAbLoopB[] = "ab-loop-b";
inline constexpr char kGaplessAudio[] = "gapless-audio";
inline constexpr char kAudioFilters[] = "af";
inline constexpr char kTrackList[] = "track-list";
inline constexpr char kDecoderThreads[] = "vd-lavc-threads";
// Available once the decoders have put out sound or a picture of the file.
inline constexpr char kDecodedChannels[] = "audio-params/channel-count";
inline constexpr char kDecodedWidth[] = "video-params/w";

inline constexpr char kCmdLoadFile[] = "loadfile";
inline constexpr char kCmdSeek[] = "seek";
inline constexpr char kCmdStop[] = "stop";
inline constexpr char kCmdReloadSoundOutput[] = "ao-reload";
inline constexpr char kSeekAbsoluteExact[] = "absolute+exact";
inline constexpr char kLoadReplace[] = "replace";
inline constexpr char kPlaylistEntryId[] = "playlist_entry_id";
}  // namespace mpvprop
