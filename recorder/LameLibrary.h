#pragma once

#include "common/RuntimeLibrary.h"

#include <lame/lame.h>

// LAME, loaded at run time rather than linked, so that the window does not
// wait for a library that only a recording needs.
struct LameApi {
    decltype(&lame_init) init;
    decltype(&lame_init_params) init_params;
    decltype(&lame_close) close;
    decltype(&lame_set_num_channels) set_num_channels;
    decltype(&lame_set_in_samplerate) set_in_samplerate;
    decltype(&lame_set_out_samplerate) set_out_samplerate;
    decltype(&lame_set_VBR) set_VBR;
    decltype(&lame_set_brate) set_brate;
    decltype(&lame_set_mode) set_mode;
    decltype(&lame_set_bWriteVbrTag) set_bWriteVbrTag;
    decltype(&lame_encode_buffer) encode_buffer;
    decltype(&lame_encode_buffer_interleaved) encode_buffer_interleaved;
    decltype(&lame_encode_flush) encode_flush;
};

// The functions, and why they are incomplete (empty error: all are there).
struct LameLibrary : RuntimeApi<LameApi> {};

// Loads LAME from the named file, afresh at each call.
LameLibrary LoadLameLibrary(const char* file);
// The process's LAME, from any thread: the first call loads it, one that
// comes while another thread loads it waits for that load.
const LameLibrary& Lame();
