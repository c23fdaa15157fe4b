#include "playback/MpvLibrary.h"

#include "playback/MediaError.h"
#include "playback/SharedLibrary.h"

#include <string>

namespace {
constexpr char kLibraryName[] = "libmpv.so.2";

struct Loaded {
    MpvApi api{};
    std::string error;  // empty when api is complete
};

Loaded load()
{
    Loaded result;
    std::string& e = result.error;
    void* library = OpenSharedLibrary(kLibraryName, e);
    if (!library)
        return result;
    MpvApi& a = result.api;
#define BIND(name) BindSymbol(library, "mpv_" #name, a.name, e)
    BIND(create);
    BIND(initialize);
    BIND(terminate_destroy);
    BIND(set_option_string);
    BIND(set_property);
    BIND(set_property_string);
    BIND(get_property);
    BIND(command);
    BIND(command_node);
    BIND(command_node_async);
    BIND(set_property_async);
    BIND(free_node_contents);
    BIND(observe_property);
    BIND(hook_add);
    BIND(hook_continue);
    BIND(wait_event);
    BIND(request_log_messages);
    BIND(set_wakeup_callback);
    BIND(error_string);
    BIND(render_context_create);
    BIND(render_context_set_update_callback);
    BIND(render_context_update);
    BIND(render_context_render);
    BIND(render_context_free);
#undef BIND
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
