#include "ui/stamping_summary_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "base/com_ptr_win.h"
#include "base/wide_text_win.h"
#include "ui/centred_dialogs_win.h"
#include "ui/dialog_template_win.h"

namespace markomi {
namespace {

enum : int { kIdText = 301, kIdOpenFolder = 302 };

struct Summary {
    std::wstring text;
    std::wstring first_copy;  // the first copy written; empty when none was
};

// The copy's folder in Explorer with the copy selected. The shell's own call
// rather than "explorer /select,PATH": a path holding a comma or quotes
// reaches it whole, and a window already showing the folder is reused.
void open_folder_of(HWND dialog, const std::wstring& copy) {
    const ScopedComApartment com;
    PIDLIST_ABSOLUTE item = nullptr;
    if (com.usable() && SUCCEEDED(SHParseDisplayName(copy.c_str(), nullptr, &item, 0, nullptr))) {
        // With no children given, the one item of the absolute list is selected.
        const HRESULT shown = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        CoTaskMemFree(item);
        if (SUCCEEDED(shown)) return;
    }
    const std::wstring folder = copy.substr(0, copy.find_last_of(L'\\'));
    ShellExecuteW(dialog, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

INT_PTR CALLBACK summary_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lparam);
            const Summary& summary = *reinterpret_cast<const Summary*>(lparam);
            SetDlgItemTextW(dialog, kIdText, summary.text.c_str());
            EnableWindow(GetDlgItem(dialog, kIdOpenFolder), !summary.first_copy.empty());
            centre_on_owner(dialog);
            SetFocus(GetDlgItem(dialog, IDOK));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case kIdOpenFolder:
                    open_folder_of(dialog, reinterpret_cast<const Summary*>(
                                               GetWindowLongPtrW(dialog, DWLP_USER))
                                               ->first_copy);
                    return TRUE;
                case IDOK:
                case IDCANCEL:
                    EndDialog(dialog, IDOK);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

DialogTemplate summary_template() {
    DialogTemplate t(L"PDFに捺印", 320, 190);
    t.item(kEdit, L"",
           ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7,
           306, 154, kIdText);
    t.item(kButton, L"フォルダーを開く(&F)", BS_PUSHBUTTON | WS_TABSTOP, 7, 169, 90, 14,
           kIdOpenFolder);
    t.item(kButton, L"閉じる", BS_DEFPUSHBUTTON | WS_TABSTOP, 263, 169, 50, 14, IDOK);
    return t;
}

}  // namespace

void show_stamping_summary(HWND owner, const std::vector<std::u16string>& inputs,
                           const std::vector<std::u16string>& outputs,
                           const std::vector<PdfStampReply>& replies) {
    Summary summary;
    summary.text = to_wide(stamping_summary_text(inputs, outputs, replies));
    for (std::size_t i = 0; i < replies.size() && i < outputs.size(); ++i) {
        if (replies[i].stamped) {
            summary.first_copy = to_wide(outputs[i]);
            break;
        }
    }
    const DialogTemplate t = summary_template();
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, summary_dialog_proc,
                            reinterpret_cast<LPARAM>(&summary));
}

}  // namespace markomi
