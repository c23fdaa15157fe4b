#include "mpvengine/MpvHandle.h"

#include "mpvengine/MpvError.h"
#include "mpvengine/MpvProperties.h"

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

void MpvHandleDeleter::operator()(mpv_handle* handle) const
{
    if (!handle)
        return;
    Mpv().set_wakeup_callback(handle, nullptr, nullptr);
    Mpv().terminate_destroy(handle);
}

MpvNodeGuard::~MpvNodeGuard()
{
    if (m_node.format != MPV_FORMAT_NONE)
        Mpv().free_node_contents(&m_node);
}

const mpv_node* MpvMapValue(const mpv_node& map, const char* key)
{
    if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list)
        return nullptr;
    const mpv_node_list* list = map.u.list;
    for (int i = 0; i < list->num; ++i)
        if (std::strcmp(list->keys[i], key) == 0)
            return &list->values[i];
    return nullptr;
}

std::int64_t MpvInt64At(const mpv_node& map, const char* key, std::int64_t fallback)
{
    const mpv_node* value = MpvMapValue(map, key);
    return value && value->format == MPV_FORMAT_INT64 ? value->u.int64 : fallback;
}

long long MpvNodeGuard::int64At(const char* key, long long fallback) const
{
    return MpvInt64At(m_node, key, fallback);
}

namespace {
void setOption(mpv_handle* handle, const char* name, const std::string& value)
{
    CheckMpv(Mpv().set_option_string(handle, name, value.c_str()), std::string("mpv option ") + name + "=" + value);
}
}  // namespace

MpvHandle CreateMpvHandle(const MpvOptions& options)
{
    // mpv refuses to start unless numbers are formatted with "."; the
    // program has set that already, a test may not have.
    const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
    if (!numeric || std::strcmp(numeric, "C") != 0)
        std::setlocale(LC_NUMERIC, "C");
    MpvHandle handle(Mpv().create());
    if (!handle)
        throw MpvError(MPV_ERROR_NOMEM, "mpv could not be created");

    mpv_handle* h = handle.get();
    setOption(h, "config", "no");
    setOption(h, "terminal", "no");
    setOption(h, "input-default-bindings", "no");
    setOption(h, "input-vo-keyboard", "no");
    setOption(h, "osc", "no");
    setOption(h, "ytdl", "no");
    // None of mpv's bundled scripts serve an embedded player; each would
    // take a thread and memory of its own.
    setOption(h, "load-scripts", "no");
    // Nor do its built-in statistics page, console and profile switcher:
    // each runs a script interpreter of its own (some 4 MiB together),
    // and their keys are off anyway.
    setOption(h, "load-stats-overlay", "no");
    setOption(h, "load-osd-console", "no");
    setOption(h, "load-auto-profiles", "no");
    setOption(h, "idle", "yes");
    setOption(h, "keep-open", "yes");
    setOption(h, "hr-seek", "yes");
    // An exact seek decodes from this far before its target: an MP3 frame
    // leans on the frames before it (its bit reservoir, the overlap of its
    // transform), and decoded cold it comes out silent, so the sound at A
    // would start some 30 ms late.
    setOption(h, "hr-seek-demuxer-offset", "0.2");
    // Without a sound device the media still plays, silently, so positions
    // advance and A, B and the watch keep working.
    setOption(h, "audio-fallback-to-null", "yes");
    setOption(h, "pause", "yes");
    // Cover pictures are never shown: the pane shows a sound file's
    // waveform. Decoded all the same (from the file or a cover.jpg beside
    // it), a cover passed for a picture played, so that a file of nothing
    // but a cover, or one whose sound mpv cannot play, held in silence
    // with no word; without covers mpv finds it has nothing to play.
    setOption(h, "audio-display", "no");
    setOption(h, mpvprop::kAudioPitchCorrection, "yes");
    // Subtitles are sized by the picture, not by the pane around it: in the
    // small pane a wide picture has black bands above and below, and text
    // sized by the whole pane covered far too much of the picture.
    setOption(h, "sub-scale-with-window", "no");
    setOption(h, "vo", options.videoOutput);
    if (!options.audioOutput.empty())
        setOption(h, "ao", options.audioOutput);

    CheckMpv(Mpv().initialize(h), "mpv could not start");
    // mpv's own terminal output is off; its errors still reach the
    // terminal through the engine, its chatter does not.
    CheckMpv(Mpv().request_log_messages(h, "error"), "mpv log level");
    return handle;
}

mpv_node MpvStringNode(const char* text)
{
    mpv_node node{};
    node.format = MPV_FORMAT_STRING;
    node.u.string = const_cast<char*>(text);  // mpv only reads command nodes
    return node;
}

mpv_node MpvDoubleNode(double value)
{
    mpv_node node{};
    node.format = MPV_FORMAT_DOUBLE;
    node.u.double_ = value;
    return node;
}

namespace {
// A command as the array node mpv takes; the strings stay the caller's.
class CommandNode {
public:
    explicit CommandNode(std::initializer_list<mpv_node> args)
        : m_items(args), m_list{static_cast<int>(m_items.size()), m_items.data(), nullptr}
    {
        m_node.format = MPV_FORMAT_NODE_ARRAY;
        m_node.u.list = &m_list;
    }
    CommandNode(const CommandNode&) = delete;
    CommandNode& operator=(const CommandNode&) = delete;
    mpv_node* get() { return &m_node; }

private:
    std::vector<mpv_node> m_items;
    mpv_node_list m_list;
    mpv_node m_node{};
};
}  // namespace

void RunMpvCommand(mpv_handle* handle, std::initializer_list<mpv_node> args, MpvNodeGuard* result,
                   const std::string& what)
{
    CommandNode command(args);
    CheckMpv(Mpv().command_node(handle, command.get(), result ? result->get() : nullptr), what);
}

int StartMpvCommand(mpv_handle* handle, std::initializer_list<mpv_node> args, std::uint64_t replyId)
{
    CommandNode command(args);
    return Mpv().command_node_async(handle, replyId, command.get());
}

void SetMpvFlag(mpv_handle* handle, const char* name, bool value)
{
    int flag = value ? 1 : 0;
    CheckMpv(Mpv().set_property(handle, name, MPV_FORMAT_FLAG, &flag), std::string("set ") + name);
}

void SetMpvDouble(mpv_handle* handle, const char* name, double value)
{
    CheckMpv(Mpv().set_property(handle, name, MPV_FORMAT_DOUBLE, &value), std::string("set ") + name);
}

double MpvDoubleOr(mpv_handle* handle, const char* name, double fallback)
{
    double value = fallback;
    return Mpv().get_property(handle, name, MPV_FORMAT_DOUBLE, &value) >= 0 ? value : fallback;
}
