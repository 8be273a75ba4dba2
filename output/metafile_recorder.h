#pragma once
// Which recorder makes the metafile. By default GDI+ records into its own
// metafile where a probe shows that it records drawing, and a GDI metafile
// DC takes the drawing elsewhere. The environment variable
// MARKOMI2_METAFILE_RECORDER ("gdiplus" or "gdi") forces one, to compare
// the two on one system.
#include <string_view>

namespace markomi {

enum class MetafileRecorder { kProbe, kGdiplus, kGdi };

// "gdiplus" or "gdi" in any letter case; anything else, the empty value
// included, leaves the choice to the probe.
MetafileRecorder metafile_recorder_from(std::u16string_view value);

}  // namespace markomi
