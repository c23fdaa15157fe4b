#pragma once

#include <mpv/client.h>
#include <mpv/render.h>

// libmpv, loaded at run time rather than linked: its shared libraries take
// longer to load than the whole window takes to show, so the program shows
// the window first and loads them on another thread meanwhile (see
// MpvPlayerEngine::PrepareInBackground).
struct MpvApi {
    decltype(&mpv_create) create;
    decltype(&mpv_initialize) initialize;
    decltype(&mpv_terminate_destroy) terminate_destroy;
    decltype(&mpv_set_option_string) set_option_string;
    decltype(&mpv_set_property) set_property;
    decltype(&mpv_set_property_string) set_property_string;
    decltype(&mpv_get_property) get_property;
    decltype(&mpv_command) command;
    decltype(&mpv_command_node) command_node;
    decltype(&mpv_command_node_async) command_node_async;
    decltype(&mpv_set_property_async) set_property_async;
    decltype(&mpv_get_property_async) get_property_async;
    decltype(&mpv_free_node_contents) free_node_contents;
    decltype(&mpv_observe_property) observe_property;
    decltype(&mpv_hook_add) hook_add;
    decltype(&mpv_hook_continue) hook_continue;
    decltype(&mpv_wait_event) wait_event;
    decltype(&mpv_request_log_messages) request_log_messages;
    decltype(&mpv_set_wakeup_callback) set_wakeup_callback;
    decltype(&mpv_error_string) error_string;
    decltype(&mpv_render_context_create) render_context_create;
    decltype(&mpv_render_context_set_update_callback) render_context_set_update_callback;
    decltype(&mpv_render_context_update) render_context_update;
    decltype(&mpv_render_context_render) render_context_render;
    decltype(&mpv_render_context_free) render_context_free;
};

// The loaded library, from any thread. The first call loads it; one that
// comes while another thread loads it waits for that load. Throws MediaError
// when libmpv cannot be loaded or lacks a function; later calls throw the
// same again.
const MpvApi& Mpv();
// Puts api in the place of libmpv for the whole process (nullptr: libmpv
// again), so that the engine can be driven by a stand-in for mpv.
void ReplaceMpv(const MpvApi* api);
