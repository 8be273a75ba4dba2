#include "output/clipboard/stamp_copy_win.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "base/gdi_handles_win.h"
#include "output/clipboard/transparent_formats_win.h"
#include "output/emf/metafile_bytes_win.h"
#include "output/emf/metafile_output_win.h"
#include "output/emf/metafile_rules.h"
#include "output/raster/bitmap_output_win.h"
#include "output/raster/stamp_picture_win.h"

namespace markomi {

namespace {

HWND g_delayed_rendering_window = nullptr;

}  // namespace

bool put_metafile_on_clipboard(HENHMETAFILE metafile, HWND owner, ClipboardCopy* outcome) {
    // The copy is made before the clipboard is opened: a metafile that
    // cannot be copied leaves the clipboard with what it had.
    HENHMETAFILE copy = nullptr;
    const std::vector<std::uint8_t> bits = metafile_bytes(metafile);
    if (!bits.empty()) copy = SetEnhMetaFileBits(static_cast<UINT>(bits.size()), bits.data());
    if (!copy) {
        if (outcome) *outcome = ClipboardCopy::kNotRendered;
        return false;
    }
    if (!open_clipboard_patiently(owner)) {
        DeleteEnhMetaFile(copy);
        if (outcome) *outcome = ClipboardCopy::kClipboardBusy;
        return false;
    }
    EmptyClipboard();
    // The clipboard owns this copy; the caller keeps its own handle.
    const bool placed = SetClipboardData(CF_ENHMETAFILE, copy) != nullptr;
    if (!placed) DeleteEnhMetaFile(copy);
    CloseClipboard();
    if (outcome) *outcome = placed ? ClipboardCopy::kPlaced : ClipboardCopy::kClipboardBusy;
    return placed;
}

bool copy_metafile_to_clipboard(SettingsSet& set, int slot_index, HWND owner,
                                ClipboardCopy* outcome) {
    HENHMETAFILE metafile = render_stamp_metafile(set, slot_index, nullptr);
    if (!metafile) {
        if (outcome) *outcome = ClipboardCopy::kNotRendered;
        return false;
    }
    const bool placed = put_metafile_on_clipboard(metafile, owner, outcome);
    DeleteEnhMetaFile(metafile);
    return placed;
}

void set_delayed_rendering_window(HWND window) {
    g_delayed_rendering_window = window;
}

bool copy_bitmap_to_clipboard(SettingsSet& set, int slot_index, HWND owner,
                              ClipboardCopy* outcome) {
    StampPicture picture = render_stamp_picture(set, slot_index);
    GdiBitmap bitmap;
    {
        WindowDc window_dc(owner);
        if (window_dc) bitmap.reset(stamp_bitmap_of(window_dc.get(), picture));
    }
    bool placed = false;
    ClipboardCopy result = ClipboardCopy::kNotRendered;
    if (bitmap) {
        // Only a resident program is still there when they are read: the
        // normal program ends right after its copy or paste, and what it
        // would make then (opening the clipboard a reader may hold) can be
        // lost.
        const bool on_request =
            owner != nullptr && owner == g_delayed_rendering_window && set.global.station_type == 1;
        // Made before the clipboard is opened, so that it is held only for
        // the moment of setting.
        TransparentFormats extras;
        if (!on_request) extras = transparent_formats(picture);
        result = ClipboardCopy::kClipboardBusy;
        if (open_clipboard_patiently(owner)) {
            // Emptying tells the owner of the last copy (this window, maybe)
            // to drop what it kept for it; the new picture is kept after.
            EmptyClipboard();
            // Programs take the first format on the clipboard they can
            // read, so the transparent forms come first and the bitmap,
            // which every program reads, last. Without the bitmap there is
            // no copy: the clipboard is left empty.
            if (on_request)
                offer_transparent_formats(std::move(picture));
            else
                put_transparent_formats(extras);
            placed = SetClipboardData(CF_BITMAP, bitmap.get()) != nullptr;
            if (placed) {
                bitmap.release();  // the clipboard's now
            } else {
                EmptyClipboard();
                forget_offered_formats();
            }
            CloseClipboard();
            if (placed) result = ClipboardCopy::kPlaced;
        }
    }
    if (outcome) *outcome = result;
    return placed;
}

bool copy_stamp_to_clipboard(SettingsSet& set, int slot_index, HWND owner, bool ctrl_down,
                             ClipboardCopy* outcome) {
    if (stamp_output_for(set.global, ctrl_down) == StampOutput::kMetafile)
        return copy_metafile_to_clipboard(set, slot_index, owner, outcome);
    return copy_bitmap_to_clipboard(set, slot_index, owner, outcome);
}

}  // namespace markomi
