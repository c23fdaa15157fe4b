#pragma once

#include "readers/FfmpegLibrary.h"

#include <memory>

// Owners of what FFmpeg hands out, freed through the loaded libraries.
// Only for use once Ffmpeg() has answered with them.
namespace ffptr {
inline const FfmpegApi& ff() { return *Ffmpeg(); }

struct FormatCloser {
    void operator()(AVFormatContext* f) const { ff().avformat_close_input(&f); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { ff().avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { ff().av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { ff().av_frame_free(&f); }
};

using Format = std::unique_ptr<AVFormatContext, FormatCloser>;
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;
}  // namespace ffptr
