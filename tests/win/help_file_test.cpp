// The built help file Markomi2.chm, read through the system's own
// compiled-help storage (itss, the component the help viewer reads with).
// The pages are UTF-8; the contents and index files are in the help's code
// page (932), as the viewer expects.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/wide_text_win.h"
#include "output/raster/image_file_rules.h"
#include "support/fixture_paths.h"
#include "support/test_files.h"
#include "ui/help_win.h"
#include "ui/preferences_rules.h"

// itss's storage factory; the SDK headers of this toolchain do not declare it.
// Only StgOpenStorage is called; the slots before it keep the vtable order.
// It is declared outside the unnamed namespace on purpose: there, GCC sees
// that no class implements it and compiles the calls as unreachable.
struct HelpItStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

namespace t = markomi::testing;

std::wstring help_file() { return t::fixture_path(MARKOMI2_HELP_FILE, L"Markomi2.chm"); }

const CLSID kClsidItStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidItStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

struct Topic {
    const char* file;
    const wchar_t* heading;
};

constexpr Topic kTopics[] = {
    {"index.html", L"はじめに"},         {"stamping.html", L"捺印のしかた"},
    {"settings.html", L"設定画面"},       {"dateformat.html", L"日付形式"},
    {"preferences.html", L"環境設定"},    {"saveimage.html", L"印影保存"},
    {"stamppdf.html", L"PDFに捺印"},     {"signing.html", L"電子署名と回覧"},
    {"settingsfile.html", L"設定ファイル"}, {"uninstall.html", L"アンインストール"},
    {"transparency.html", L"透過の貼り付けとコマンドライン"},
};

std::string encode(const std::wstring& text, UINT code_page) {
    int n = WideCharToMultiByte(code_page, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(code_page, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

// The help file opened as a storage; null when itss cannot open it.
IStorage* open_help() {
    HelpItStorage* factory = nullptr;
    if (FAILED(CoCreateInstance(kClsidItStorage, nullptr, CLSCTX_INPROC_SERVER, kIidItStorage,
                                reinterpret_cast<void**>(&factory))))
        return nullptr;
    IStorage* storage = nullptr;
    if (FAILED(factory->StgOpenStorage(help_file().c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE,
                                       nullptr, 0, &storage)))
        storage = nullptr;
    factory->Release();
    return storage;
}

// One member of the help file, whole; false when the storage has no such member.
bool read_member(IStorage* storage, const char* name, std::string* out) {
    IStream* stream = nullptr;
    std::wstring wide(name, name + std::strlen(name));
    if (FAILED(storage->OpenStream(wide.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)))
        return false;
    out->clear();
    char buf[4096];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(buf, sizeof buf, &got)) && got > 0) out->append(buf, got);
    stream->Release();
    return true;
}

class HelpFile : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        storage_ = open_help();
        ASSERT_NE(storage_, nullptr) << "itss cannot open the help file";
    }
    void TearDown() override {
        if (storage_) storage_->Release();
        CoUninitialize();
    }
    bool read(const char* name, std::string* out) { return read_member(storage_, name, out); }
    IStorage* storage_ = nullptr;
};

TEST_F(HelpFile, IsAJapaneseCompiledHelpFile) {
    std::vector<unsigned char> bytes = t::read_bytes(help_file());
    ASSERT_GE(bytes.size(), 0x60u) << "missing or truncated: " << t::file_exists(help_file());
    EXPECT_EQ(std::memcmp(bytes.data(), "ITSF", 4), 0);
    auto dword = [&](size_t at) {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<unsigned>(bytes[at + 3]) << 24;
    };
    EXPECT_EQ(dword(4), 3u);          // version
    EXPECT_EQ(dword(8), 0x60u);       // header length
    EXPECT_EQ(dword(0x14), 0x0411u);  // language: Japanese
}

TEST_F(HelpFile, EveryTopicOpensWithItsJapaneseHeading) {
    for (const Topic& topic : kTopics) {
        std::string page;
        ASSERT_TRUE(read(topic.file, &page)) << topic.file;
        EXPECT_NE(page.find("charset=utf-8"), std::string::npos) << topic.file;
        EXPECT_NE(page.find("<h1>" + encode(topic.heading, CP_UTF8) + "</h1>"), std::string::npos)
            << topic.file;
        EXPECT_NE(page.find("style.css"), std::string::npos) << topic.file;
    }
    std::string css;
    EXPECT_TRUE(read("style.css", &css));
    EXPECT_NE(css.find("h1"), std::string::npos);
    // F1 in each window opens a page that was compiled in.
    for (const wchar_t* window_page : {markomi::kHelpStampingPage, markomi::kHelpSettingsPage,
                                       markomi::kHelpPreferencesPage, markomi::kHelpAboutPage,
                                       markomi::kHelpStampPdfPage}) {
        std::string page;
        EXPECT_TRUE(read(encode(window_page, CP_UTF8).c_str(), &page)) << encode(window_page, CP_UTF8);
    }
    // The storage really answers per name: a topic that was never compiled in is not there.
    std::string none;
    EXPECT_FALSE(read("missing.html", &none));
}

