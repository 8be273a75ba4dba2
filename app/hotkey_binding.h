#pragma once
// The stamping hotkey as stored in HOTKEY: the value of a hotkey control,
// the virtual key in the low byte and the control's modifier bits (shift 1,
// control 2, alt 4, extended key 8) in the next byte.
#include <cstdint>

namespace markomi {

// RegisterHotKey's modifier bits.
constexpr std::uint32_t kModAlt = 0x0001;
constexpr std::uint32_t kModControl = 0x0002;
constexpr std::uint32_t kModShift = 0x0004;

struct HotkeyBinding {
    bool valid = false;
    std::uint32_t modifiers = 0;  // kMod* bits
    std::uint32_t virtual_key = 0;
};

// Maps a stored value to a registration. Not valid: 0 or negative values,
// bits beyond the two bytes or unknown modifier bits, no key or a key that
// cannot stand alone (mouse buttons, the modifier keys themselves), and
// Ctrl+V in any form: the stamp is pasted with Ctrl+V, so claiming it would
// take paste away from every program.
HotkeyBinding hotkey_binding(std::int32_t hotkey);

}  // namespace markomi
