#include "recorder/PulseLibrary.h"

#include "common/SharedLibrary.h"

PulseLibrary LoadPulseLibrary(const char* file)
{
    return LoadSharedLibrary<PulseLibrary>(file, [](void* library, PulseApi& a, std::string& e) {
#define BIND(name) BindSymbol(library, "pa_" #name, a.name, e)
        BIND(threaded_mainloop_new);
        BIND(threaded_mainloop_start);
        BIND(threaded_mainloop_stop);
        BIND(threaded_mainloop_free);
        BIND(threaded_mainloop_lock);
        BIND(threaded_mainloop_unlock);
        BIND(threaded_mainloop_get_api);
        BIND(context_new);
        BIND(context_set_state_callback);
        BIND(context_connect);
        BIND(context_disconnect);
        BIND(context_unref);
        BIND(context_get_state);
        BIND(context_errno);
        BIND(strerror);
        BIND(usec_to_bytes);
        BIND(stream_new);
        BIND(stream_set_state_callback);
        BIND(stream_set_read_callback);
        BIND(stream_connect_record);
        BIND(stream_disconnect);
        BIND(stream_unref);
        BIND(stream_get_state);
        BIND(stream_get_context);
        BIND(stream_get_sample_spec);
        BIND(stream_readable_size);
        BIND(stream_peek);
        BIND(stream_drop);
#undef BIND
    });
}

const PulseLibrary& Pulse()
{
    static const PulseLibrary library = LoadPulseLibrary("libpulse.so.0");  // thread-safe: later callers wait
    return library;
}
