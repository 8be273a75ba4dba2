#pragma once
// Which recorder makes the metafile. By default GDI+ records into its own
// metafile where a probe shows that it records drawing, and the project's
// own writer makes it elsewhere (and wherever a GDI+ recording fails its
// check). The environment variable MARKOMI2_METAFILE_RECORDER forces the
// first try: "gdiplus" always tries GDI+ first, "gdi" goes straight to the
// project's writer, to compare the two on one system.
#include <string_view>

namespace markomi {

enum class MetafileRecorder { kProbe, kGdiplus, kGdi };

// "gdiplus" or "gdi" in any letter case; anything else, the empty value
// included, leaves the choice to the probe.
MetafileRecorder metafile_recorder_from(std::u16string_view value);

}  // namespace markomi
