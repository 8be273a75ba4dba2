#include "settings/settings_record.h"

namespace markomi {

SettingsSet g_settings;

}  // namespace markomi
