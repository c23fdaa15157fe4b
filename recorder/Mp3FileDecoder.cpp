#include "recorder/Mp3FileDecoder.h"

#include "common/RuntimeLibrary.h"

#include <lame/lame.h>

#include <fstream>
#include <iterator>

namespace {
struct HipApi {
    decltype(&hip_decode_init) init;
    decltype(&hip_decode_exit) exit;
    decltype(&hip_decode_headers) decode;
};
struct HipLibrary : RuntimeApi<HipApi> {};

const HipLibrary& Hip()
{
    static const HipLibrary library = [] {
        HipLibrary l;
        LoadRuntimeLibrary({"libmp3lame.so.0"},
                           {{"hip_decode_init", l.api.init}, {"hip_decode_exit", l.api.exit},
                            {"hip_decode_headers", l.api.decode}},
                           l.error);
        return l;
    }();
    return library;
}
}  // namespace

std::optional<DecodedSound> DecodeMp3File(const std::string& path, std::size_t maxBytes)
{
    const HipLibrary& hip = Hip();
    if (!hip.error.empty())
        return std::nullopt;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file || std::size_t(file.tellg()) > maxBytes)
        return std::nullopt;
    file.seekg(0);
    std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    // The decoder hands out a frame once it has seen what follows it:
    // silence after the last one lets it go.
    bytes.insert(bytes.end(), 4096, 0);
    hip_t decoder = hip.api.init();
    if (!decoder)
        return std::nullopt;
    DecodedSound sound;
    // One call hands out every frame its input completes: room for many.
    std::vector<short> left(1152 * 32), right(1152 * 32);
    constexpr std::size_t kFeed = 2048;
    bool any = false;
    for (std::size_t at = 0; at <= bytes.size(); at += kFeed) {
        const std::size_t n = at < bytes.size() ? std::min(kFeed, bytes.size() - at) : 0;
        mp3data_struct header{};
        const int got = hip.api.decode(decoder, n ? bytes.data() + at : nullptr, n, left.data(), right.data(), &header);
        if (got < 0)
            break;
        if (header.header_parsed) {
            sound.sampleRate = header.samplerate;
            any = true;
        }
        for (int i = 0; i < got; ++i)
            sound.samples.push_back(header.stereo == 2 ? std::int16_t((left[std::size_t(i)] + right[std::size_t(i)]) / 2)
                                                       : left[std::size_t(i)]);
        if (n == 0)
            break;
    }
    hip.api.exit(decoder);
    if (!any || sound.samples.empty())
        return std::nullopt;
    return sound;
}
