#pragma once
// "PDFに捺印…": the stamp onto pages of PDF documents. The stamping window
// (ui/stamping_window_win.h) takes the choices; its companion Markomi2Stamp
// (beside the program file, where the PDF library lives) does the stamping,
// so the program itself stays small.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/settings_record.h"
#include "ui/pdf_stamp_rules.h"

namespace markomi {

// The whole command, owned by `owner` (the open settings window, or none):
// the stamping window, after the open dialog.
void run_pdf_stamp_command(HWND owner);

// Runs the companion for `request` (its settings file written from `set`)
// and reads its reply; nullopt when it could not be run or said nothing.
std::optional<PdfStampReply> stamp_pdf_with_companion(const SettingsSet& set, PdfStampRequest request);

// The companion's output file: its messages, then the reply's one line,
// read whole (up to a bound far above any page count); nullopt without one.
std::optional<PdfStampReply> read_companion_reply(const std::wstring& path);

// Several documents in one run of the companion (--stamp-onto IN --out OUT
// pairs), without blocking the caller's messages: one reply per item, in
// order (kNotWritten for one the companion did not answer). `place` set: the
// window's place from the nearest corner; unset: options.position/margin.
// `replace`: an existing copy is replaced, else refused "exists".
std::vector<PdfStampReply> stamp_pdfs_with_companion(
    const SettingsSet& set, int slot, const StampDate& date, const std::vector<PdfBatchItem>& items,
    const PdfStampOptions& options, const std::optional<PdfPosition>& place, bool replace,
    bool flatten = false,        // drawn into the pages, the file written anew
    bool allow_signed = false);  // with flatten: a signed document too, its signature voided

}  // namespace markomi
