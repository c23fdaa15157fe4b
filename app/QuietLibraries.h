#pragma once

// The sound libraries the player probes on its way to a working output
// print what they did not find straight to the terminal: PipeWire without
// its configuration, ALSA without a card. Those lines are no problem of the
// user's while another output plays, so they are turned off; a user who set
// PIPEWIRE_DEBUG keeps that choice. Call before the first player starts.
// ALSA's messages are turned off once libmpv, which brings ALSA in, is
// loaded (playback/MpvLibrary.cpp).
void QuietSoundLibraries();
