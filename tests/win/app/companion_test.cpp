// Drives the console companion Markomi2Stamp.exe as a script would.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/test_files.h"

namespace {

namespace t = markomi::testing;

struct CompanionRun {
    DWORD code = 9999;
    std::string out;
    std::string err;
};

std::string read_all(HANDLE pipe) {
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
    return text;
}

CompanionRun run_companion(const std::wstring& args) {
    CompanionRun r;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out_read, out_write, err_read, err_write;
    CreatePipe(&out_read, &out_write, &sa, 0);
    CreatePipe(&err_read, &err_write, &sa, 0);
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out_write;
    si.hStdError = err_write;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" MARKOMI2_STAMP_EXE_PATH L"\" " + args;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi)) {
        CloseHandle(out_write);
        CloseHandle(err_write);
        return r;
    }
    CloseHandle(out_write);
    CloseHandle(err_write);
    r.out = read_all(out_read);
    r.err = read_all(err_read);
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &r.code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(out_read);
    CloseHandle(err_read);
    return r;
}

class Companion : public ::testing::Test {
protected:
    void SetUp() override {
        ini_ = dir_.file(L"設定.ini");
        t::write_bytes(ini_, t::utf16le_with_bom(L"[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=総務部\r\n"
                                                 L"NAME=佐藤\r\nACTIVE=2\r\nDATE3_ERA=1\r\n"));
    }
    std::wstring ini_arg() const { return L"--ini \"" + ini_ + L"\""; }
    t::TempFolder dir_;
    std::wstring ini_;
};

TEST_F(Companion, WritesEachImageTypeAndDescribesItInJson) {
    const wchar_t* files[] = {L"印影.png", L"印影.bmp", L"印影.jpg", L"印影.emf"};
    const char* formats[] = {"\"format\":\"PNG\"", "\"format\":\"BMP\"", "\"format\":\"JPG\"",
                             "\"format\":\"EMF\""};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        std::wstring out = dir_.file(files[i]);
        CompanionRun r = run_companion(ini_arg() + L" --date 2025-05-01 --out \"" + out + L"\"");
        EXPECT_EQ(r.code, 0u) << r.err;
        EXPECT_TRUE(t::file_exists(out));
        EXPECT_NE(r.out.find("\"slot\":3,\"design\":\"star\""), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(formats[i]), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("\"date\":\"令和7/05/01\""), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("\"heights\":{\"busho\":-"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.back(), '\n');
    }
}

TEST_F(Companion, PutsTheStampOnTheClipboard) {
    CompanionRun bitmap = run_companion(ini_arg() + L" --slot 1 --format B --clipboard");
    EXPECT_EQ(bitmap.code, 0u) << bitmap.err;
    EXPECT_NE(bitmap.out.find("\"output\":\"clipboard\",\"format\":\"B\""), std::string::npos);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    CloseClipboard();

    CompanionRun metafile = run_companion(ini_arg() + L" --slot 6 --format M --clipboard");
    EXPECT_EQ(metafile.code, 0u) << metafile.err;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    EmptyClipboard();
    CloseClipboard();
}

TEST_F(Companion, BadArgumentsExit2AndUnwritablePathsExit1WithoutLeavingAFile) {
    CompanionRun none = run_companion(L"");
    EXPECT_EQ(none.code, 2u);
    EXPECT_NE(none.err.find("使い方"), std::string::npos);
    EXPECT_NE(none.err.find("Usage"), std::string::npos);
    EXPECT_EQ(run_companion(L"--slot 9 --clipboard").code, 2u);
    EXPECT_EQ(run_companion(L"--out x.gif").code, 2u);

    std::wstring missing = dir_.path() + L"\\無い\\印影.png";
    CompanionRun unwritable = run_companion(ini_arg() + L" --out \"" + missing + L"\"");
    EXPECT_EQ(unwritable.code, 1u);
    EXPECT_FALSE(unwritable.err.empty());
    EXPECT_FALSE(t::file_exists(missing));
}

}  // namespace
