// Drives the console companion Markomi2Stamp.exe as a script would.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program_paths_win.h"
#include "app/support/companion_run.h"
#include "app/support/program_driver.h"
#include "base/process_globals_win.h"
#include "dates/era_table.h"
#include "output/emf/metafile_output_win.h"
#include "render/surfaces_gdiplus.h"
#include "settings/memory_profile.h"
#include "settings/settings_rules.h"
#include "support/clipboard_text.h"
#include "support/decoded_image.h"
#include "support/test_files.h"

namespace {

namespace t = markomi::testing;
using t::CompanionRun;
using t::run_companion;

// The number after "key": in the companion's JSON line; -1 when absent.
int json_number(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\":");
    return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + key.size() + 3);
}

const wchar_t kIniText[] =
    L"[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=総務部\r\nNAME=佐藤\r\nACTIVE=2\r\nDATE3_ERA=1\r\n";

class Companion : public ::testing::Test {
protected:
    void SetUp() override {
        ini_ = dir_.file(L"設定.ini");
        t::write_bytes(ini_, t::utf16le_with_bom(kIniText));
    }
    std::wstring ini_arg() const { return L"--ini \"" + ini_ + L"\""; }
    t::TempFolder dir_;
    std::wstring ini_;
};

TEST_F(Companion, WritesEachImageTypeAndDescribesItInJson) {
    const wchar_t* files[] = {L"印影.png", L"印影.bmp", L"印影.jpg", L"印影.emf", L"印影.svg", L"印影.pdf"};
    const char* formats[] = {"\"format\":\"PNG\"", "\"format\":\"BMP\"", "\"format\":\"JPG\"",
                             "\"format\":\"EMF\"", "\"format\":\"SVG\"", "\"format\":\"PDF\""};
    std::string sizes[6];
    for (int i = 0; i < 6; ++i) {
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
        const std::size_t size_at = r.out.find("\"width\":");
        sizes[i] = r.out.substr(size_at, r.out.find(",\"date\"") - size_at);
    }
    // The vector files have the metafile's picture frame.
    EXPECT_EQ(sizes[4], sizes[3]);
    EXPECT_EQ(sizes[5], sizes[3]);
}

// The resolution a raster file declares, in pixels per metre: the BMP
// header's, the PNG's pHYs chunk; 0 when none is found.
unsigned pixels_per_metre_of(const std::vector<unsigned char>& file, bool png) {
    if (!png) return file.size() > 42 ? file[38] | file[39] << 8 | file[40] << 16 | file[41] << 24 : 0;
    const std::string bytes(file.begin(), file.end());
    const std::size_t at = bytes.find("pHYs");
    if (at == std::string::npos || at + 8 > file.size()) return 0;
    return static_cast<unsigned>(file[at + 4]) << 24 | file[at + 5] << 16 | file[at + 6] << 8 | file[at + 7];
}

