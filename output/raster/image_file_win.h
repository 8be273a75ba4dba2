#pragma once
// Saving the stamp impression as an image file: the BMP writer (the bitmap
// pipeline's bitmap, 24 bits), the PNG/JPEG writer (the stamp's one picture,
// output/raster/stamp_picture.h, encoded by GDI+), the dispatcher by the save
// dialog's type (EMF, SVG and PDF have writers of their own), and the dialog.
// Every writer goes through a temporary file beside the target that is moved
// into place only once it is complete, so a failure leaves no partial file.
#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "output/raster/image_file_rules.h"
#include "output/raster/image_resolution.h"
#include "output/raster/stamp_picture.h"
#include "settings/settings_record.h"

namespace markomi {

// Writes the slot's bitmap (compatible with `window`'s device context, the
// screen's when null) as a 24-bit BMP file. False when nothing was written.
bool save_stamp_bmp(SettingsSet& set, int slot_index, HWND window, const wchar_t* path);

// A picture of straight (not premultiplied) 0xAARRGGBB pixels, rows top to
// bottom.
struct ArgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    int dpi = kImageDpi;  // the resolution its file declares
};

// The slot's impression as the PNG writer makes it: the bytes of the file
// (transparent background) and the picture they hold. The clipboard offers
// the same bytes beside its bitmap. `file` is empty when none was made.
struct StampPng {
    std::vector<std::uint8_t> file;
    ArgbPicture picture;
};
StampPng render_stamp_png(SettingsSet& set, int slot_index);

// The PNG of a picture already drawn (render_stamp_png draws and calls this).
StampPng stamp_png_of(const StampPicture& picture);

// Writes the slot's impression as PNG (the bytes of render_stamp_png) or
// JPEG (white background, quality 100). False for the other writers and
// when nothing was written.
bool save_stamp_image(SettingsSet& set, int slot_index, ImageWriter writer, const wchar_t* path);

// Writes the slot's impression as BMP, PNG or JPEG at `dpi` dots per inch
// (96 to 1200), of the same physical size whatever the resolution, which
// the file declares. At 96 dpi these are the files of the writers above;
// at any other resolution the stamp's drawing (the one its metafile, SVG
// and PDF hold) is filled again at that resolution. False for the other
// writers and when nothing was written.
bool save_stamp_image_at(SettingsSet& set, int slot_index, ImageWriter writer, int dpi,
                         const wchar_t* path);

// The writer of the dialog's type at `filter_index` (1-based): BMP, PNG,
// JPEG, the metafile pipeline's EMF file, or that metafile as SVG or PDF. False when the index is
// outside the list or the writer failed.
bool save_stamp_file(SettingsSet& set, int slot_index, HWND window, int filter_index,
                     const wchar_t* path);

// The index of the first installed GDI+ encoder of that MIME type, its class
// identifier copied to `clsid`; -1 (and `clsid` untouched) when there is none.
int find_image_encoder(std::u16string_view mime_type, CLSID* clsid);

// Runs the modal save dialog owned by `owner` (the open settings host
// window, or null; never the hidden main window) and writes the chosen file
// with the chosen type's extension ensured. An existing file is replaced
// only after the user says yes (no: the dialog again); a file that cannot
// be written is told in a message box. The dialog starts in the folder and
// with the type of the last save of this run. False when cancelled or when
// the writer failed; false at once while another dialog flow is open
// (base/modal_flow_win.h), which is brought forward instead.
bool run_save_image_dialog(HWND owner, SettingsSet& set, int slot_index);

}  // namespace markomi
