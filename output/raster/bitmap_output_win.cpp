#include "output/raster/bitmap_output_win.h"

#include <array>
#include <utility>

#include "base/gdi_handles_win.h"
#include "output/canvas/output_common_win.h"
#include "output/raster/halve_win.h"
#include "output/raster/image_file_win.h"
#include "output/raster/stamp_picture_win.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"

namespace markomi {

HBITMAP stamp_bitmap_of(HDC dc, const StampPicture& picture) {
    return bitmap_from_pixels(dc, picture.on_white, picture.width, picture.bitmap_height);
}

StampBitmap render_stamp_bitmap(SettingsSet& set, int slot_index, HDC window_dc, HDC memory_dc) {
    StampBitmap result;
    const StampPicture picture = render_stamp_picture(set, slot_index);
    result.bitmap = stamp_bitmap_of(window_dc, picture);
    if (!result.bitmap) return result;
    SelectObject(memory_dc, result.bitmap);
    result.width = picture.width;
    result.height = picture.bitmap_height;
    return result;
}

}  // namespace markomi
