#include "ui/window_metrics.h"

namespace markomi {

std::int32_t window_character_height(WindowFontUser user, std::int32_t dpi, std::int32_t expand) {
    std::int32_t per_96 = 0;
    switch (user) {
        case WindowFontUser::kAboutBox: per_96 = expand == 1 ? 19 : 17; break;
        case WindowFontUser::kPreferences: per_96 = expand == 1 ? 17 : 15; break;
        case WindowFontUser::kStampSettings: per_96 = expand == 1 ? 16 : 14; break;
    }
    return static_cast<std::int32_t>(static_cast<std::int64_t>(dpi) * per_96 / 96);
}

std::int32_t scaled_menu_bar_height(std::int32_t system_height, std::int32_t current_dpi,
                                    std::int32_t startup_dpi) {
    if (startup_dpi <= 0) return system_height;
    return static_cast<std::int32_t>(static_cast<std::int64_t>(system_height) * current_dpi /
                                     startup_dpi);
}

bool is_plausible_dpi(std::int32_t dpi) { return dpi >= 48 && dpi <= 960; }

}  // namespace markomi
