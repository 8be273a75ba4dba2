// Saves the settings of a folder over and over through the program's own
// save path, for the fault tests (tests/win/settings_fault_test.cpp), which
// end it at any moment or run two copies at once.
//
//   markomi2_settings_save_loop FOLDER ORDER COUNT [EVENTS]
//
// ORDER names the value sets saved in turn (support/settings_value_sets.h):
// "AB" alternates from A, "BA" from B, "A" saves A only. COUNT saves, or
// until ended from outside when 0. With EVENTS, the loop reads the folder's
// file, then waits for the event "EVENTS-go" and sets "EVENTS-saving" right
// before its first save: a test can start the next copy while the last one
// still saves, and knows when to end it.
//
// Exit code: 0 when every save succeeded; 2 when one failed; 3 when the
// folder's settings file was there but not read (nothing is saved then);
// 1 for bad arguments. A loop nobody lets go or ends within a minute belongs
// to a test that died: it ends by itself (with 4) rather than save on.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "settings/settings_files_win.h"
#include "support/settings_value_sets.h"

namespace {

constexpr DWORD kAbandonedAfterMs = 60000;

int run(const wchar_t* folder, const std::wstring& order, long count, const wchar_t* events) {
    markomi::SettingsSet loaded;
    const markomi::SettingsFileState state = markomi::load_settings_in(folder, loaded);
    if (state != markomi::SettingsFileState::kRead &&
        state != markomi::SettingsFileState::kMissing) {
        std::fwprintf(stderr, L"settings file not read (state %d)\n", static_cast<int>(state));
        return 3;
    }
    std::vector<markomi::SettingsSet> sets;
    for (wchar_t which : order)
        sets.push_back(markomi::testing::settings_value_set(static_cast<char>(which)));

    if (events) {
        const std::wstring prefix = events;
        HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, (prefix + L"-go").c_str());
        HANDLE saving = OpenEventW(EVENT_MODIFY_STATE, FALSE, (prefix + L"-saving").c_str());
        if (!go || !saving) {
            std::fwprintf(stderr, L"no events %ls-go and %ls-saving\n", events, events);
            return 1;
        }
        const bool let_go = WaitForSingleObject(go, kAbandonedAfterMs) == WAIT_OBJECT_0;
        if (let_go) SetEvent(saving);
        CloseHandle(go);
        CloseHandle(saving);
        if (!let_go) return 4;
    }
    const ULONGLONG since = GetTickCount64();
    long failed = 0;
    for (long i = 0; count == 0 || i < count; ++i) {
        if (count == 0 && GetTickCount64() - since > kAbandonedAfterMs) return 4;
        markomi::SettingsSet set = sets[static_cast<std::size_t>(i) % sets.size()];
        if (!markomi::save_settings_in(folder, set, state)) {
            ++failed;
            std::fwprintf(stderr, L"save %ld of set %lc failed (error %lu)\n", i + 1,
                          order[static_cast<std::size_t>(i) % order.size()], GetLastError());
        }
    }
    return failed == 0 ? 0 : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4 || argc > 5) {
        std::fwprintf(stderr, L"usage: %ls FOLDER ORDER COUNT [EVENTS]\n", argv[0]);
        return 1;
    }
    const std::wstring order = argv[2];
    if (order.empty() || order.find_first_not_of(L"AB") != std::wstring::npos) return 1;
    wchar_t* end = nullptr;
    const long count = std::wcstol(argv[3], &end, 10);
    if (*end != 0 || count < 0) return 1;
    return run(argv[1], order, count, argc == 5 ? argv[4] : nullptr);
}
