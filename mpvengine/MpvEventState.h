#pragma once

#include "player/PlayerStatus.h"
#include "mpvengine/MpvTracks.h"

#include <chrono>
#include <mpv/client.h>
#include <optional>
#include <string>

// Everything the engine knows of mpv's media, kept up to date from mpv's
// events: the drain of the event loop and the engine's bounded waits both
// feed every event through Apply, so neither loses one to the other. Beside
// it, what the engine has asked for and mpv cannot tell: the load it did
// not wait out, Play or Pause, and the position it reports while mpv's lags.
class MpvEventState {
public:
    // A load that SetMediaFile did not wait out, and what was asked for
    // while it goes on, carried out once it has ended.
    struct Waiting {
        std::string path, stamp;
        std::chrono::steady_clock::time_point deadline;
        bool returned = false;  // SetMediaFile has returned: a failure is the status's to tell
        std::optional<double> seek;
        bool play = false;
    };

    // Asks mpv to report the properties behind PlayerStatus. Throws
    // MediaError when mpv refuses an observation.
    static void ObserveAll(mpv_handle* handle);

    // A load of path as playlist entry entryId has been asked for.
    void BeginLoad(long long entryId, const std::string& path);
    // mpv's reply to the load: the playlist entry it loads into, or its
    // refusal (below 0) when it could not even begin.
    void LoadEntry(long long entryId);
    void LoadRefused(int error);
    // A seek has been asked for; SeekDone says when mpv has done it.
    void BeginSeek();
    // mpv has refused the seek asked for: there is nothing to wait for.
    void SeekRefused();
    // The engine has given the media up itself, for this reason.
    void Unload(const std::string& why);
    // The file opened, but nothing of it can be rendered: a failed load
    // (mpv's MPV_ERROR_NOTHING_TO_PLAY), for this reason.
    void NothingToRender(const std::string& why);
    void Apply(const mpv_event& event);

    // Why a file that has opened plays nothing (No: it plays, or mpv has
    // not said yet): it holds no sound and no picture that moves (a cover
    // alone), or it reached its end with nothing decoded (sound mpv cannot
    // convert, a WAV without samples).
    enum class Unplayable { No, OnlyStills, NothingDecoded };
    Unplayable WhyUnplayable() const;

    enum class Load { Pending, Done, Failed };
    Load LoadState() const { return m_load; }
    // mpv's code for a failed load.
    int LoadError() const { return m_loadError; }
    bool SeekDone() const { return m_seek == Seek::Done; }
    bool SeekPending() const { return m_seek == Seek::Asked || m_seek == Seek::Seen; }

    bool Loaded() const { return m_status.loaded; }
    // Why there is no media, in words: "no media is loaded" when none ever
    // was, else what ended it ("the file is gone").
    const std::string& WhyNotLoaded() const { return m_why; }
    // The file of the last load asked for.
    const std::string& Path() const { return m_path; }

    // A new file: nothing asked for before it holds any more.
    void ForgetRequests();
    void WaitForLoad(const std::string& path, const std::string& stamp,
                     std::chrono::steady_clock::time_point deadline);
    const std::optional<Waiting>& WaitingLoad() const { return m_waiting; }
    void LoadReturned() { m_waiting->returned = true; }
    // The load waited for is over (ended, failed or given up).
    Waiting TakeWaitingLoad();
    // Play or Pause (and Stop); while the file loads, also what it starts with.
    void AskPlay();
    void AskPause();
    bool WantsPlay() const { return m_wantsPlay; }
    // A seek asked for while the file loads: it starts there, and reads so.
    void SeekWhileLoading(double seconds);
    // The position to report while mpv's figure lags behind it.
    const std::optional<double>& Pinned() const { return m_pinned; }
    void Pin(double seconds) { m_pinned = seconds; }
    void Unpin() { m_pinned.reset(); }

    // The one state the media is in, read from everything above: nothing
    // asked for; a load under way (or one mpv has not answered yet); paused;
    // playing; a seek mpv has not done yet; held at an end (armed or the
    // media's); the last load failed or the media ended in an error.
    enum class Phase { Idle, Loading, Paused, Playing, Seeking, HeldAtEnd, Failed };
    Phase Now() const;

    PlayerStatus& Status() { return m_status; }
    const PlayerStatus& Status() const { return m_status; }

private:
    void applyEndFile(const mpv_event_end_file& end);
    void applyProperty(std::uint64_t id, const mpv_event_property& prop);
    void ended(const std::string& why);
    // What mpv has told of the file's tracks and of what it has decoded
    // since the file started: nothing yet.
    void forgetTracks();

    enum class Seek { None, Asked, Seen, Done };
    PlayerStatus m_status;
    long long m_entryId = -1;
    std::string m_path;
    bool m_started = false;
    Load m_load = Load::Done;
    int m_loadError = 0;
    Seek m_seek = Seek::None;
    std::string m_why = "no media is loaded";  // until the first load
    std::optional<Waiting> m_waiting;
    bool m_wantsPlay = false;  // Play was the last of Play, Pause and Stop
    std::optional<double> m_pinned;
    MpvTracks m_tracks;
    bool m_decodedSound = false;
    bool m_decodedPicture = false;
};
