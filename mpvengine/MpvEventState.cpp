#include "mpvengine/MpvEventState.h"

#include "player/MediaFile.h"
#include "mpvengine/MpvError.h"
#include "mpvengine/MpvLibrary.h"
#include "mpvengine/MpvProperties.h"

#include <algorithm>
#include <utility>

namespace {
constexpr char kNothingAsked[] = "no media is loaded";

enum ObservedId : std::uint64_t {
    kTimePos = 1, kDuration, kPause, kEof, kSpeed, kVolume, kMute, kVideo, kTracks, kDecodedSound, kDecodedPicture
};

struct Observed {
    ObservedId id;
    const char* name;
    mpv_format format;
};

constexpr Observed kObserved[] = {
    {kTimePos, mpvprop::kTimePos, MPV_FORMAT_DOUBLE}, {kDuration, mpvprop::kDuration, MPV_FORMAT_DOUBLE},
    {kPause, mpvprop::kPause, MPV_FORMAT_FLAG},       {kEof, mpvprop::kEofReached, MPV_FORMAT_FLAG},
    {kSpeed, mpvprop::kSpeed, MPV_FORMAT_DOUBLE},     {kVolume, mpvprop::kVolume, MPV_FORMAT_DOUBLE},
    {kMute, mpvprop::kMute, MPV_FORMAT_FLAG},         {kVideo, mpvprop::kVoConfigured, MPV_FORMAT_FLAG},
    {kTracks, mpvprop::kTrackList, MPV_FORMAT_NODE},
    {kDecodedSound, mpvprop::kDecodedChannels, MPV_FORMAT_INT64},
    {kDecodedPicture, mpvprop::kDecodedWidth, MPV_FORMAT_INT64},
};
}  // namespace

void MpvEventState::ObserveAll(mpv_handle* handle)
{
    for (const Observed& o : kObserved)
        CheckMpv(Mpv().observe_property(handle, o.id, o.name, o.format), std::string("observe ") + o.name);
}

void MpvEventState::BeginLoad(long long entryId, const std::string& path)
{
    m_status.loaded = false;
    m_status.eofReached = false;
    m_status.duration = 0.0;  // the new file's comes with its own events
    m_status.lateLoadFailure.clear();
    m_entryId = entryId;
    m_path = path;
    m_started = false;
    m_load = Load::Pending;
    m_loadError = 0;
    m_seek = Seek::None;
    m_why = "the file is still loading";
    forgetTracks();
}

void MpvEventState::forgetTracks()
{
    m_tracks = MpvTracks{};
    m_decodedSound = false;
    m_decodedPicture = false;
}

MpvEventState::Unplayable MpvEventState::WhyUnplayable() const
{
    if (!m_status.loaded)
        return Unplayable::No;
    if (m_tracks.OnlyStills(m_status.duration))
        return Unplayable::OnlyStills;
    if (m_status.eofReached && !m_decodedSound && !m_decodedPicture)
        return Unplayable::NothingDecoded;
    return Unplayable::No;
}

void MpvEventState::LoadEntry(long long entryId)
{
    if (m_load == Load::Pending && m_entryId < 0)
        m_entryId = entryId;
}

void MpvEventState::LoadRefused(int error)
{
    if (m_load != Load::Pending)
        return;
    m_load = Load::Failed;
    m_loadError = error;
    m_status.loaded = false;
    m_why = "the file could not be loaded";
}

void MpvEventState::ForgetRequests()
{
    m_pinned.reset();
    m_wantsPlay = false;
    m_waiting.reset();
}

void MpvEventState::WaitForLoad(const std::string& path, const std::string& stamp,
                                std::chrono::steady_clock::time_point deadline)
{
    m_waiting = Waiting{path, stamp, deadline, false, std::nullopt, false};
}

MpvEventState::Waiting MpvEventState::TakeWaitingLoad() { return *std::exchange(m_waiting, std::nullopt); }

void MpvEventState::AskPlay()
{
    m_wantsPlay = true;
    if (m_waiting)
        m_waiting->play = true;
}

void MpvEventState::AskPause()
{
    m_wantsPlay = false;
    if (m_waiting)
        m_waiting->play = false;
}

void MpvEventState::SeekWhileLoading(double seconds)
{
    m_waiting->seek = std::max(0.0, seconds);
    m_pinned = m_waiting->seek;
    m_status.position = *m_pinned;
}

void MpvEventState::BeginSeek() { m_seek = Seek::Asked; }

void MpvEventState::SeekRefused()
{
    if (m_seek != Seek::None)
        m_seek = Seek::Done;
}

void MpvEventState::Unload(const std::string& why)
{
    m_status.loaded = false;
    m_entryId = -1;
    m_why = why;
    if (m_load == Load::Pending)
        m_load = Load::Failed;
}

