#include "recorder/PulseSoundOutput.h"

#include "common/RuntimeLibrary.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace {
struct SimpleApi {
    decltype(&pa_simple_new) simple_new;
    decltype(&pa_simple_write) write;
    decltype(&pa_simple_drain) drain;
    decltype(&pa_simple_flush) flush;
    decltype(&pa_simple_free) free;
};

struct SimpleLibrary : RuntimeApi<SimpleApi> {};

const SimpleLibrary& Simple()
{
    static const SimpleLibrary library = [] {
        SimpleLibrary l;
        auto& a = l.api;
        LoadRuntimeLibrary({"libpulse-simple.so.0"},
                           {{"pa_simple_new", a.simple_new}, {"pa_simple_write", a.write},
                            {"pa_simple_drain", a.drain}, {"pa_simple_flush", a.flush}, {"pa_simple_free", a.free}},
                           l.error);
        return l;
    }();
    return library;
}

// pa_strerror lives in libpulse, which libpulse-simple brings along.
std::string describe(int code)
{
    using StrError = decltype(&pa_strerror);
    std::string ignored;
    static void* pulse = OpenRuntimeLibrary({"libpulse.so.0"}, ignored);
    StrError strerror = nullptr;
    BindRuntimeSymbols(pulse, {{"pa_strerror", strerror}}, ignored);
    return strerror ? strerror(code) : "the sound output failed";
}
}  // namespace

PulseSoundOutput::~PulseSoundOutput()
{
    close();
}

bool PulseSoundOutput::failed(int code)
{
    m_error = describe(code);
    return false;
}

bool PulseSoundOutput::open(int sampleRate, int channels)
{
    const SimpleLibrary& library = Simple();
    if (!library.error.empty()) {
        m_error = library.error;
        return false;
    }
    pa_sample_spec format{};
    format.format = PA_SAMPLE_S16LE;
    format.rate = uint32_t(sampleRate);
    format.channels = uint8_t(channels);
    // A short buffer, so that what is played starts and stops promptly.
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(sampleRate * channels * 2 / 20);  // 50 ms
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    int code = 0;
    m_stream = library.api.simple_new(nullptr, "Quillora", PA_STREAM_PLAYBACK, nullptr, "Take", &format, nullptr,
                                      &attr, &code);
    return m_stream ? true : failed(code);
}

bool PulseSoundOutput::write(std::span<const std::int16_t> samples)
{
    int code = 0;
    if (!m_stream)
        return false;
    return Simple().api.write(m_stream, samples.data(), samples.size_bytes(), &code) == 0 || failed(code);
}

bool PulseSoundOutput::drain()
{
    int code = 0;
    if (!m_stream)
        return false;
    return Simple().api.drain(m_stream, &code) == 0 || failed(code);
}

void PulseSoundOutput::flush()
{
    int code = 0;
    if (m_stream)
        Simple().api.flush(m_stream, &code);
}

void PulseSoundOutput::close()
{
    if (m_stream)
        Simple().api.free(m_stream);
    m_stream = nullptr;
}
