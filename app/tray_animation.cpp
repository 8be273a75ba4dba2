#include "app/tray_animation.h"

namespace markomi {

TrayAnimationStep tray_animation_step(std::int32_t counter) {
    TrayAnimationStep step;
    if (counter >= 0 && counter <= 3) {
        step.icon_index = counter;
        step.next_counter = counter + 1;
        return step;
    }
    // Past the last frame, and also any counter that went wrong: back to rest.
    step.icon_index = 0;
    step.next_counter = 1;
    step.stop_timer = true;
    return step;
}

}  // namespace markomi