void MpvEventState::NothingToRender(const std::string& why)
{
    ended(why);
    m_load = Load::Failed;
    m_loadError = MPV_ERROR_NOTHING_TO_PLAY;
}

void MpvEventState::ended(const std::string& why)
{
    m_status.loaded = false;
    m_status.paused = true;
    m_why = why;
    if (m_seek != Seek::None)
        m_seek = Seek::Done;  // nothing left to wait for
}

void MpvEventState::Apply(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
        const auto* start = static_cast<const mpv_event_start_file*>(event.data);
        const bool ours = m_entryId < 0 || start->playlist_entry_id == m_entryId;
        // What mpv tells from now on is of this file, no more of the one before.
        if (ours && !m_started)
            forgetTracks();
        m_started = m_started || ours;
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (m_started && m_load == Load::Pending) {
            m_load = Load::Done;
            m_status.loaded = true;
            m_status.position = 0.0;
            m_status.eofReached = false;
            m_why.clear();
        }
        break;
    case MPV_EVENT_END_FILE:
        applyEndFile(*static_cast<const mpv_event_end_file*>(event.data));
        break;
    case MPV_EVENT_SEEK:
        // Whatever was reported about the end is from before this seek.
        m_status.eofReached = false;
        if (m_seek == Seek::Asked)
            m_seek = Seek::Seen;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_seek == Seek::Seen)
            m_seek = Seek::Done;
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        applyProperty(event.reply_userdata, *static_cast<const mpv_event_property*>(event.data));
        break;
    default:
        break;
    }
}

void MpvEventState::applyEndFile(const mpv_event_end_file& end)
{
    // The end of an entry that has since been replaced is of no interest.
    const bool ours = m_entryId < 0 ? m_started : end.playlist_entry_id == m_entryId;
    if (!ours)
        return;
    if (m_load == Load::Pending) {
        m_load = Load::Failed;
        m_loadError = end.reason == MPV_END_FILE_REASON_ERROR ? end.error : MPV_ERROR_LOADING_FAILED;
        m_status.loaded = false;
        m_why = "the file could not be loaded";
        return;
    }
    if (!m_status.loaded)
        return;
    switch (end.reason) {
    case MPV_END_FILE_REASON_ERROR:
        ended(mediafile::IsThere(m_path) ? "the file could not be decoded" : "the file is gone");
        break;
    case MPV_END_FILE_REASON_EOF: ended("the media has ended"); break;
    default: ended("the player has closed the file"); break;
    }
}

void MpvEventState::applyProperty(std::uint64_t id, const mpv_event_property& prop)
{
    // MPV_FORMAT_NONE: the property is unavailable now (e.g. no file).
    const bool has = prop.format != MPV_FORMAT_NONE && prop.data;
    const double number = has && prop.format == MPV_FORMAT_DOUBLE ? *static_cast<double*>(prop.data) : 0.0;
    const bool flag = has && prop.format == MPV_FORMAT_FLAG && *static_cast<int*>(prop.data) != 0;
    switch (id) {
    case kTimePos:
        // Until mpv has done a seek, its figure is from before it. While the
        // sound output still plays the tail of the file before, mpv counts
        // the new file's position from below 0: none of it has been heard.
        if (has && !SeekPending())
            m_status.position = std::max(0.0, number);
        break;
    case kDuration: m_status.duration = number; break;
    case kPause: m_status.paused = flag; break;
    case kEof:
        m_status.eofReached = flag;
        if (flag && m_seek == Seek::Seen)
            m_seek = Seek::Done;  // a seek to the end
        // A file taken away under the player ends early, with no error.
        if (flag && m_status.loaded && !mediafile::IsThere(m_path))
            ended("the file is gone");
        break;
    case kSpeed: if (has) m_status.speed = number; break;
    case kVolume: if (has) m_status.volume = number; break;
    case kMute: m_status.muted = flag; break;
    case kVideo: m_status.hasVideo = flag; break;
    case kTracks:
        m_tracks = has && prop.format == MPV_FORMAT_NODE ? MpvTracks::From(*static_cast<const mpv_node*>(prop.data))
                                                         : MpvTracks{};
        break;
    // Available once the decoders have put out sound or a picture.
    case kDecodedSound: m_decodedSound = m_decodedSound || (has && prop.format == MPV_FORMAT_INT64); break;
    case kDecodedPicture: m_decodedPicture = m_decodedPicture || (has && prop.format == MPV_FORMAT_INT64); break;
    default: break;
    }
}

MpvEventState::Phase MpvEventState::Now() const
{
    if (m_waiting || m_load == Load::Pending)
        return Phase::Loading;
    if (!m_status.loaded)
        return m_why == kNothingAsked ? Phase::Idle : Phase::Failed;
    if (SeekPending())
        return Phase::Seeking;
    if (m_status.eofReached)
        return Phase::HeldAtEnd;
    return m_status.paused ? Phase::Paused : Phase::Playing;
}
