#include "recorder/LameLibrary.h"

#include "common/SharedLibrary.h"

LameLibrary LoadLameLibrary(const char* file)
{
    return LoadSharedLibrary<LameLibrary>(file, [](void* library, LameApi& a, std::string& e) {
#define BIND(name) BindSymbol(library, "lame_" #name, a.name, e)
        BIND(init);
        BIND(init_params);
        BIND(close);
        BIND(set_num_channels);
        BIND(set_in_samplerate);
        BIND(set_out_samplerate);
        BIND(set_VBR);
        BIND(set_brate);
        BIND(set_mode);
        BIND(set_bWriteVbrTag);
        BIND(encode_buffer);
        BIND(encode_buffer_interleaved);
        BIND(encode_flush);
#undef BIND
    });
}

const LameLibrary& Lame()
{
    static const LameLibrary library = LoadLameLibrary("libmp3lame.so.0");  // thread-safe: later callers wait
    return library;
}
