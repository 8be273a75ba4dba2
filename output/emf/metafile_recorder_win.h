#pragma once
// The recorder of the metafile pipeline, from MARKOMI2_METAFILE_RECORDER
// (output/emf/metafile_recorder.h) or, without it, from the GDI+ probe.

namespace markomi {

// Whether GDI+ is tried first for the metafile (else the project's writer
// makes it). Read at each call, so that a test can switch it.
bool metafile_recorded_by_gdiplus();

}  // namespace markomi
