#include "ui/document_handoff_win.h"

#include <shellapi.h>

#include "base/message_box_title.h"
#include "base/wide_text_win.h"
#include "ui/document_handoff.h"
#include "ui/stamping_window_win.h"

namespace markomi {
namespace {

// A running copy that does not answer within this time is taken as hung;
// the new start then goes on as if none were running.
constexpr UINT kHandoffTimeoutMs = 5000;

constexpr wchar_t kNoPdfDropped[] =
    L"PDF ファイルではないため開けません。\nPDF ファイルをドロップしてください。";

bool is_existing_file(std::u16string_view path) {
    const DWORD attributes = GetFileAttributesW(to_wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> to_wide_list(const std::vector<std::u16string>& paths) {
    std::vector<std::wstring> wide;
    wide.reserve(paths.size());
    for (const std::u16string& path : paths) wide.push_back(to_wide(path));
    return wide;
}

}  // namespace

std::vector<std::wstring> documents_on_command_line() {
    int count = 0;
    // CommandLineToArgvW follows the quoting rules every program's start-up
    // code uses, so a path with spaces that Explorer quoted comes out whole.
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return {};
    std::vector<std::u16string> list;
    for (int i = 1; i < count && list.size() < kMaxHandedDocuments * 4; ++i)
        list.emplace_back(as_u16(std::wstring_view(arguments[i])));
    LocalFree(arguments);
    return to_wide_list(documents_in_arguments(list, is_existing_file));
}

bool hand_documents_to(HWND running, const std::vector<std::wstring>& documents) {
    std::vector<std::u16string> paths;
    for (const std::wstring& document : documents)
        paths.emplace_back(as_u16(std::wstring_view(document)));
    const std::u16string block = encode_document_handoff(paths);
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    // SetForegroundWindow succeeds for a process the foreground process
    // allowed: this start was begun by the user (Explorer, 送る), so it may
    // pass the right on, and the running copy's window then comes forward
    // instead of flashing on the taskbar.
    if (process) AllowSetForegroundWindow(process);
    COPYDATASTRUCT data{};
    data.dwData = kDocumentHandoffTag;
    data.cbData = static_cast<DWORD>(block.size() * sizeof(char16_t));
    data.lpData = const_cast<char16_t*>(block.data());
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, kHandoffTimeoutMs, &answer) != 0 &&
           answer == TRUE;
}

bool take_handed_documents(const COPYDATASTRUCT* data, std::vector<std::wstring>* documents) {
    if (!data || data->dwData != kDocumentHandoffTag) return false;
    const auto paths = decode_document_handoff(data->lpData, data->cbData);
    if (!paths) return false;
    *documents = to_wide_list(*paths);
    return true;
}

std::vector<std::wstring> take_dropped_documents(HDROP drop) {
    std::vector<std::wstring> documents;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::wstring path;
    for (UINT i = 0; i < count && documents.size() < kMaxHandedDocuments; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0 || length > kMaxHandedPathLength) continue;
        path.assign(length + 1, L'\0');
        if (DragQueryFileW(drop, i, path.data(), length + 1) != length) continue;
        path.resize(length);
        if (has_pdf_extension(as_u16(std::wstring_view(path))) &&
            is_existing_file(as_u16(std::wstring_view(path))))
            documents.push_back(path);
    }
    DragFinish(drop);
    return documents;
}

void open_dropped_documents(HWND window, HDROP drop) {
    const std::vector<std::wstring> documents = take_dropped_documents(drop);
    if (documents.empty()) {
        MessageBoxW(window, kNoPdfDropped, kMessageBoxTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Explorer's drop loop is not waiting for this (WM_DROPFILES is posted),
    // so the window and its dialogs may run here.
    open_stamping_window(window, documents);
}

}  // namespace markomi
