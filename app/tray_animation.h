#pragma once
// The notification icon's little stamping animation: after a click the
// icon shows three frames 500 ms apart and then its base artwork again.
#include <cstdint>

namespace markomi {

// Index into a set of tray icon names: 0 the base icon, 1..3 the frames.
struct TrayAnimationStep {
    int icon_index = 0;
    std::int32_t next_counter = 1;
    bool stop_timer = false;
};

// One timer tick with the counter at `counter`: counters 1, 2 and 3 show
// frames 1..3, 0 the base icon; anything larger ends the animation with the
// base icon and the counter back at 1.
TrayAnimationStep tray_animation_step(std::int32_t counter);

// Windows 10 and later get the flat artwork.
inline bool uses_flat_tray_icons(std::int32_t os_version_code) { return os_version_code >= 10; }

}  // namespace markomi
