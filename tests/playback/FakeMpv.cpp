#include "FakeMpv.h"

#include <cstring>

FakeMpv* FakeMpv::current = nullptr;

struct FakeMpv::Request {
    std::uint64_t id;
    mpv_event_id reply;
    std::vector<std::string> words;  // the command, or name and value
};

struct FakeMpv::Event {
    mpv_event event{};
    mpv_event_property property{};
    double number = 0.0;
    int flag = 0;
    mpv_event_start_file start{};
    mpv_event_end_file end{};
    mpv_event_command command{};
    mpv_node value{};
    mpv_node_list list{};
    char* key = nullptr;
    std::string name;
};

namespace {
char g_handle;  // the one handle the fake hands out
FakeMpv& fake() { return *FakeMpv::current; }

std::string nodeText(const mpv_node& n)
{
    if (n.format == MPV_FORMAT_STRING)
        return n.u.string;
    if (n.format == MPV_FORMAT_DOUBLE)
        return std::to_string(n.u.double_);
    return "?";
}

std::string valueText(mpv_format format, void* data)
{
    switch (format) {
    case MPV_FORMAT_FLAG: return *static_cast<int*>(data) ? "yes" : "no";
    case MPV_FORMAT_DOUBLE: return std::to_string(*static_cast<double*>(data));
    case MPV_FORMAT_STRING: return *static_cast<char**>(data);
    default: return "?";
    }
}

int waited(const char* what)
{
    if (fake().initialised)
        fake().waitedFor.push_back(what);
    return 0;
}

mpv_event g_none{};
}  // namespace

FakeMpv::FakeMpv()
{
    current = this;
    MpvApi& a = m_api;
    a.create = [] { return reinterpret_cast<mpv_handle*>(&g_handle); };
    a.initialize = [](mpv_handle*) { fake().initialised = true; return 0; };
    a.terminate_destroy = [](mpv_handle*) { fake().initialised = false; };
    a.set_option_string = [](mpv_handle*, const char*, const char*) { return 0; };
    a.set_property = [](mpv_handle*, const char*, mpv_format, void*) { return waited("set_property"); };
    a.set_property_string = [](mpv_handle*, const char*, const char*) { return waited("set_property_string"); };
    a.get_property = [](mpv_handle*, const char*, mpv_format, void*) { waited("get_property"); return -10; };
    a.command = [](mpv_handle*, const char**) { return waited("command"); };
    a.command_node = [](mpv_handle*, mpv_node*, mpv_node*) { return waited("command_node"); };
    a.command_node_async = [](mpv_handle*, std::uint64_t id, mpv_node* args) {
        auto r = std::make_shared<Request>(Request{id, MPV_EVENT_COMMAND_REPLY, {}});
        for (int i = 0; i < args->u.list->num; ++i)
            r->words.push_back(nodeText(args->u.list->values[i]));
        fake().take(r);
        return 0;
    };
    a.set_property_async = [](mpv_handle*, std::uint64_t id, const char* name, mpv_format format, void* data) {
        fake().take(std::make_shared<Request>(Request{id, MPV_EVENT_SET_PROPERTY_REPLY, {name, valueText(format, data)}}));
        return 0;
    };
    a.get_property_async = [](mpv_handle*, std::uint64_t id, const char* name, mpv_format) {
        fake().take(std::make_shared<Request>(Request{id, MPV_EVENT_GET_PROPERTY_REPLY, {name}}));
        return 0;
    };
    a.free_node_contents = [](mpv_node*) {};
    a.observe_property = [](mpv_handle*, std::uint64_t id, const char* name, mpv_format) {
        fake().observed[name] = id;
        return 0;
    };
    a.hook_add = [](mpv_handle*, std::uint64_t, const char*, int) { return 0; };
    a.hook_continue = [](mpv_handle*, std::uint64_t) { return 0; };
    a.wait_event = [](mpv_handle*, double) {
        FakeMpv& f = fake();
        if (f.events.empty())
            return &g_none;
        f.handedOut = f.events.front();
        f.events.pop_front();
        return &f.handedOut->event;
    };
    a.request_log_messages = [](mpv_handle*, const char*) { return 0; };
    a.set_wakeup_callback = [](mpv_handle*, void (*cb)(void*), void* d) {
        fake().wakeup = cb;
        fake().wakeupContext = d;
    };
    a.error_string = [](int) { return "fake mpv error"; };
    ReplaceMpv(&m_api);
}

FakeMpv::~FakeMpv()
{
    ReplaceMpv(nullptr);
    current = nullptr;
}

