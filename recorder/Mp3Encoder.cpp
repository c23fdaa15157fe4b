#include "recorder/Mp3Encoder.h"

#include "recorder/LameLibrary.h"

Mp3Encoder::~Mp3Encoder() { close(); }

bool Mp3Encoder::open(const CaptureFormat& format)
{
    close();
    m_error = 0;
    m_openError.clear();
    const LameLibrary& library = m_library ? *m_library : Lame();
    if (!library.error.empty()) return refuseOpen("the LAME library could not be loaded (" + library.error + ")");
    m_lib = &library.api;
    if (format.channels != 1 && format.channels != 2) return refuseOpen("it takes one or two channels");
    m_lame = m_lib->init();
    if (!m_lame) return refuseOpen("LAME could not be set up");
    m_channels = format.channels;
    m_lib->set_num_channels(m_lame, m_channels);
    m_lib->set_in_samplerate(m_lame, format.sampleRate);
    m_lib->set_out_samplerate(m_lame, format.sampleRate);
    m_lib->set_VBR(m_lame, vbr_off);
    m_lib->set_brate(m_lame, kKbitPerSecond);
    m_lib->set_mode(m_lame, m_channels == 1 ? MONO : JOINT_STEREO);
    m_lib->set_bWriteVbrTag(m_lame, 0);
    if (m_lib->init_params(m_lame) < 0) {
        close();
        return refuseOpen("LAME refused the format");
    }
    return true;
}

bool Mp3Encoder::refuseOpen(const std::string& why)
{
    m_openError = why;
    return false;
}

std::span<const std::uint8_t> Mp3Encoder::encode(std::span<const std::int16_t> samples)
{
    if (!m_lame) return {};
    const int frames = static_cast<int>(samples.size() / static_cast<std::size_t>(m_channels));
    // Worst case given by LAME's documentation: 1.25 * samples + 7200.
    m_out.resize(static_cast<std::size_t>(frames) * 5 / 4 + 7200);
    int n = 0;
    if (m_channels == 1) {
        // The interleaved entry point would read two samples per frame here.
        n = m_lib->encode_buffer(m_lame, samples.data(), nullptr, frames, m_out.data(), static_cast<int>(m_out.size()));
    } else {
        // LAME's prototype is not const-correct; it only reads the samples.
        n = m_lib->encode_buffer_interleaved(m_lame, const_cast<short*>(samples.data()), frames, m_out.data(),
                                             static_cast<int>(m_out.size()));
    }
    if (n < 0) m_error = n;
    if (n <= 0) return {};
    return {m_out.data(), static_cast<std::size_t>(n)};
}

std::span<const std::uint8_t> Mp3Encoder::flush()
{
    if (!m_lame) return {};
    m_out.resize(7200);
    const int n = m_lib->encode_flush(m_lame, m_out.data(), static_cast<int>(m_out.size()));
    m_lib->close(m_lame);
    m_lame = nullptr;
    if (n < 0) m_error = n;
    if (n <= 0) return {};
    return {m_out.data(), static_cast<std::size_t>(n)};
}

void Mp3Encoder::close()
{
    if (m_lame) {
        m_lib->close(m_lame);
        m_lame = nullptr;
    }
}