TEST_F(HelpFile, DateFormatPageShowsRealOutputs) {
    std::string page;
    ASSERT_TRUE(read("dateformat.html", &page));
    // Real outputs of the date formats are shown.
    for (const wchar_t* example : {L"令和7/05/01", L"R7/05/01", L"2025.05.01", L"2025/Dec/24", L"平成31/04/30"})
        EXPECT_NE(page.find(encode(example, CP_UTF8)), std::string::npos) << encode(example, CP_UTF8);
}

// The preferences page names each button as the program captions it, and
// says what キャンセル keeps.
TEST_F(HelpFile, PreferencesPageNamesTheButtonsAsTheProgramDoes) {
    std::string page;
    ASSERT_TRUE(read("preferences.html", &page));
    for (const markomi::PrefToggleInfo& toggle : markomi::pref_toggles()) {
        for (std::u16string_view caption : {toggle.caption_on, toggle.caption_off}) {
            const std::string text = encode(markomi::to_wide(caption), CP_UTF8);
            EXPECT_NE(page.find(text), std::string::npos) << text;
        }
    }
    EXPECT_NE(page.find(encode(L"何も保存しません", CP_UTF8)), std::string::npos);
}

// The companion's command line as the program parses it, and its exit codes.
TEST_F(HelpFile, TransparencyPageShowsTheCompanionsCommandLine) {
    std::string page;
    ASSERT_TRUE(read("transparency.html", &page));
    for (const char* word : {"--ini", "--slot 1-7", "--date YYYY-MM-DD", "--format B|M", "--out", "--clipboard",
                             "CF_DIBV5", "Markomi2Stamp.exe"})
        EXPECT_NE(page.find(word), std::string::npos) << word;
    for (const wchar_t* code : {L"<td>0</td>", L"<td>1</td>", L"<td>2</td>"})
        EXPECT_NE(page.find(encode(code, CP_UTF8)), std::string::npos);
}

// Every type of the save dialog's list has its row, in the list's order,
// and the companion's page names every extension it takes.
TEST_F(HelpFile, SavePagesNameEveryTypeTheProgramWrites) {
    std::string save, companion;
    ASSERT_TRUE(read("saveimage.html", &save));
    ASSERT_TRUE(read("transparency.html", &companion));
    std::size_t last = 0;
    for (const markomi::ImageFileType& type : markomi::image_file_types()) {
        const std::u16string name(type.label.substr(0, type.label.find(u' ')));
        const std::string row = "<tr><td>" + encode(markomi::to_wide(name), CP_UTF8) + "</td>";
        const std::size_t at = save.find(row);
        ASSERT_NE(at, std::string::npos) << row;
        EXPECT_GT(at, last) << row;
        last = at;
        const std::string extension = encode(markomi::to_wide(type.extension), CP_UTF8);
        // In the list of extensions --out takes: "（.bmp .png … .pdf）".
        const bool listed = companion.find(extension + " ") != std::string::npos ||
                            companion.find(extension + encode(L"）", CP_UTF8)) != std::string::npos;
        EXPECT_TRUE(listed) << extension;
    }
}

