#pragma once

struct mpv_node;

// What the tracks of a file offer, as mpv lists them in its track-list.
struct MpvTracks {
    bool listed = false;  // a list with at least one track has come
    bool sound = false;   // an audio track
    // A video track that is not a still: a cover or an image is a still.
    bool movingPicture = false;
    double fps = 0.0;  // of the first such track, as its container gives it

    static MpvTracks From(const mpv_node& trackList);
    // Nothing to listen to or to watch: no sound and no picture that moves.
    // A video track of duration seconds that holds no more than one frame
    // is a still, whatever the container calls it.
    bool OnlyStills(double duration) const;
};
