#pragma once
// The recorder of the metafile pipeline, from MARKOMI2_METAFILE_RECORDER
// (output/metafile_recorder.h) or, without it, from the GDI+ probe.

namespace markomi {

// Whether GDI+ records the metafile (else a GDI metafile DC does). Read at
// each call, so that a test can switch it.
bool metafile_recorded_by_gdiplus();

}  // namespace markomi
