#include "mpvengine/MpvLibrary.h"

#include "player/MediaError.h"
#include "common/SharedLibrary.h"

#include <cstdarg>  // before the ALSA header, which uses va_list
#include <alsa/error.h>
#include <string>

namespace {
constexpr char kLibraryName[] = "libmpv.so.2";

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// mpv probes ALSA on its way to a working audio output, and ALSA prints
// every device it does not find straight to the terminal: no problem of
// the user's while another output plays. libmpv brings libasound in, so
// its message handler is set here, before mpv's audio output starts; the
// program itself does not link ALSA.
void quietAlsa()
{
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!alsa)
        return;
    std::string unused;
    decltype(&snd_lib_error_set_handler) setHandler = nullptr;
    if (BindSymbol(alsa, "snd_lib_error_set_handler", setHandler, unused))
        setHandler(dropAlsaMessage);
    dlclose(alsa);  // only drops the reference NOLOAD took; libmpv keeps it loaded
}

struct Loaded {
    MpvApi api{};
    std::string error;  // empty when api is complete
};

Loaded load()
{
    return LoadSharedLibrary<Loaded>(kLibraryName, [](void* library, MpvApi& a, std::string& e) {
        quietAlsa();
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
    });
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
