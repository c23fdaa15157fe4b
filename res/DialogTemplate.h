#pragma once

#include <cstdint>
#include <span>

// Window and control styles used by the dialog templates, with the values
// the templates were designed with.
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000u;
inline constexpr std::uint32_t kChild = 0x40000000u;
inline constexpr std::uint32_t kVisible = 0x10000000u;
inline constexpr std::uint32_t kCaption = 0x00C00000u;
inline constexpr std::uint32_t kBorder = 0x00800000u;
inline constexpr std::uint32_t kVScroll = 0x00200000u;
inline constexpr std::uint32_t kSysMenu = 0x00080000u;
inline constexpr std::uint32_t kMinimizeBox = 0x00020000u;
inline constexpr std::uint32_t kGroup = 0x00020000u;
inline constexpr std::uint32_t kTabStop = 0x00010000u;
inline constexpr std::uint32_t kModalFrame = 0x0080u;
inline constexpr std::uint32_t kSetFont = 0x0040u;
inline constexpr std::uint32_t kFixedSys = 0x0008u;

inline constexpr std::uint32_t kExTopmost = 0x00000008u;
inline constexpr std::uint32_t kExAppWindow = 0x00040000u;
inline constexpr std::uint32_t kExClientEdge = 0x00000200u;

inline constexpr std::uint32_t kButtonTypeMask = 0x000Fu;
inline constexpr std::uint32_t kPushButton = 0x0000u;
inline constexpr std::uint32_t kDefPushButton = 0x0001u;
inline constexpr std::uint32_t kAutoCheckBox = 0x0003u;
inline constexpr std::uint32_t kGroupBox = 0x0007u;
inline constexpr std::uint32_t kButtonCenter = 0x0300u;
inline constexpr std::uint32_t kFlat = 0x8000u;

inline constexpr std::uint32_t kEditCenter = 0x0001u;
inline constexpr std::uint32_t kEditAutoHScroll = 0x0080u;
inline constexpr std::uint32_t kEditReadOnly = 0x0800u;

inline constexpr std::uint32_t kListNotify = 0x0001u;
inline constexpr std::uint32_t kListSort = 0x0002u;
inline constexpr std::uint32_t kListNoIntegralHeight = 0x0100u;

inline constexpr std::uint32_t kStaticTypeMask = 0x001Fu;
inline constexpr std::uint32_t kStaticLeft = 0x0000u;
inline constexpr std::uint32_t kStaticIcon = 0x0003u;
inline constexpr std::uint32_t kStaticBlackFrame = 0x0007u;
}

enum class ControlClass { Edit, ListBox, Button, Static, MediaPlayer };

// One control of a dialog template, in dialog units.
struct ControlTemplate {
    int id;
    ControlClass cls;
    const char* caption;
    int x, y, w, h;
    std::uint32_t style;
    std::uint32_t exStyle;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int w, h;
    std::uint32_t style;
    std::uint32_t exStyle;
    int fontPoints;
    std::span<const ControlTemplate> controls;
};

// Identifier of controls that no code addresses.
inline constexpr int kStaticId = -1;

const DialogTemplate& MainDialogTemplate();   // template 102
const DialogTemplate& AboutDialogTemplate();  // template 100
