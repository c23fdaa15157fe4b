#pragma once

#include "mpvengine/MpvLibrary.h"
#include "mpvengine/MpvOptions.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

// Destroys an mpv handle, clearing its wakeup callback first so that no
// callback can reach an object that is being torn down.
struct MpvHandleDeleter {
    void operator()(mpv_handle* handle) const;
};
using MpvHandle = std::unique_ptr<mpv_handle, MpvHandleDeleter>;

// Owns the contents of an mpv_node that libmpv filled in (command results).
class MpvNodeGuard {
public:
    MpvNodeGuard() : m_node{} {}
    ~MpvNodeGuard();
    MpvNodeGuard(const MpvNodeGuard&) = delete;
    MpvNodeGuard& operator=(const MpvNodeGuard&) = delete;

    mpv_node* get() { return &m_node; }
    // The int64 value under key in a map node; fallback when absent.
    long long int64At(const char* key, long long fallback) const;

private:
    mpv_node m_node;
};

// The value under key in a map node (as mpv hands out); nullptr when the
// node is no map or has no such key.
const mpv_node* MpvMapValue(const mpv_node& map, const char* key);
// The int64 value under key in a map node; fallback when absent or of
// another kind.
std::int64_t MpvInt64At(const mpv_node& map, const char* key, std::int64_t fallback);

// Creates and initialises a handle set up for an embedded player: no user
// configuration, terminal, key bindings, on-screen controller or network
// helpers; the media stays open at its end; seeks are exact.
// Throws MediaError with mpv's code when mpv cannot be created or started.
MpvHandle CreateMpvHandle(const MpvOptions& options);

// Builds the nodes of a command.
mpv_node MpvStringNode(const char* text);
mpv_node MpvDoubleNode(double value);

// Runs a command given as nodes, filling result when given. Throws
// MediaError with mpv's code, naming what, when mpv refuses it.
void RunMpvCommand(mpv_handle* handle, std::initializer_list<mpv_node> args, MpvNodeGuard* result,
                   const std::string& what);
// Hands a command to mpv without waiting for it to run; its outcome comes
// as an MPV_EVENT_COMMAND_REPLY carrying replyId. Returns mpv's code for
// the hand-over itself (below 0: refused).
int StartMpvCommand(mpv_handle* handle, std::initializer_list<mpv_node> args, std::uint64_t replyId);

// Set a property; throw MediaError with mpv's code, naming the property,
// when mpv rejects the value.
void SetMpvFlag(mpv_handle* handle, const char* name, bool value);
void SetMpvDouble(mpv_handle* handle, const char* name, double value);
// A property's value; fallback when mpv has none.
double MpvDoubleOr(mpv_handle* handle, const char* name, double fallback);
