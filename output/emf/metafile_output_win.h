#pragma once
// The metafile output of a stamp: recorded as an enhanced metafile on the
// reference surface, with no background, for the clipboard (CF_ENHMETAFILE,
// output/clipboard/stamp_copy_win.h) or an EMF file.
#include <windows.h>

#include <string>

#include "output/emf/metafile_geometry.h"
#include "output/emf/vector_drawing.h"
#include "settings/settings_record.h"

namespace markomi {

// The resolution GDI+ gives a metafile recorded on the reference surface
// (read from a finished probe recording) over the reference resolution;
// 1.0 when the probe recording fails or its header is not believable.
MetafileRatio probe_metafile_ratio();

// Whether GDI+ records drawing into a metafile: a one-time probe fills a
// small rectangle into an EMF-only recording and looks for a painting
// record. Where it does not (its drawing calls answer NotImplemented), the
// project's own writer makes every metafile.
bool gdiplus_records_metafile_drawing();

// Makes the slot's impression as an enhanced metafile. GDI+ records it
// where it records drawing and its recording passes the check of
// output/emf/recording_check.h; otherwise the project writes the metafile itself
// from the captured drawing (output/emf/emf_writer.h). With `file_name` null the
// metafile lives in memory and is converted to EMF+ dual where GDI+ can;
// otherwise it is written into that file (EMF only), and a file it could not
// complete is removed. The caller owns the returned handle
// (DeleteEnhMetaFile); null on failure. `frame` (optional) receives the frame
// rectangle in pixels of the reference device. The slot's radius and
// thickness (and, with AJUST 0, its row heights) are exactly as before
// afterwards.
HENHMETAFILE render_stamp_metafile(SettingsSet& set, int slot_index, const wchar_t* file_name,
                                   MetafileFrame* frame = nullptr);

// How the last metafile was made, for the debug log and a diagnosis.
struct MetafileRecording {
    bool gdiplus_tried = false;  // GDI+ was asked to record first
    bool gdiplus_used = false;   // its recording passed the check and was used
    std::string why;             // why the project's writer made it, else empty
};
MetafileRecording last_metafile_recording();

// The slot's drawing as paths, as the project writes it: in pixels of a
// frame of the stored size at the start-up scale (the resolution ratio of a
// GDI+ recording left out), the frame in hundredths of a millimetre at the
// stored size at 96 dpi. What the SVG and PDF files and the project's own
// metafile are made of. False when the drawing could not be captured.
bool capture_stamp_drawing(SettingsSet& set, int slot_index, VectorDrawing* drawing,
                           MetafileFrame* frame = nullptr);

// Writes the slot's metafile as an EMF file. The recording goes into a
// temporary file beside `path` that replaces it only once complete, so a
// failure leaves neither a partial file nor a damaged earlier one. A
// read-only file is not replaced, as with the other image writers.
bool save_stamp_emf(SettingsSet& set, int slot_index, const wchar_t* path);
}  // namespace markomi
