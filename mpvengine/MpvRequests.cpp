#include "mpvengine/MpvRequests.h"

#include <vector>

std::uint64_t MpvRequests::handedOver(int code)
{
    if (code < 0)
        return 0;
    m_waiting.insert(m_next);
    return m_next++;
}

std::uint64_t MpvRequests::SetFlag(mpv_handle* handle, const char* name, bool value)
{
    int flag = value ? 1 : 0;
    return handedOver(Mpv().set_property_async(handle, m_next, name, MPV_FORMAT_FLAG, &flag));
}

std::uint64_t MpvRequests::SetInt(mpv_handle* handle, const char* name, std::int64_t value)
{
    return handedOver(Mpv().set_property_async(handle, m_next, name, MPV_FORMAT_INT64, &value));
}

std::uint64_t MpvRequests::SetDouble(mpv_handle* handle, const char* name, double value)
{
    return handedOver(Mpv().set_property_async(handle, m_next, name, MPV_FORMAT_DOUBLE, &value));
}

std::uint64_t MpvRequests::SetString(mpv_handle* handle, const char* name, const std::string& value)
{
    const char* text = value.c_str();  // mpv copies it
    return handedOver(Mpv().set_property_async(handle, m_next, name, MPV_FORMAT_STRING, &text));
}

std::uint64_t MpvRequests::Get(mpv_handle* handle, const char* name, mpv_format format)
{
    return handedOver(Mpv().get_property_async(handle, m_next, name, format));
}

std::uint64_t MpvRequests::Command(mpv_handle* handle, std::initializer_list<mpv_node> args)
{
    std::vector<mpv_node> items(args);
    mpv_node_list list{static_cast<int>(items.size()), items.data(), nullptr};
    mpv_node command{};
    command.format = MPV_FORMAT_NODE_ARRAY;
    command.u.list = &list;
    return handedOver(Mpv().command_node_async(handle, m_next, &command));
}

bool MpvRequests::Answer(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_SET_PROPERTY_REPLY:
    case MPV_EVENT_GET_PROPERTY_REPLY:
    case MPV_EVENT_COMMAND_REPLY:
        return m_waiting.erase(event.reply_userdata) != 0;
    default:
        return false;
    }
}
