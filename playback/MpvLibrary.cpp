#include "playback/MpvLibrary.h"

#include "playback/MediaError.h"

#include <dlfcn.h>
#include <string>

namespace {
constexpr char kLibraryName[] = "libmpv.so.2";

struct Loaded {
    MpvApi api{};
    std::string error;  // empty when api is complete
};

template <typename F> bool bind(void* library, const char* name, F& slot, std::string& error)
{
    slot = reinterpret_cast<F>(dlsym(library, name));
    if (!slot && error.empty())
        error = std::string("libmpv lacks ") + name;
    return slot != nullptr;
}

Loaded load()
{
    Loaded result;
    // Never closed: libmpv keeps threads and caches for the life of the process.
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        result.error = std::string("cannot load ") + kLibraryName + ": " + (why ? why : "unknown error");
        return result;
    }
    MpvApi& a = result.api;
    std::string& e = result.error;
    bind(library, "mpv_create", a.create, e);
    bind(library, "mpv_initialize", a.initialize, e);
    bind(library, "mpv_terminate_destroy", a.terminate_destroy, e);
    bind(library, "mpv_set_option_string", a.set_option_string, e);
    bind(library, "mpv_set_property", a.set_property, e);
    bind(library, "mpv_set_property_string", a.set_property_string, e);
    bind(library, "mpv_get_property", a.get_property, e);
    bind(library, "mpv_command", a.command, e);
    bind(library, "mpv_command_node", a.command_node, e);
    bind(library, "mpv_command_node_async", a.command_node_async, e);
    bind(library, "mpv_set_property_async", a.set_property_async, e);
    bind(library, "mpv_free_node_contents", a.free_node_contents, e);
    bind(library, "mpv_observe_property", a.observe_property, e);
    bind(library, "mpv_wait_event", a.wait_event, e);
    bind(library, "mpv_request_log_messages", a.request_log_messages, e);
    bind(library, "mpv_set_wakeup_callback", a.set_wakeup_callback, e);
    bind(library, "mpv_error_string", a.error_string, e);
    bind(library, "mpv_render_context_create", a.render_context_create, e);
    bind(library, "mpv_render_context_set_update_callback", a.render_context_set_update_callback, e);
    bind(library, "mpv_render_context_update", a.render_context_update, e);
    bind(library, "mpv_render_context_render", a.render_context_render, e);
    bind(library, "mpv_render_context_free", a.render_context_free, e);
    return result;
}

// One load for the process, by whichever thread asks first.
const Loaded& loaded()
{
    static const Loaded library = load();  // thread-safe: later callers wait for the first
    return library;
}
}  // namespace

const MpvApi& Mpv()
{
    const Loaded& l = loaded();
    if (!l.error.empty())
        throw MediaError(static_cast<std::uint32_t>(MPV_ERROR_GENERIC), l.error);
    return l.api;
}
