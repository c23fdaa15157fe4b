#include "mpvengine/MpvTempoFilter.h"

#include "mpvengine/MpvLibrary.h"
#include "mpvengine/MpvProperties.h"

// At other speeds than 1 mpv's own choice of tempo filter, at its default
// sizes, plays the sound some 40 ms away from the times it reports at 1.5x
// and 8 ms at 0.5x, so a passage's ends were heard that far off A and B.
// Measured by ear on tone-coded media, each of mpv's two filters keeps
// within a few ms with shorter blocks, the newer one only slowing down, the
// older one only speeding up. At 1 no filter runs: a filter named here
// would process the sound even then.
const char* MpvTempoFilter::For(double factor)
{
    if (factor < 1.0)
        return "scaletempo2=window-size=12:search-interval=12";
    if (factor > 1.0)
        return "scaletempo=stride=25:search=8";
    return "";
}

void MpvTempoFilter::Tell(mpv_handle* handle, const char* filter)
{
    if (m_told == filter)
        return;
    Mpv().set_property_async(handle, 0, mpvprop::kAudioFilters, MPV_FORMAT_STRING, &filter);
    m_told = filter;
}
