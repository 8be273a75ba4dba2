#include "app/hotkey_binding.h"

namespace markomi {
namespace {

constexpr std::uint32_t kControlShift = 1;
constexpr std::uint32_t kControlCtrl = 2;
constexpr std::uint32_t kControlAlt = 4;
constexpr std::uint32_t kControlExtended = 8;

bool key_can_stand_alone(std::uint32_t vk) {
    if (vk == 0 || vk == 0xFF) return false;
    if (vk <= 0x06) return false;                  // mouse buttons and VK_CANCEL
    if (vk >= 0x10 && vk <= 0x12) return false;    // Shift, Ctrl, Alt
    if (vk >= 0xA0 && vk <= 0xA5) return false;    // their left and right forms
    return true;
}

}  // namespace

HotkeyBinding hotkey_binding(std::int32_t hotkey) {
    HotkeyBinding binding;
    if (hotkey <= 0 || hotkey > 0xFFFF) return binding;
    const std::uint32_t value = static_cast<std::uint32_t>(hotkey);
    const std::uint32_t vk = value & 0xFF;
    const std::uint32_t control = (value >> 8) & 0xFF;
    if (control & ~(kControlShift | kControlCtrl | kControlAlt | kControlExtended)) return binding;
    if (!key_can_stand_alone(vk)) return binding;

    std::uint32_t modifiers = 0;
    if (control & kControlShift) modifiers |= kModShift;
    if (control & kControlCtrl) modifiers |= kModControl;
    if (control & kControlAlt) modifiers |= kModAlt;
    if (vk == 'V' && modifiers == kModControl) return binding;

    binding.valid = true;
    binding.modifiers = modifiers;
    binding.virtual_key = vk;
    return binding;
}

}  // namespace markomi
