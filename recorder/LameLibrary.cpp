#include "recorder/LameLibrary.h"

#include "common/RuntimeLibrary.h"

LameLibrary LoadLameLibrary(const char* file)
{
    LameLibrary library;
    auto& a = library.api;
    LoadRuntimeLibrary({file},
        {
            {"lame_init", a.init},
            {"lame_init_params", a.init_params},
            {"lame_close", a.close},
            {"lame_set_num_channels", a.set_num_channels},
            {"lame_set_in_samplerate", a.set_in_samplerate},
            {"lame_set_out_samplerate", a.set_out_samplerate},
            {"lame_set_VBR", a.set_VBR},
            {"lame_set_brate", a.set_brate},
            {"lame_set_mode", a.set_mode},
            {"lame_set_bWriteVbrTag", a.set_bWriteVbrTag},
            {"lame_encode_buffer", a.encode_buffer},
            {"lame_encode_buffer_interleaved", a.encode_buffer_interleaved},
            {"lame_encode_flush", a.encode_flush},
        },
        library.error);
    return library;
}

const LameLibrary& Lame()
{
    static const LameLibrary library = LoadLameLibrary("libmp3lame.so.0");  // thread-safe: later callers wait
    return library;
}
