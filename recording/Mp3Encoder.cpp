#include "recording/Mp3Encoder.h"

#include <lame/lame.h>

Mp3Encoder::~Mp3Encoder() { close(); }

bool Mp3Encoder::open(const CaptureFormat& format)
{
    close();
    m_error = 0;
    if (format.channels != 1 && format.channels != 2) return false;
    m_lame = lame_init();
    if (!m_lame) return false;
    m_channels = format.channels;
    lame_set_num_channels(m_lame, m_channels);
    lame_set_in_samplerate(m_lame, format.sampleRate);
    lame_set_out_samplerate(m_lame, format.sampleRate);
    lame_set_VBR(m_lame, vbr_off);
    lame_set_brate(m_lame, kKbitPerSecond);
    lame_set_mode(m_lame, m_channels == 1 ? MONO : JOINT_STEREO);
    lame_set_bWriteVbrTag(m_lame, 0);
    if (lame_init_params(m_lame) < 0) {
        close();
        return false;
    }
    return true;
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
        n = lame_encode_buffer(m_lame, samples.data(), nullptr, frames, m_out.data(), static_cast<int>(m_out.size()));
    } else {
        // LAME's prototype is not const-correct; it only reads the samples.
        n = lame_encode_buffer_interleaved(m_lame, const_cast<short*>(samples.data()), frames, m_out.data(),
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
    const int n = lame_encode_flush(m_lame, m_out.data(), static_cast<int>(m_out.size()));
    lame_close(m_lame);
    m_lame = nullptr;
    if (n < 0) m_error = n;
    if (n <= 0) return {};
    return {m_out.data(), static_cast<std::size_t>(n)};
}

void Mp3Encoder::close()
{
    if (m_lame) {
        lame_close(m_lame);
        m_lame = nullptr;
    }
}
