#include "mpvengine/MpvTempoFilter.h"

#include "mpvengine/MpvLibrary.h"
#include "mpvengine/MpvProperties.h"

#include <cstdio>

// mpv's own choice at other speeds than 1, at its default sizes, plays
// roughly on low voices, and its newer filter, which it picks, cuts the end
// of the sound it is given by its own reckoning, some 40 ms short at 1.5x.
// Faster, the older filter with blocks of 20 ms, a search of 11 ms (longer
// than a low voice's pitch period) and a cross-fade of 12 ms keeps a voice
// clean and plays all it is given. Slower, that one's times lie up to some
// 20 ms from what it plays, so that a pause took a position that far from
// where the sound stopped; the newer one with short windows is as clean
// and within a few ms. At 1 no filter runs: a filter named here would
// process the sound even then.
const char* MpvTempoFilter::For(double factor)
{
    if (factor < 1.0)
        return "scaletempo2=window-size=12:search-interval=20";
    if (factor > 1.0)
        return "scaletempo=stride=20:search=11:overlap=0.6";
    return "";
}

namespace {
// The cut goes by the time stamps of the sound. Vorbis's decoder puts some
// of its blocks 10 ms late (where a long block gives way to a short one):
// every block is stamped instead by the samples since the first one, from
// the earliest start any block so far has implied.
constexpr char kSteadyStamps[] = "asetpts='if(eq(N,0),st(0,PTS),st(0,min(ld(0),PTS-N/SR/TB)));ld(0)+N/SR/TB'";
}  // namespace

std::string MpvTempoFilter::Chain(double factor, std::optional<double> from, std::optional<double> to)
{
    const std::string tempo = For(factor);
    if (tempo.empty())
        return tempo;
    std::string cut;
    const auto add = [&cut](const char* name, double seconds) {
        char text[48];
        std::snprintf(text, sizeof text, "%s%s=%.6f", cut.empty() ? "" : ":", name, seconds);
        cut += text;
    };
    if (from && *from > 0.0)
        add("start", *from);
    if (to && *to > 0.0 && (!from || *to > *from))
        add("end", *to);
    return cut.empty() ? tempo : "lavfi=[" + std::string(kSteadyStamps) + ",atrim=" + cut + "]," + tempo;
}

bool MpvTempoFilter::Tell(mpv_handle* handle, MpvRequests& requests, const std::string& chain)
{
    if (m_told == chain)
        return false;
    requests.SetString(handle, mpvprop::kAudioFilters, chain);
    m_told = chain;
    return true;
}
