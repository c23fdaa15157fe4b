#include "readers/FfmpegLibrary.h"

#include "common/SharedLibrary.h"

#include <cstdio>
#include <string>

namespace {
// The versions the program was built against: their interfaces differ.
#define QUILLORA_SONAME(lib, major) "lib" lib ".so." AV_STRINGIFY(major)

bool bindAll(FfmpegApi& a, std::string& e)
{
    void* format = OpenSharedLibrary(QUILLORA_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR), e);
    void* codec = OpenSharedLibrary(QUILLORA_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR), e);
    void* util = OpenSharedLibrary(QUILLORA_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR), e);
    void* resample = OpenSharedLibrary(QUILLORA_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR), e);
    if (!e.empty())
        return false;
#define BIND(library, name) BindSymbol(library, #name, a.name, e)
    BIND(format, avformat_alloc_context);
    BIND(format, avformat_open_input);
    BIND(format, avformat_find_stream_info);
    BIND(format, avformat_close_input);
    BIND(format, av_find_best_stream);
    BIND(format, av_read_frame);
    BIND(codec, avcodec_alloc_context3);
    BIND(codec, avcodec_parameters_to_context);
    BIND(codec, avcodec_open2);
    BIND(codec, avcodec_send_packet);
    BIND(codec, avcodec_receive_frame);
    BIND(codec, avcodec_free_context);
    BIND(codec, avcodec_decode_subtitle2);
    BIND(codec, avsubtitle_free);
    BIND(codec, avcodec_descriptor_get);
    BIND(codec, av_packet_alloc);
    BIND(codec, av_packet_unref);
    BIND(codec, av_packet_free);
    BIND(util, av_frame_alloc);
    BIND(util, av_frame_unref);
    BIND(util, av_frame_free);
    BIND(util, av_channel_layout_compare);
    BIND(util, av_channel_layout_copy);
    BIND(util, av_channel_layout_default);
    BIND(util, av_channel_layout_uninit);
    BIND(util, av_log_set_level);
    BIND(util, av_dict_set);
    BIND(util, av_dict_free);
    BIND(resample, swr_alloc_set_opts2);
    BIND(resample, swr_init);
    BIND(resample, swr_get_out_samples);
    BIND(resample, swr_convert);
    BIND(resample, swr_free);
#undef BIND
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
