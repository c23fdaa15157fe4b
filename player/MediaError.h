#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A failure of the media player, raised out of CMediaplayer1 and caught by
// the media guard of the playback commands. It carries a numeric code (for a
// libmpv failure, mpv's own negative error code as an unsigned 32-bit value)
// and the address at which it was raised, which the fault report shows.
class MediaError : public std::runtime_error {
public:
    static constexpr std::uint32_t kAccessViolation = 0xC0000005u;

    MediaError(std::uint32_t code, const std::string& what,
               const void* raisedAt = nullptr, bool accessWasRead = true,
               const void* accessedAddress = nullptr)
        : std::runtime_error(what), m_code(code), m_raisedAt(raisedAt),
          m_accessWasRead(accessWasRead), m_accessedAddress(accessedAddress) {}

    std::uint32_t code() const { return m_code; }
    const void* raisedAt() const { return m_raisedAt; }
    bool accessWasRead() const { return m_accessWasRead; }
    const void* accessedAddress() const { return m_accessedAddress; }

private:
    std::uint32_t m_code;
    const void* m_raisedAt;
    bool m_accessWasRead;
    const void* m_accessedAddress;
};
