#pragma once
// The stamp as an SVG or PDF file: the slot's drawing captured as paths
// (output/emf/metafile_output_win.h) and written in the vector format at the
// EMF file's physical size.
#include <windows.h>

#include "settings/settings_record.h"

namespace markomi {

enum class VectorFormat { kSvg, kPdf };

// Writes through a staging file beside `path` (base/safe_file_win.h),
// so a failure leaves no partial file and an old file whole. `width` and
// `height`, when given, receive the picture frame in pixels of the
// metafile's reference device. False when the drawing could not be
// captured or the file not written.
bool save_stamp_vector(SettingsSet& set, int slot_index, VectorFormat format, const wchar_t* path,
                       int* width = nullptr, int* height = nullptr);

}  // namespace markomi
