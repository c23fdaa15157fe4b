#include "recording/PulseCaptureSource.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <cstdio>

PulseCaptureSource::~PulseCaptureSource() { close(); }

bool PulseCaptureSource::open(CaptureFormat& format)
{
    close();
    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = static_cast<uint32_t>(format.sampleRate);
    sampleFormat.channels = static_cast<uint8_t>(format.channels);

    // Without an explicit fragment size the server may deliver record data in
    // chunks of seconds; 50 ms keeps the file close behind the microphone.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(-1);
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(50 * 1000, &sampleFormat));

    int error = 0;
    m_stream = pa_simple_new(nullptr, "Quillora", PA_STREAM_RECORD, nullptr, "Voice recording", &sampleFormat, nullptr,
                             &attr, &error);
    if (!m_stream) {
        std::fprintf(stderr, "quillora: cannot open the sound input: %s\n", pa_strerror(error));
        return false;
    }
    m_channels = format.channels;
    return true;
}

std::ptrdiff_t PulseCaptureSource::read(std::span<std::int16_t> buffer)
{
    if (!m_stream) return -1;
    const std::size_t frames = buffer.size() / static_cast<std::size_t>(m_channels);
    if (frames == 0) return 0;
    int error = 0;
    if (pa_simple_read(m_stream, buffer.data(), frames * m_channels * sizeof(std::int16_t), &error) < 0) {
        std::fprintf(stderr, "quillora: the sound input failed: %s\n", pa_strerror(error));
        return -1;
    }
    return static_cast<std::ptrdiff_t>(frames);
}

void PulseCaptureSource::close()
{
    if (m_stream) {
        pa_simple_free(m_stream);
        m_stream = nullptr;
    }
}
