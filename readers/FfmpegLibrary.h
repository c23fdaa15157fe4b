#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

// FFmpeg's libraries, loaded at run time rather than linked: with their
// dependencies they are well over a hundred shared libraries, which would
// hold up the window at every start. Only the waveform overview and the
// subtitle reader use them, each on a thread of its own, so the load
// happens there.
struct FfmpegApi {
    decltype(&::avformat_alloc_context) avformat_alloc_context;
    decltype(&::avformat_open_input) avformat_open_input;
    decltype(&::avformat_find_stream_info) avformat_find_stream_info;
    decltype(&::avformat_close_input) avformat_close_input;
    decltype(&::av_find_best_stream) av_find_best_stream;
    decltype(&::av_read_frame) av_read_frame;
    decltype(&::avcodec_alloc_context3) avcodec_alloc_context3;
    decltype(&::avcodec_parameters_to_context) avcodec_parameters_to_context;
    decltype(&::avcodec_open2) avcodec_open2;
    decltype(&::avcodec_send_packet) avcodec_send_packet;
    decltype(&::avcodec_receive_frame) avcodec_receive_frame;
    decltype(&::avcodec_free_context) avcodec_free_context;
    decltype(&::avcodec_decode_subtitle2) avcodec_decode_subtitle2;
    decltype(&::avsubtitle_free) avsubtitle_free;
    decltype(&::avcodec_descriptor_get) avcodec_descriptor_get;
    decltype(&::av_packet_alloc) av_packet_alloc;
    decltype(&::av_packet_unref) av_packet_unref;
    decltype(&::av_packet_free) av_packet_free;
    decltype(&::av_frame_alloc) av_frame_alloc;
    decltype(&::av_frame_unref) av_frame_unref;
    decltype(&::av_frame_free) av_frame_free;
    decltype(&::av_channel_layout_compare) av_channel_layout_compare;
    decltype(&::av_channel_layout_copy) av_channel_layout_copy;
    decltype(&::av_channel_layout_default) av_channel_layout_default;
    decltype(&::av_channel_layout_uninit) av_channel_layout_uninit;
    decltype(&::av_log_set_level) av_log_set_level;
    decltype(&::av_dict_set) av_dict_set;
    decltype(&::av_dict_free) av_dict_free;
    decltype(&::swr_alloc_set_opts2) swr_alloc_set_opts2;
    decltype(&::swr_init) swr_init;
    decltype(&::swr_get_out_samples) swr_get_out_samples;
    decltype(&::swr_convert) swr_convert;
    decltype(&::swr_free) swr_free;
};

// The loaded libraries, from any thread; the first call loads them and a
// concurrent one waits for that. nullptr when one of them cannot be loaded
// or lacks a function (why is written to the terminal once).
const FfmpegApi* Ffmpeg();