// The texts of the pages between 「 and 」 and in elements marked
// class="ui", UTF-16, with "<br>" standing for a line break of the program's
// text and other tags dropped; what stands in <span class="other"> (words
// that are not the program's: Windows', the installer's, an example) is
// left out.
std::vector<std::wstring> quoted_program_texts(const std::string& page) {
    std::wstring text(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, page.data(),
                                                                    static_cast<int>(page.size()), nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, page.data(), static_cast<int>(page.size()), text.data(),
                        static_cast<int>(text.size()));
    for (std::size_t at; (at = text.find(L"<span class=\"other\">")) != std::wstring::npos;)
        text.erase(at, text.find(L"</span>", at) + 7 - at);
    auto clean = [](std::wstring quote) {
        for (std::size_t at; (at = quote.find(L"<br>")) != std::wstring::npos;) quote.replace(at, 4, L"\n");
        for (std::size_t at; (at = quote.find(L'<')) != std::wstring::npos;)
            quote.erase(at, quote.find(L'>', at) + 1 - at);
        for (const auto& [entity, c] : {std::pair{L"&amp;", L"&"}, {L"&lt;", L"<"}, {L"&gt;", L">"}})
            for (std::size_t at; (at = quote.find(entity)) != std::wstring::npos;)
                quote.replace(at, std::wcslen(entity), c);
        return quote;
    };
    std::vector<std::wstring> quotes;
    for (std::size_t at = 0; (at = text.find(L'「', at)) != std::wstring::npos;) {
        const std::size_t end = text.find(L'」', at);
        if (end == std::wstring::npos) break;
        quotes.push_back(clean(text.substr(at + 1, end - at - 1)));
        at = end;
    }
    for (std::size_t at = 0; (at = text.find(L" class=\"ui\">", at)) != std::wstring::npos;) {
        at += 12;
        quotes.push_back(clean(text.substr(at, text.find(L"</", at) - at)));
    }
    return quotes;
}

// Every text the help quotes from the program (a caption, a menu item, an
// option, a message) is the program's own, to the character: its UTF-16
// bytes are in one of the shipped programs. A quote that drifted from the
// program, or a program text changed without the help, fails here.
TEST_F(HelpFile, EveryTextItQuotesIsTheProgramsOwn) {
    const std::wstring folder = help_file().substr(0, help_file().find_last_of(L"\\/") + 1);
    std::vector<std::string> programs;
    for (const wchar_t* name : {L"Markomi2.exe", L"Markomi2Stamp.exe", L"Markomi2_Uninstaller.exe"}) {
        const std::vector<unsigned char> bytes = t::read_bytes(folder + name);
        ASSERT_FALSE(bytes.empty()) << encode(folder + name, CP_UTF8);
        programs.emplace_back(bytes.begin(), bytes.end());
    }
    int quotes = 0;
    for (const Topic& topic : kTopics) {
        std::string page;
        ASSERT_TRUE(read(topic.file, &page)) << topic.file;
        for (const std::wstring& quote : quoted_program_texts(page)) {
            ++quotes;
            const std::string utf16(reinterpret_cast<const char*>(quote.data()), quote.size() * sizeof(wchar_t));
            const bool found = std::any_of(programs.begin(), programs.end(), [&](const std::string& program) {
                return program.find(utf16) != std::string::npos;
            });
            EXPECT_TRUE(found) << topic.file << ": " << encode(quote, CP_UTF8);
        }
    }
    EXPECT_GT(quotes, 40);
}

// The pages show the program's own stamps, drawn as the help was built:
// each of the seven designs and each way of writing the year, as PNG.
TEST_F(HelpFile, PicturesOfEveryDesignAndYearStyleAreInIt) {
    std::string settings, dates;
    ASSERT_TRUE(read("settings.html", &settings));
    ASSERT_TRUE(read("dateformat.html", &dates));
    for (int i = 1; i <= 12; ++i) {
        const std::string name = i <= 7 ? "design" + std::to_string(i) + ".png" : "era" + std::to_string(i - 7) + ".png";
        EXPECT_NE((i <= 7 ? settings : dates).find("<img src=\"" + name + "\""), std::string::npos) << name;
        std::string picture;
        ASSERT_TRUE(read(name.c_str(), &picture)) << name;
        EXPECT_EQ(picture.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << name;
    }
}

TEST_F(HelpFile, ContentsAndIndexListEveryTopicInTheHelpCodePage) {
    std::string contents, index;
    ASSERT_TRUE(read("markomi2.hhc", &contents));
    ASSERT_TRUE(read("markomi2.hhk", &index));
    for (const Topic& topic : kTopics) {
        EXPECT_NE(contents.find("value=\"" + encode(topic.heading, 932) + "\""), std::string::npos)
            << topic.file;
        EXPECT_NE(contents.find(std::string("value=\"") + topic.file + "\""), std::string::npos)
            << topic.file;
        EXPECT_NE(index.find(std::string("value=\"") + topic.file + "\""), std::string::npos)
            << topic.file;
    }
    // Not UTF-8: the viewer would show the titles garbled.
    EXPECT_EQ(contents.find(encode(L"はじめに", CP_UTF8)), std::string::npos);
}

}  // namespace
