#pragma once
// Saving the settings from the program's windows: the automatic fit first,
// then the file (settings/settings_files_win.h).

namespace markomi {

// When AJUST is 1, fits every slot's rows to the stored sizes: the heights a
// file keeps are those, not the ones the last (supersampled) rendering left
// behind. Then save_settings(), whose result it returns. The fit needs the
// shared surfaces of start-up.
bool save_fitted_settings();

}  // namespace markomi
