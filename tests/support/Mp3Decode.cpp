#include "Mp3Decode.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdint>

std::optional<DecodedAudio> decodeMp3(const std::string& path)
{
    mpg123_init();
    int error = 0;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle) return std::nullopt;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    DecodedAudio audio;
    if (mpg123_open(handle, path.c_str()) == MPG123_OK) {
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK) {
            mpg123_format_none(handle);
            mpg123_format(handle, rate, channels, MPG123_ENC_SIGNED_16);
            audio.sampleRate = rate;
            audio.channels = channels;
            std::vector<std::int16_t> pcm(8192);
            for (;;) {
                size_t done = 0;
                const int rc = mpg123_read(handle, pcm.data(), pcm.size() * sizeof(std::int16_t), &done);
                const size_t count = done / sizeof(std::int16_t);
                for (size_t i = 0; i + size_t(channels) <= count; i += size_t(channels)) {
                    float sum = 0;
                    for (int c = 0; c < channels; ++c) sum += pcm[i + size_t(c)] / 32768.0f;
                    audio.samples.push_back(sum / float(channels));
                }
                if (rc == MPG123_NEW_FORMAT) continue;
                if (rc != MPG123_OK) break;
            }
        }
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    if (audio.samples.empty()) return std::nullopt;
    return audio;
}

double toneFrequency(const DecodedAudio& audio, double from, double to)
{
    const auto first = static_cast<size_t>(from * double(audio.sampleRate));
    const auto last = std::min(audio.samples.size(), static_cast<size_t>(to * double(audio.sampleRate)));
    if (last <= first + 1) return 0.0;
    int rising = 0;
    for (size_t i = first + 1; i < last; ++i)
        if (audio.samples[i - 1] < 0.0f && audio.samples[i] >= 0.0f) ++rising;
    return rising / (double(last - first) / double(audio.sampleRate));
}
