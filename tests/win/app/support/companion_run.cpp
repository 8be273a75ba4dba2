#include "app/support/companion_run.h"

#include "app/support/program_driver.h"

namespace markomi::testing {

namespace {

std::string read_all(HANDLE pipe) {
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
    return text;
}

struct PipeReading {
    HANDLE pipe;
    std::string text;
};

DWORD WINAPI read_in_background(void* reading) {
    auto* r = static_cast<PipeReading*>(reading);
    r->text = read_all(r->pipe);
    return 0;
}

}  // namespace

CompanionRun run_companion(const std::wstring& args, const wchar_t* folder, bool output_closed) {
    CompanionRun r;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out_read, out_write, err_read, err_write;
    CreatePipe(&out_read, &out_write, &sa, 0);
    CreatePipe(&err_read, &err_write, &sa, 0);
    if (output_closed) {
        CloseHandle(out_read);
        out_read = nullptr;
    }
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out_write;
    si.hStdError = err_write;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + stamp_exe() + L"\" " + args;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        folder, &si, &pi)) {
        CloseHandle(out_write);
        CloseHandle(err_write);
        return r;
    }
    CloseHandle(out_write);
    CloseHandle(err_write);
    // Both pipes at once: a program that fills one while the other is read
    // would wait for ever (the usage text alone passes a pipe's buffer).
    PipeReading err{err_read, {}};
    HANDLE reader = CreateThread(nullptr, 0, read_in_background, &err, 0, nullptr);
    if (!reader) err.text = read_all(err_read);
    if (out_read) r.out = read_all(out_read);
    if (reader) {
        WaitForSingleObject(reader, INFINITE);
        CloseHandle(reader);
    }
    r.err = std::move(err.text);
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &r.code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    if (out_read) CloseHandle(out_read);
    CloseHandle(err_read);
    return r;
}

}  // namespace markomi::testing
