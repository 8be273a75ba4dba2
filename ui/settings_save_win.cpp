#include "ui/settings_save_win.h"

#include "render/stamp_renderer_gdiplus.h"
#include "settings/settings_files_win.h"

namespace markomi {

bool save_fitted_settings() {
    run_layout_pass(false);
    return save_settings();
}

}  // namespace markomi
