#pragma once
// Copying the stamp to the clipboard: as an enhanced metafile
// (output/emf/metafile_output_win.h) or as its bitmap with the transparent
// formats beside it (output/raster/bitmap_output_win.h), and the switch
// between the two.
#include <windows.h>

#include "output/clipboard/clipboard_win.h"
#include "settings/settings_record.h"

namespace markomi {

// Puts an independent copy of `metafile` on the emptied clipboard (owned by
// `owner`) as CF_ENHMETAFILE; the caller still owns `metafile`. False when
// no copy could be placed; a metafile that cannot be copied, or a clipboard
// that cannot be opened, leaves the clipboard as it was. `outcome` tells which.
bool put_metafile_on_clipboard(HENHMETAFILE metafile, HWND owner, ClipboardCopy* outcome = nullptr);

// Renders the slot's metafile and puts it on the clipboard.
bool copy_metafile_to_clipboard(SettingsSet& set, int slot_index, HWND owner,
                                ClipboardCopy* outcome = nullptr);

// The window that makes the transparent formats only when a program asks
// for them: its procedure answers WM_RENDERFORMAT, WM_RENDERALLFORMATS and
// WM_DESTROYCLIPBOARD with the functions of transparent_formats_win.h. Null
// (the default) when there is none.
void set_delayed_rendering_window(HWND window);

// Renders the slot's picture and puts it on the clipboard, owned by
// `owner`: "PNG", CF_DIBV5 and CF_DIB first, then the bitmap. Owned by the
// delayed rendering window in resident mode (STATIONTYPE 1 in `set`), the
// three are only offered and the picture is kept to make them from
// (encoding them costs about as much as the rest of a copy); otherwise they
// are made at once, and those that could not be made are left out. False
// when the clipboard could not be had (everything made is then released) or
// no bitmap was made (the clipboard is then not touched); `outcome` tells
// which.
bool copy_bitmap_to_clipboard(SettingsSet& set, int slot_index, HWND owner,
                              ClipboardCopy* outcome = nullptr);

// The stamping switch: FORMAT's first letter picks the metafile ("M") or the
// bitmap, and Ctrl held reverses the choice. The program's stamps all come
// through copy_active_stamp (app/app_windows_win.h), which reads the key.
bool copy_stamp_to_clipboard(SettingsSet& set, int slot_index, HWND owner, bool ctrl_down,
                             ClipboardCopy* outcome = nullptr);

}  // namespace markomi
