#include "readers/FfmpegLibrary.h"

#include "common/RuntimeLibrary.h"

#include <cstdio>
#include <string>

namespace {
// The versions the program was built against: their interfaces differ.
#define QUILLORA_SONAME(lib, major) "lib" lib ".so." AV_STRINGIFY(major)

bool bindAll(FfmpegApi& a, std::string& e)
{
    // All four are opened before any is bound: a library that is missing
    // is what the error names, not a function of another.
    void* format = OpenRuntimeLibrary({QUILLORA_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR)}, e);
    void* codec = OpenRuntimeLibrary({QUILLORA_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR)}, e);
    void* util = OpenRuntimeLibrary({QUILLORA_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR)}, e);
    void* resample = OpenRuntimeLibrary({QUILLORA_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR)}, e);
    if (!e.empty())
        return false;
    BindRuntimeSymbols(format,
                       {
                           {"avformat_alloc_context", a.avformat_alloc_context},
                           {"avformat_open_input", a.avformat_open_input},
                           {"avformat_find_stream_info", a.avformat_find_stream_info},
                           {"avformat_close_input", a.avformat_close_input},
                           {"av_find_best_stream", a.av_find_best_stream},
                           {"av_read_frame", a.av_read_frame},
                       },
                       e);
    BindRuntimeSymbols(codec,
                       {
                           {"avcodec_alloc_context3", a.avcodec_alloc_context3},
                           {"avcodec_parameters_to_context", a.avcodec_parameters_to_context},
                           {"avcodec_open2", a.avcodec_open2},
                           {"avcodec_send_packet", a.avcodec_send_packet},
                           {"avcodec_receive_frame", a.avcodec_receive_frame},
                           {"avcodec_free_context", a.avcodec_free_context},
                           {"avcodec_decode_subtitle2", a.avcodec_decode_subtitle2},
                           {"avsubtitle_free", a.avsubtitle_free},
                           {"avcodec_descriptor_get", a.avcodec_descriptor_get},
                           {"av_packet_alloc", a.av_packet_alloc},
                           {"av_packet_unref", a.av_packet_unref},
                           {"av_packet_free", a.av_packet_free},
                       },
                       e);
    BindRuntimeSymbols(util,
                       {
                           {"av_frame_alloc", a.av_frame_alloc},
                           {"av_frame_unref", a.av_frame_unref},
                           {"av_frame_free", a.av_frame_free},
                           {"av_channel_layout_compare", a.av_channel_layout_compare},
                           {"av_channel_layout_copy", a.av_channel_layout_copy},
                           {"av_channel_layout_default", a.av_channel_layout_default},
                           {"av_channel_layout_uninit", a.av_channel_layout_uninit},
                           {"av_log_set_level", a.av_log_set_level},
                           {"av_dict_set", a.av_dict_set},
                           {"av_dict_free", a.av_dict_free},
                       },
                       e);
    BindRuntimeSymbols(resample,
                       {
                           {"swr_alloc_set_opts2", a.swr_alloc_set_opts2},
                           {"swr_init", a.swr_init},
                           {"swr_get_out_samples", a.swr_get_out_samples},
                           {"swr_convert", a.swr_convert},
                           {"swr_free", a.swr_free},
                       },
                       e);
    return e.empty();
}

const FfmpegApi* load()
{
    static FfmpegApi api{};
    std::string error;
    if (bindAll(api, error))
        return &api;
    std::fprintf(stderr, "quillora: no waveform or subtitle lines: %s\n", error.c_str());
    return nullptr;
}
}  // namespace

const FfmpegApi* Ffmpeg()
{
    static const FfmpegApi* const api = load();  // thread-safe: later callers wait for the first
    return api;
}