// --dpi makes the raster files finer at the size of the 96-dpi file, cut to
// the ink as it is (within a pixel of it: the drawing there is the
// metafile's), and says so in the file and the JSON, for every design (the
// flower's petals once brought Wine's rasteriser down), with blended edges;
// vector files refuse it.
TEST_F(Companion, DpiMakesFinerRasterFilesOfTheSameSize) {
    for (int slot = 1; slot <= 7; ++slot) {
        SCOPED_TRACE(slot);
        const std::wstring common = ini_arg() + L" --date 2025-05-01 --slot " + std::to_wstring(slot);
        CompanionRun frame = run_companion(common + L" --out \"" + dir_.file(L"plain.png") + L"\"");
        ASSERT_EQ(frame.code, 0u) << frame.err;
        for (const wchar_t* name : {L"fine.png", L"fine.bmp"}) {
            const std::wstring out = dir_.file(name);
            CompanionRun r = run_companion(common + L" --dpi 300 --out \"" + out + L"\"");
            ASSERT_EQ(r.code, 0u) << r.err;
            EXPECT_NE(r.out.find("\"dpi\":300,"), std::string::npos) << r.out;
            EXPECT_NEAR(json_number(r.out, "width"), json_number(frame.out, "width") * 300 / 96.0, 4) << r.out;
            EXPECT_NEAR(json_number(r.out, "height"), json_number(frame.out, "height") * 300 / 96.0, 4);
            EXPECT_EQ(pixels_per_metre_of(t::read_bytes(out), name[5] == L'p'), 11811u);  // 300 / 0.0254
        }
        // Its edges are blended, not stepped: some pixels are partly covered.
        const t::DecodedImage fine = t::decode_image_file(dir_.file(L"fine.png"));
        EXPECT_TRUE(std::any_of(fine.argb.begin(), fine.argb.end(), [](std::uint32_t p) {
            return (p >> 24) != 0 && (p >> 24) != 255;
        }));
        // At most 3 blank pixels (one at 96 dpi) beside the ink on each side.
        int left = fine.width, top = fine.height, right = -1, bottom = -1;
        for (int y = 0; y < fine.height; ++y) {
            for (int x = 0; x < fine.width; ++x) {
                if ((fine.at(x, y) >> 24) == 0) continue;
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
        EXPECT_LE(std::max({left, top, fine.width - 1 - right, fine.height - 1 - bottom}), 3)
            << left << "," << top << " to " << right << "," << bottom << " of " << fine.width << "x" << fine.height;
    }
    CompanionRun vector = run_companion(ini_arg() + L" --dpi 300 --out \"" + dir_.file(L"x.emf") + L"\"");
    EXPECT_EQ(vector.code, 2u);
    EXPECT_FALSE(t::file_exists(dir_.file(L"x.emf")));
    // A read-only target is refused and keeps its bytes: the fine files go
    // through the same staging file as every writer.
    const std::wstring kept = dir_.file(L"fine.png");
    const std::vector<unsigned char> before = t::read_bytes(kept);
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY);
    CompanionRun refused = run_companion(ini_arg() + L" --slot 4 --dpi 600 --out \"" + kept + L"\"");
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(refused.code, 1u);
    EXPECT_EQ(t::read_bytes(kept), before);
}

TEST_F(Companion, PutsTheStampOnTheClipboard) {
    CompanionRun bitmap = run_companion(ini_arg() + L" --slot 1 --format B --clipboard");
    EXPECT_EQ(bitmap.code, 0u) << bitmap.err;
    EXPECT_NE(bitmap.out.find("\"output\":\"clipboard\",\"format\":\"B\""), std::string::npos);
    // The transparent forms beside the bitmap outlive the companion too.
    const UINT png = RegisterClipboardFormatW(L"PNG");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(IsClipboardFormatAvailable(png));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIBV5));
    CloseClipboard();

    CompanionRun metafile = run_companion(ini_arg() + L" --slot 6 --format M --clipboard");
    EXPECT_EQ(metafile.code, 0u) << metafile.err;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    EXPECT_FALSE(IsClipboardFormatAvailable(png));
    EmptyClipboard();
    CloseClipboard();
}

TEST_F(Companion, BadArgumentsExit2AndUnwritablePathsExit1WithoutLeavingAFile) {
    CompanionRun none = run_companion(L"");
    EXPECT_EQ(none.code, 2u);
    EXPECT_NE(none.err.find("使い方"), std::string::npos);
    EXPECT_NE(none.err.find("Usage"), std::string::npos);
    EXPECT_EQ(run_companion(L"--slot 9 --clipboard").code, 2u);
    // Asked for, the usage goes to standard output and the run succeeds.
    for (const wchar_t* help : {L"--help", L"-h", L"/?"}) {
        CompanionRun asked = run_companion(help);
        EXPECT_EQ(asked.code, 0u) << help;
        EXPECT_NE(asked.out.find("使い方"), std::string::npos);
        EXPECT_TRUE(asked.err.empty());
    }
    CompanionRun version = run_companion(L"--version");
    EXPECT_EQ(version.code, 0u);
    EXPECT_EQ(version.out.rfind("Markomi2Stamp 1.", 0), 0u) << version.out;
    EXPECT_EQ(run_companion(L"--out x.gif").code, 2u);

    for (const wchar_t* name : {L"印影.png", L"印影.svg", L"印影.pdf"}) {
        std::wstring missing = dir_.path() + L"\\無い\\" + name;
        CompanionRun unwritable = run_companion(ini_arg() + L" --out \"" + missing + L"\"");
        EXPECT_EQ(unwritable.code, 1u);
        EXPECT_FALSE(unwritable.err.empty());
        EXPECT_FALSE(t::file_exists(missing));
    }
}

