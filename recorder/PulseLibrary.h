#pragma once

#include "common/RuntimeLibrary.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

// libpulse, loaded at run time rather than linked: with the codecs it
// brings along it is a dozen shared libraries that would hold up the window
// at every start, and nothing needs it before the first recording.
struct PulseApi {
    decltype(&pa_threaded_mainloop_new) threaded_mainloop_new;
    decltype(&pa_threaded_mainloop_start) threaded_mainloop_start;
    decltype(&pa_threaded_mainloop_stop) threaded_mainloop_stop;
    decltype(&pa_threaded_mainloop_free) threaded_mainloop_free;
    decltype(&pa_threaded_mainloop_lock) threaded_mainloop_lock;
    decltype(&pa_threaded_mainloop_unlock) threaded_mainloop_unlock;
    decltype(&pa_threaded_mainloop_get_api) threaded_mainloop_get_api;
    decltype(&pa_context_new) context_new;
    decltype(&pa_context_set_state_callback) context_set_state_callback;
    decltype(&pa_context_connect) context_connect;
    decltype(&pa_context_disconnect) context_disconnect;
    decltype(&pa_context_unref) context_unref;
    decltype(&pa_context_get_state) context_get_state;
    decltype(&pa_context_errno) context_errno;
    decltype(&pa_strerror) strerror;
    decltype(&pa_usec_to_bytes) usec_to_bytes;
    decltype(&pa_stream_new) stream_new;
    decltype(&pa_stream_set_state_callback) stream_set_state_callback;
    decltype(&pa_stream_set_read_callback) stream_set_read_callback;
    decltype(&pa_stream_connect_record) stream_connect_record;
    decltype(&pa_stream_disconnect) stream_disconnect;
    decltype(&pa_stream_unref) stream_unref;
    decltype(&pa_stream_get_state) stream_get_state;
    decltype(&pa_stream_get_context) stream_get_context;
    decltype(&pa_stream_get_sample_spec) stream_get_sample_spec;
    decltype(&pa_stream_readable_size) stream_readable_size;
    decltype(&pa_stream_peek) stream_peek;
    decltype(&pa_stream_drop) stream_drop;
};

// The functions, and why they are incomplete (empty error: all are there).
struct PulseLibrary : RuntimeApi<PulseApi> {};

// Loads libpulse from the named file, afresh at each call.
PulseLibrary LoadPulseLibrary(const char* file);
// The process's libpulse, from any thread: the first call loads it, one
// that comes while another thread loads it waits for that load.
const PulseLibrary& Pulse();
