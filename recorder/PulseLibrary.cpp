#include "recorder/PulseLibrary.h"

#include "common/RuntimeLibrary.h"

PulseLibrary LoadPulseLibrary(const char* file)
{
    PulseLibrary library;
    auto& a = library.api;
    LoadRuntimeLibrary({file},
        {
            {"pa_threaded_mainloop_new", a.threaded_mainloop_new},
            {"pa_threaded_mainloop_start", a.threaded_mainloop_start},
            {"pa_threaded_mainloop_stop", a.threaded_mainloop_stop},
            {"pa_threaded_mainloop_free", a.threaded_mainloop_free},
            {"pa_threaded_mainloop_lock", a.threaded_mainloop_lock},
            {"pa_threaded_mainloop_unlock", a.threaded_mainloop_unlock},
            {"pa_threaded_mainloop_get_api", a.threaded_mainloop_get_api},
            {"pa_context_new", a.context_new},
            {"pa_context_set_state_callback", a.context_set_state_callback},
            {"pa_context_connect", a.context_connect},
            {"pa_context_disconnect", a.context_disconnect},
            {"pa_context_unref", a.context_unref},
            {"pa_context_get_state", a.context_get_state},
            {"pa_context_errno", a.context_errno},
            {"pa_strerror", a.strerror},
            {"pa_usec_to_bytes", a.usec_to_bytes},
            {"pa_stream_new", a.stream_new},
            {"pa_stream_set_state_callback", a.stream_set_state_callback},
            {"pa_stream_set_read_callback", a.stream_set_read_callback},
            {"pa_stream_connect_record", a.stream_connect_record},
            {"pa_stream_disconnect", a.stream_disconnect},
            {"pa_stream_unref", a.stream_unref},
            {"pa_stream_get_state", a.stream_get_state},
            {"pa_stream_get_context", a.stream_get_context},
            {"pa_stream_get_sample_spec", a.stream_get_sample_spec},
            {"pa_stream_readable_size", a.stream_readable_size},
            {"pa_stream_peek", a.stream_peek},
            {"pa_stream_drop", a.stream_drop},
        },
        library.error);
    return library;
}

const PulseLibrary& Pulse()
{
    static const PulseLibrary library = LoadPulseLibrary("libpulse.so.0");  // thread-safe: later callers wait
    return library;
}