void FakeMpv::take(std::shared_ptr<Request> request)
{
    std::string said = request->reply == MPV_EVENT_COMMAND_REPLY       ? "cmd"
                       : request->reply == MPV_EVENT_GET_PROPERTY_REPLY ? "get"
                                                                          : "set";
    for (std::size_t i = 0; i < request->words.size(); ++i)
        said += (i == 1 && said.rfind("set", 0) == 0 ? "=" : " ") + request->words[i];
    asked.push_back(said);
    if (stalled)
        heldBack.push_back(std::move(request));
    else
        answer(*request);
}

void FakeMpv::Thaw()
{
    stalled = false;
    while (!heldBack.empty()) {
        const auto request = heldBack.front();
        heldBack.pop_front();
        answer(*request);
    }
}

void FakeMpv::push(std::shared_ptr<Event> event)
{
    events.push_back(std::move(event));
    if (wakeup)
        wakeup(wakeupContext);
}

void FakeMpv::changed(const char* name, double value)
{
    auto e = std::make_shared<Event>();
    e->event.event_id = MPV_EVENT_PROPERTY_CHANGE;
    e->event.reply_userdata = observed[name];
    e->name = name;
    e->number = value;
    e->property = {e->name.c_str(), MPV_FORMAT_DOUBLE, &e->number};
    e->event.data = &e->property;
    push(e);
}

void FakeMpv::changedFlag(const char* name, bool value)
{
    auto e = std::make_shared<Event>();
    e->event.event_id = MPV_EVENT_PROPERTY_CHANGE;
    e->event.reply_userdata = observed[name];
    e->name = name;
    e->flag = value;
    e->property = {e->name.c_str(), MPV_FORMAT_FLAG, &e->flag};
    e->event.data = &e->property;
    push(e);
}

void FakeMpv::Report(double seconds)
{
    position = seconds;
    changed("time-pos", seconds);
}

void FakeMpv::ReachEnd() { changedFlag("eof-reached", true); }

void FakeMpv::answer(const Request& r)
{
    auto reply = std::make_shared<Event>();
    reply->event.event_id = r.reply;
    reply->event.reply_userdata = r.id;
    const std::string& what = r.words.at(0);
    if (r.reply == MPV_EVENT_GET_PROPERTY_REPLY) {
        reply->name = what;
        reply->number = position;
        reply->property = {reply->name.c_str(), MPV_FORMAT_DOUBLE, &reply->number};
        reply->event.data = &reply->property;
    }
    if (r.reply == MPV_EVENT_COMMAND_REPLY && what == "loadfile") {
        static char key[] = "playlist_entry_id";
        reply->key = key;
        reply->value.format = MPV_FORMAT_INT64;
        reply->value.u.int64 = nextEntry;
        reply->list = {1, &reply->value, &reply->key};
        reply->command.result.format = MPV_FORMAT_NODE_MAP;
        reply->command.result.u.list = &reply->list;
        reply->event.data = &reply->command;
    }
    push(reply);
    if (r.reply == MPV_EVENT_SET_PROPERTY_REPLY && observed.count(what)) {
        if (r.words.at(1) == "yes" || r.words.at(1) == "no")
            changedFlag(what.c_str(), r.words.at(1) == "yes");
        else
            changed(what.c_str(), std::stod(r.words.at(1)));
    }
    if (r.reply != MPV_EVENT_COMMAND_REPLY)
        return;
    if (what == "loadfile") {
        const long long entry = nextEntry++;
        auto start = std::make_shared<Event>();
        start->event.event_id = MPV_EVENT_START_FILE;
        start->start.playlist_entry_id = entry;
        start->event.data = &start->start;
        push(start);
        if (failLoads) {
            auto end = std::make_shared<Event>();
            end->event.event_id = MPV_EVENT_END_FILE;
            end->end = {MPV_END_FILE_REASON_ERROR, MPV_ERROR_UNKNOWN_FORMAT, entry, 0, 0};
            end->event.data = &end->end;
            push(end);
            return;
        }
        auto loaded = std::make_shared<Event>();
        loaded->event.event_id = MPV_EVENT_FILE_LOADED;
        push(loaded);
        changed("duration", duration);
        Report(0.0);
        auto restart = std::make_shared<Event>();
        restart->event.event_id = MPV_EVENT_PLAYBACK_RESTART;  // its sound set up
        push(restart);
    } else if (what == "seek") {
        auto seek = std::make_shared<Event>();
        seek->event.event_id = MPV_EVENT_SEEK;
        push(seek);
        auto restart = std::make_shared<Event>();
        restart->event.event_id = MPV_EVENT_PLAYBACK_RESTART;
        push(restart);
        Report(std::stod(r.words.at(1)));
    }
}
