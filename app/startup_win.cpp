#include "app/startup_win.h"

#include <gdiplus.h>

#include <string>
#include <vector>

#include "app/app_windows_win.h"
#include "app/desktop_icon_win.h"
#include "app/main_window_win.h"
#include "app/program_paths_win.h"
#include "base/process_globals_win.h"
#include "base/win_handles_win.h"
#include "dates/era_registry_win.h"
#include "diag/debug_log.h"
#include "diag/debug_log_win.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "settings/settings_files_win.h"
#include "ui/document_handoff_win.h"
#include "ui/stamp_date_win.h"
#include "ui/stamping_window_win.h"
#include "ui/window_classes.h"

namespace markomi {
namespace {

// How long a new copy waits for the copy it told to quit to be gone.
constexpr DWORD kOldCopyExitWaitMs = 5000;

// Takes the start-up mutex without waiting. An abandoned mutex (a start-up
// that died half-way) is ours now and counts as taken.
bool take_startup_mutex(ScopedHandle& mutex) {
    mutex.reset(CreateMutexW(nullptr, FALSE, kStartupMutexName));
    if (!mutex.valid()) return false;
    DWORD wait = WaitForSingleObject(mutex.get(), 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return true;
    mutex.reset();
    return false;
}

void release_startup_mutex(ScopedHandle& mutex) {
    ReleaseMutex(mutex.get());
    mutex.reset();
}

// Tells a running copy to shut down, as the uninstaller does, and keeps a
// handle on its process so start-up can later wait for it to be gone.
ScopedHandle end_running_copy() {
    HWND old = FindWindowW(kMainWindowClass, nullptr);
    if (!old) return ScopedHandle();
    DWORD pid = 0;
    GetWindowThreadProcessId(old, &pid);
    ScopedHandle process(pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr);
    DWORD_PTR result = 0;
    // A hung copy must not hang this start-up too.
    SendMessageTimeoutW(old, WM_DESTROY, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 10000, &result);
    return process;
}

// The old copy ends asynchronously after its WM_DESTROY; give it a moment
// so that both copies do not end and leave the user with none.
bool old_copy_gone(const ScopedHandle& old_process) {
    if (old_process.valid()) WaitForSingleObject(old_process.get(), kOldCopyExitWaitMs);
    return FindWindowW(kMainWindowClass, nullptr) == nullptr;
}

// A start with documents (a drop on the shortcut, 送る) leaves a running
// copy as it is and hands them to it; true when it took them. A plain start
// ends the running copy as before.
bool handed_to_running_copy(const std::vector<std::wstring>& documents) {
    if (documents.empty()) return false;
    HWND running = FindWindowW(kMainWindowClass, nullptr);
    return running && hand_documents_to(running, documents);
}

int run_message_loop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        if (is_stamping_window_message(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 0;
}

}  // namespace

int run_markomi2(HINSTANCE instance) {
    ScopedHandle mutex;
    if (!take_startup_mutex(mutex)) return 0;

    const std::vector<std::wstring> documents = documents_on_command_line();
    if (handed_to_running_copy(documents)) {
        release_startup_mutex(mutex);
        return 0;
    }
    // A copy that did not take them (hung, or gone meanwhile) is ended as
    // at a plain start, and this copy opens them itself.
    g_instance = instance;
    ScopedHandle old_process = end_running_copy();

    g_startup_dpi = read_screen_dpi();
    g_current_dpi = read_screen_dpi();
    g_os_version_code = query_os_version_code();
    resolve_program_folders();

    Gdiplus::GdiplusStartupInput gdiplus_input;
    Gdiplus::GdiplusStartup(&g_gdiplus_token, &gdiplus_input, nullptr);

    g_debug_enabled = false;
    enable_debug_log_from_environment();
    load_era_table();
    sweep_stale_temporary_copies();
    load_field_enable();
    save_field_enable();
    load_settings();
    reset_stamp_date();
    init_measure_cache();
    create_surfaces();
    run_layout_pass(true);

    if (!old_copy_gone(old_process)) {
        release_surfaces();
        free_era_table();
        Gdiplus::GdiplusShutdown(g_gdiplus_token);
        release_startup_mutex(mutex);
        return 0;
    }

    give_desktop_icon_once();
    give_send_to_entry();
    connect_program_actions();
    register_window_classes(instance);
    HWND main_window = create_main_window(instance);
    release_startup_mutex(mutex);
    queue_documents(documents);
    int code = main_window ? run_message_loop() : 0;

    Gdiplus::GdiplusShutdown(g_gdiplus_token);
    delete_tray_icon();
    return code;
}

}  // namespace markomi
