#include "mpvengine/MpvLibrary.h"

#include "common/RuntimeLibrary.h"
#include "mpvengine/MpvError.h"

#include <cstdarg>  // before the ALSA header, which uses va_list
#include <alsa/error.h>
#include <atomic>
#include <dlfcn.h>
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
    if (BindRuntimeSymbols(alsa, {{"snd_lib_error_set_handler", setHandler}}, unused))
        setHandler(dropAlsaMessage);
    dlclose(alsa);  // only drops the reference NOLOAD took; libmpv keeps it loaded
}

RuntimeApi<MpvApi> load()
{
    RuntimeApi<MpvApi> mpv;
    auto& a = mpv.api;
    if (void* library = OpenRuntimeLibrary({kLibraryName}, mpv.error)) {
        quietAlsa();
        BindRuntimeSymbols(library,
                           {
                               {"mpv_create", a.create},
                               {"mpv_initialize", a.initialize},
                               {"mpv_terminate_destroy", a.terminate_destroy},
                               {"mpv_set_option_string", a.set_option_string},
                               {"mpv_set_property", a.set_property},
                               {"mpv_set_property_string", a.set_property_string},
                               {"mpv_get_property", a.get_property},
                               {"mpv_command", a.command},
                               {"mpv_command_node", a.command_node},
                               {"mpv_command_node_async", a.command_node_async},
                               {"mpv_set_property_async", a.set_property_async},
                               {"mpv_get_property_async", a.get_property_async},
                               {"mpv_free_node_contents", a.free_node_contents},
                               {"mpv_observe_property", a.observe_property},
                               {"mpv_hook_add", a.hook_add},
                               {"mpv_hook_continue", a.hook_continue},
                               {"mpv_wait_event", a.wait_event},
                               {"mpv_request_log_messages", a.request_log_messages},
                               {"mpv_set_wakeup_callback", a.set_wakeup_callback},
                               {"mpv_error_string", a.error_string},
                               {"mpv_render_context_create", a.render_context_create},
                               {"mpv_render_context_set_update_callback", a.render_context_set_update_callback},
                               {"mpv_render_context_update", a.render_context_update},
                               {"mpv_render_context_render", a.render_context_render},
                               {"mpv_render_context_free", a.render_context_free},
                           },
                           mpv.error);
    }
    return mpv;
}

// One load for the process, by whichever thread asks first.
const RuntimeApi<MpvApi>& loaded()
{
    static const RuntimeApi<MpvApi> library = load();  // thread-safe: later callers wait for the first
    return library;
}
}  // namespace

namespace {
std::atomic<const MpvApi*> g_replacement{nullptr};
}

void ReplaceMpv(const MpvApi* api) { g_replacement = api; }

const MpvApi& Mpv()
{
    if (const MpvApi* replacement = g_replacement.load())
        return *replacement;
    const RuntimeApi<MpvApi>& l = loaded();
    if (!l.error.empty())
        throw MpvFailure(MPV_ERROR_GENERIC, l.error);
    return l.api;
}
