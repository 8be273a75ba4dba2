#include "ui/stamp_settings_window_win.h"

#include "ui/interim_window_win.h"

namespace markomi {

LRESULT CALLBACK StampSettingsWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    return interim_host_window_proc(hwnd, msg, wparam, lparam, L"マルコミ２ 設定");
}

}  // namespace markomi
