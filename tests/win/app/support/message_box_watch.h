#pragma once
// Message boxes of a running program, watched from a thread of the test's
// own (the test's thread waits on the program meanwhile).
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/support/program_driver.h"

namespace markomi::testing {

// Watches for message boxes of one process from a thread of its own (the
// test's thread waits on the program meanwhile), notes each one's title and
// text and answers it with OK, so that nothing stays blocked.
class MessageBoxWatch {
  public:
    explicit MessageBoxWatch(DWORD pid) : pid_(pid), thread_([this] { run(); }) {}
    ~MessageBoxWatch() { stop(); }
    MessageBoxWatch(const MessageBoxWatch&) = delete;
    MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

    void stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int count() const { return count_; }
    std::vector<std::wstring> titles() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return titles_;
    }
    std::wstring texts() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return texts_;
    }
    // Waits up to `ms` for at least `n` boxes.
    bool wait_for(int n, DWORD ms) const {
        for (DWORD waited = 0; count_ < n && waited < ms; waited += 20) Sleep(20);
        return count_ >= n;
    }

  private:
    void run() {
        std::vector<HWND> answered;
        while (!done_) {
            HWND box = nullptr;
            while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
                if (owner_of(box) != pid_ || !IsWindowVisible(box)) continue;
                bool seen = false;
                for (HWND a : answered) seen = seen || a == box;
                if (seen) continue;
                answered.push_back(box);
                Sleep(100);  // let it finish building its controls
                wchar_t title[200] = L"", text[2000] = L"";
                GetWindowTextW(box, title, 200);
                GetDlgItemTextW(box, 0xFFFF, text, 2000);  // a message box's text
                {
                    std::lock_guard<std::mutex> hold(mutex_);
                    titles_.push_back(title);
                    texts_ += std::wstring(text) + L"\n";
                }
                ++count_;
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            }
            Sleep(20);
        }
    }

    DWORD pid_;
    std::atomic<bool> done_{false};
    std::atomic<int> count_{0};
    mutable std::mutex mutex_;
    std::vector<std::wstring> titles_;
    std::wstring texts_;
    std::thread thread_;
};

}  // namespace markomi::testing