// "\\?\" paths and paths past MAX_PATH reach every step: the writers, the
// staging file beside the target and the read-back of the size.
TEST_F(Companion, WritesToExtendedAndLongOutPaths) {
    std::wstring deep = dir_.path();
    for (wchar_t letter : std::wstring(L"abcde")) {
        deep += L"\\" + std::wstring(50, letter);
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    ASSERT_GT(deep.size(), static_cast<std::size_t>(MAX_PATH));
    struct Case {
        std::wstring out;     // as given on the command line
        std::wstring folder;  // where it lands
        const char* format;
    };
    const Case cases[] = {
        {L"\\\\?\\" + dir_.file(L"印影.png"), dir_.path(), "PNG"},
        {deep + L"\\印影.png", deep, "PNG"},
        {deep + L"\\印影.emf", deep, "EMF"},
        {L"\\\\?\\" + deep + L"\\印影.pdf", deep, "PDF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.out.size()));
        CompanionRun r = run_companion(ini_arg() + L" --date 2025-05-01 --out \"" + c.out + L"\"");
        EXPECT_EQ(r.code, 0u) << r.err;
        EXPECT_NE(r.out.find(std::string("\"format\":\"") + c.format + "\""), std::string::npos) << r.out;
        EXPECT_GT(json_number(r.out, "width"), 10) << r.out;
        EXPECT_GT(json_number(r.out, "height"), 10) << r.out;
    }
    // The files and nothing else: no staging file is left on the way.
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((L"\\\\?\\" + deep + L"\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"印影.emf", L"印影.pdf", L"印影.png"}));
    EXPECT_TRUE(t::file_exists(dir_.file(L"印影.png")));
    // The temporary folder's own clean-up takes short paths only.
    t::remove_tree(L"\\\\?\\" + dir_.file(std::wstring(50, L'a').c_str()));
}

// A script reads the result from standard output: when it cannot be
// written there the run has failed, though the file stays.
TEST_F(Companion, AResultThatCannotBeWrittenExits1AndKeepsTheFile) {
    const std::wstring out = dir_.file(L"印影.png");
    CompanionRun r = run_companion(ini_arg() + L" --date 2025-05-01 --out \"" + out + L"\"", nullptr, true);
    EXPECT_EQ(r.code, 1u) << r.err;
    EXPECT_NE(r.err.find("標準出力"), std::string::npos) << r.err;
    EXPECT_TRUE(t::file_exists(out));
}

TEST_F(Companion, ASettingsFileNamedWithoutAFolderIsTheOneInTheCurrentFolder) {
    CompanionRun r = run_companion(L"--ini 設定.ini --date 2025-05-01 --out 印影.png", dir_.path().c_str());
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_NE(r.out.find("\"slot\":3,\"design\":\"star\""), std::string::npos) << r.out;
    EXPECT_TRUE(t::file_exists(dir_.file(L"印影.png")));
}

// A settings file saved as UTF-8 by an editor is read as the program reads
// it, not through the system's code page.
TEST_F(Companion, AUtf8SettingsFileRendersLikeItsUnicodeCopy) {
    // Without a signature; "ム" (E3 83 A0) right after the "=" is no valid
    // Shift-JIS, so the bytes can only be UTF-8.
    const std::wstring text = L"[MARKOMI]\r\nBUSHO=総務部\r\nNAME=ムラタ\r\nACTIVE=2\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<unsigned char> utf8(static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, reinterpret_cast<char*>(utf8.data()), size,
                        nullptr, nullptr);
    utf8.pop_back();  // the terminating zero
    const std::wstring utf8_ini = dir_.file(L"utf8.ini");
    ASSERT_TRUE(t::write_bytes(utf8_ini, utf8));
    ASSERT_TRUE(t::write_bytes(ini_, t::utf16le_with_bom(L"[MARKOMI]\r\nCHARSET=unicode\r\n" +
                                                         text.substr(11))));
    const std::wstring from_unicode = dir_.file(L"unicode.png"), from_utf8 = dir_.file(L"utf8.png");
    EXPECT_EQ(run_companion(ini_arg() + L" --date 2025-05-01 --out \"" + from_unicode + L"\"").code, 0u);
    EXPECT_EQ(run_companion(L"--ini \"" + utf8_ini + L"\" --date 2025-05-01 --out \"" + from_utf8 +
                            L"\"").code,
              0u);
    const std::vector<unsigned char> expected = t::read_bytes(from_unicode);
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(t::read_bytes(from_utf8) == expected);
}

// A named settings file that is missing, or that is no settings text (over
// 1 MiB; a NUL in it), is refused: rendering the defaults would pass off
// another name and department as the user's.
TEST_F(Companion, AMissingSettingsFileOrOneThatIsNoTextExits1AndRendersNothing) {
    const std::wstring out = dir_.file(L"印影.png");
    std::vector<unsigned char> large(t::read_bytes(ini_));
    large.resize((1u << 20) + 1, ' ');
    std::vector<unsigned char> nul(t::read_bytes(ini_));
    nul.insert(nul.begin() + 20, {0, 0});
    ASSERT_TRUE(t::write_bytes(dir_.file(L"大きい.ini"), large));
    ASSERT_TRUE(t::write_bytes(dir_.file(L"NUL入り.ini"), nul));
    const struct {
        const wchar_t* name;
        const char* utf8;
    } files[] = {{L"無い.ini", "無い.ini"}, {L"大きい.ini", "大きい.ini"}, {L"NUL入り.ini", "NUL入り.ini"}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.utf8);
        const std::wstring ini = L"--ini \"" + dir_.file(f.name) + L"\"";
        CompanionRun file = run_companion(ini + L" --out \"" + out + L"\"");
        EXPECT_EQ(file.code, 1u);
        EXPECT_NE(file.err.find("設定ファイル"), std::string::npos) << file.err;
        EXPECT_NE(file.err.find(f.utf8), std::string::npos) << file.err;
        EXPECT_TRUE(file.out.empty()) << file.out;
        EXPECT_FALSE(t::file_exists(out));
    }

    ASSERT_TRUE(t::put_text_on_clipboard(L"元のまま"));
    CompanionRun clipboard = run_companion(L"--ini \"" + dir_.file(L"無い.ini") + L"\" --clipboard");
    EXPECT_EQ(clipboard.code, 1u);
    EXPECT_EQ(t::clipboard_text(), L"元のまま");
}

// The EMF's size in the JSON is its picture frame in pixels, and the frame
// is the one the program makes on this screen (ctest runs this at 96 dpi and
// with MARKOMI2_WINE_DPI 144).
TEST_F(Companion, EmfSizeIsTheProgramsPictureFrameAtTheScreenDpi) {
    if (const char* wanted = std::getenv("MARKOMI2_WINE_DPI")) {
        ASSERT_EQ(markomi::read_screen_dpi(), std::atoi(wanted)) << "the screen was not scaled";
    }
    const std::wstring out = dir_.file(L"印影.emf");
    CompanionRun r = run_companion(ini_arg() + L" --date 2025-05-01 --out \"" + out + L"\"");
    ASSERT_EQ(r.code, 0u) << r.err;

    // The program's own metafile of the same slot, as it renders it after
    // reading the screen's resolution at start-up.
    markomi::init_measure_cache();
    markomi::create_surfaces();
    markomi::g_era_table = markomi::builtin_era_table();
    markomi::SettingsSet set;
    const std::wstring text = kIniText;
    markomi::MemoryProfile profile = markomi::MemoryProfile::parse(std::u16string(text.begin(), text.end()));
    markomi::load_settings_from(profile, set);
    set.date = markomi::StampDate{};
    set.date.year = 2025;
    set.date.month = 5;
    set.date.day = 1;
    set.date.weekday = 4;
    const int saved_dpi = markomi::g_startup_dpi;
    markomi::g_startup_dpi = markomi::read_screen_dpi();
    markomi::MetafileFrame frame;
    HENHMETAFILE program = markomi::render_stamp_metafile(set, set.global.active, nullptr, &frame);
    markomi::g_startup_dpi = saved_dpi;
    markomi::release_surfaces();
    ASSERT_NE(program, nullptr);
    DeleteEnhMetaFile(program);

    EXPECT_EQ(json_number(r.out, "width"), frame.width) << r.out;
    EXPECT_EQ(json_number(r.out, "height"), frame.height) << r.out;
}

// In a console the messages arrive as UTF-16 characters, not as bytes the
// console would read in its own code page.
TEST_F(Companion, MessagesReadCorrectlyInAConsole) {
    const HANDLE saved_out = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE saved_err = GetStdHandle(STD_ERROR_HANDLE);
    const HANDLE saved_in = GetStdHandle(STD_INPUT_HANDLE);
    FreeConsole();
    if (!AllocConsole()) GTEST_SKIP() << "no console could be made here";
    // Kept out of sight: a shown console would take the activation from
    // windows of tests running beside this one.
    if (HWND window = GetConsoleWindow()) ShowWindow(window, SW_HIDE);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    // The usage text, on the console's own screen buffer.
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = console;
    si.hStdError = console;
    std::wstring command = L"\"" + t::stamp_exe() + L"\"";
    PROCESS_INFORMATION pi{};
    const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &si, &pi);
    DWORD code = 9999;
    if (started) {
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(console, &info);
    std::wstring screen(static_cast<std::size_t>(info.dwSize.X) * (info.dwCursorPosition.Y + 1), L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(console, screen.data(), static_cast<DWORD>(screen.size()), COORD{0, 0},
                                &read);
    screen.resize(read);
    CloseHandle(console);
    FreeConsole();
    SetStdHandle(STD_OUTPUT_HANDLE, saved_out);
    SetStdHandle(STD_ERROR_HANDLE, saved_err);
    SetStdHandle(STD_INPUT_HANDLE, saved_in);

    ASSERT_TRUE(started);
    EXPECT_EQ(code, 2u);
    EXPECT_NE(screen.find(L"使い方: Markomi2Stamp"), std::wstring::npos);
    EXPECT_NE(screen.find(L"日付印を設定ファイルから描き"), std::wstring::npos);
}

}  // namespace
