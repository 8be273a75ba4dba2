#pragma once
// The stamp's picture at a finer resolution than the screen's, for image
// files that must print sharp: the drawing the metafile, SVG and PDF files
// hold (the capture of output/emf/metafile_output_win.h), filled and stroked
// again on a bitmap that keeps alpha at twice the size its frame has at that
// resolution, cut to its ink and halved as the screen's picture is.
#include "output/raster/stamp_picture.h"
#include "settings/settings_record.h"

namespace markomi {

// The slot's picture at `dpi` dots per inch: its ink box with the blank
// the 96-dpi picture keeps around it, scaled (fine_picture_box), every row
// both in the image files and in the BMP (bitmap_height = height). False
// when nothing could be drawn.
bool render_stamp_picture_at(SettingsSet& set, int slot_index, int dpi, StampPicture* picture);

}  // namespace markomi
