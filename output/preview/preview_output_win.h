#pragma once
// The stamp preview of the settings windows: drawn at twice the size and at
// the screen's current resolution, halved by averaging each 2 x 2 block, and
// put into the preview box centred on its centre.
#include <windows.h>

#include "settings/settings_record.h"

namespace markomi {

// Draws slot `slot_index` of `set` into the preview box on `dc` at
// `current_dpi`. The box is repainted completely: white where there is no ink.
void draw_preview_slot(HDC dc, SettingsSet& set, int slot_index, int current_dpi);

// The active slot of the process-wide settings at the current DPI.
void draw_preview_on_dc(HDC dc);
void draw_preview(HWND window);

}  // namespace markomi
