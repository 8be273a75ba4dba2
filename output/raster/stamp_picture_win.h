#pragma once
// Drawing the stamp's one picture (output/raster/stamp_picture.h): the slot at
// twice its size, shadow pass first, on a surface that keeps its coverage
// and holds the whole working canvas; cropped to the ink box measured on
// that same drawing, plus one pixel (and the shadow), and halved. The stamp
// is drawn once: its ink box needs no drawing of its own, as the other
// pipelines' does on the 575 x 530 ink surface (where reads beyond the
// surface count as ink; this surface is as large as the canvas, so a canvas
// larger than the ink surface is cropped to its ink as well).
#include "output/raster/stamp_picture.h"
#include "settings/settings_record.h"

namespace markomi {

// Where the picture is drawn.
//  kAlphaBitmap: a GDI+ bitmap of premultiplied ARGB over transparent
//    black; GDI+ blends its anti-aliased edges into the alpha itself.
//  kKeyedBitmap: a 24-bit bitmap filled with a key colour that the slot
//    draws in none of its colours; the key reads back as transparent,
//    everything else as opaque. Exact only where GDI+ does not anti-alias
//    on device contexts, which is where it is chosen.
enum class PictureSurface { kAlphaBitmap, kKeyedBitmap };

// The surface this system draws the picture on: the alpha bitmap where GDI+
// anti-aliases on a device context, else the keyed bitmap. (Wine's GDI+
// hands device-context drawing to GDI, without anti-aliasing, while on its
// own bitmaps it rasterises by itself: differently, and with a stack
// overflow on some arcs; see docs/wine-notes.md.) Probed once per process.
PictureSurface picture_surface();

// The slot's picture; empty (no pixels) when it could not be drawn. The
// slot's radius, thickness and (with AJUST 0) heights are as before afterwards.
StampPicture render_stamp_picture(SettingsSet& set, int slot_index,
                                  PictureSurface surface = picture_surface());

}  // namespace markomi
