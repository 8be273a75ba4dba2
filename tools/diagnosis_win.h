#pragma once
// The companion's diagnosis (Markomi2Stamp --diagnose): what this system's
// GDI+, GDI and clipboard make of the stamp, as one JSON object a tester can
// send back. The metafile path Windows users get (GDI+ recording, EMF+
// conversion) cannot be watched under Wine; this report is how it is seen.
#include <string>

#include "settings/settings_record.h"

namespace markomi {

// Where the settings came from.
struct DiagnosisSettings {
    std::u16string file;  // full path of the settings file read (or looked for)
    bool found = false;   // false: the defaults were used
};

// Collects the report: Windows version and Wine, DPI awareness and screen
// resolutions, which recorder made the metafile and why, the GDI+
// resolution probe, every slot's clipboard metafile, EMF file and captured
// drawing, the EMF+ converter's answer, the clipboard formats after a bitmap
// copy, the PNG's declared resolution and the face the default font
// resolves to, and the key providers a signature can use (a throw-away
// key and certificate each, removed again). Needs GDI+ started and the surfaces made, as for stamping.
// Renders every slot (their sizes are put back), writes and removes files
// in a folder of its own under the temporary folder, and leaves the bitmap
// stamp of slot 1 on the clipboard. `gdiplus_startup` is GdiplusStartup's
// status.
std::u16string diagnosis_json(SettingsSet& set, const DiagnosisSettings& settings, int gdiplus_startup);

}  // namespace markomi
