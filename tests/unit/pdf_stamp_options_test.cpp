#include <gtest/gtest.h>

#include "settings/memory_profile.h"
#include "settings/pdf_stamp_options.h"

namespace markomi {
namespace {

// Hand-edited or damaged values come back as choices the dialog can show,
// and what is saved reads back as it was.
TEST(PdfStampOptions, ValuesAreKeptInRangeAndSurviveASaveAndALoad) {
    MemoryProfile edited = MemoryProfile::parse(
        u"[MARKOMI]\r\nACTIVE=2\r\n[PDF]\r\nPAGE=9\r\nPAGES= 2, 5x \r\nPOSITION=-3\r\nMARGIN=250\r\nOPEN=7\r\n");
    PdfStampOptions o;
    load_pdf_options_from(edited, o);
    EXPECT_EQ(o.page, 3);
    EXPECT_EQ(o.pages, u"2, 5");
    EXPECT_EQ(o.position, 0);
    EXPECT_EQ(o.margin, 100);
    EXPECT_EQ(o.open_after, 1);

    MemoryProfile empty;
    load_pdf_options_from(empty, o);
    ASSERT_TRUE(save_pdf_options_to(empty, o));
    EXPECT_EQ(empty.to_text(), u"");  // the defaults add no section to a file without one
    EXPECT_EQ(o.page, 0);
    EXPECT_EQ(o.pages, u"1");
    EXPECT_EQ(o.position, 2);  // top right
    EXPECT_EQ(o.margin, 10);

    o.page = 2;
    o.pages = u"3,4";
    o.position = 8;
    o.margin = 0;
    o.open_after = 0;
    ASSERT_TRUE(save_pdf_options_to(edited, o));
    MemoryProfile reread = MemoryProfile::parse(edited.to_text());
    EXPECT_EQ(reread.read(u"MARKOMI", u"ACTIVE"), u"2");  // the stamp's keys are left alone
    PdfStampOptions back;
    load_pdf_options_from(reread, back);
    EXPECT_EQ(back.page, 2);
    EXPECT_EQ(back.pages, u"3,4");
    EXPECT_EQ(back.position, 8);
    EXPECT_EQ(back.margin, 0);
    EXPECT_EQ(back.open_after, 0);

    // Back to the defaults over those choices: the file holds the defaults.
    ASSERT_TRUE(save_pdf_options_to(reread, PdfStampOptions()));
    load_pdf_options_from(reread, back);
    EXPECT_EQ(back.page, 0);
    EXPECT_EQ(back.pages, u"1");
    EXPECT_EQ(back.position, 2);
    EXPECT_EQ(back.margin, 10);
    EXPECT_EQ(back.open_after, 1);

    MemoryProfile low = MemoryProfile::parse(u"[PDF]\r\nPAGE=-1\r\nPAGES=90\r\nPOSITION=9\r\nMARGIN=-5\r\nOPEN=0\r\n");
    load_pdf_options_from(low, back);
    EXPECT_EQ(back.pages, u"90");
    EXPECT_EQ((std::vector<int>{back.page, back.position, back.margin, back.open_after}),
              (std::vector<int>{0, 8, 0, 0}));
    // The stamping window's place comes back as saved; a size of none or
    // beyond any screen is no place, and the defaults write none.
    PdfStampOptions placed;
    placed.window_left = -1200;
    placed.window_top = 40;
    placed.window_width = 900;
    placed.window_height = 700;
    MemoryProfile window;
    ASSERT_TRUE(save_pdf_options_to(window, placed));
    load_pdf_options_from(window, back);
    EXPECT_EQ((std::vector<int>{back.window_left, back.window_top, back.window_width, back.window_height}),
              (std::vector<int>{-1200, 40, 900, 700}));
    for (const char16_t* size : {u"WINWIDTH=0\r\nWINHEIGHT=700", u"WINWIDTH=900\r\nWINHEIGHT=-5",
                                 u"WINWIDTH=900\r\nWINHEIGHT=200000"}) {
        MemoryProfile edited_size = MemoryProfile::parse(u"[PDF]\r\nWINLEFT=5\r\nWINTOP=5\r\n" + std::u16string(size));
        load_pdf_options_from(edited_size, back);
        EXPECT_EQ((std::vector<int>{back.window_left, back.window_top, back.window_width, back.window_height}),
                  (std::vector<int>{0, 0, 0, 0}));
    }
    MemoryProfile ranges = MemoryProfile::parse(u"[PDF]\r\nPAGES=1-3、５～６;x\r\n");
    load_pdf_options_from(ranges, back);
    EXPECT_EQ(back.pages, u"1-3、５～６");
}

// Fails the writes of one key, as a file locked halfway through a save.
struct OneKeyFails : MemoryProfile {
    std::u16string_view failing;
    bool write(std::u16string_view section, std::u16string_view key, std::u16string_view value) override {
        return key != failing && MemoryProfile::write(section, key, value);
    }
};

// One choice off its default is enough to write the section, and a key that
// cannot be written makes the save fail, the others written all the same.
TEST(PdfStampOptions, AnyChangedChoiceIsSavedAndAnyFailedWriteTold) {
    for (std::int32_t PdfStampOptions::*field :
         {&PdfStampOptions::page, &PdfStampOptions::position, &PdfStampOptions::open_after,
          &PdfStampOptions::sign, &PdfStampOptions::reason}) {
        PdfStampOptions one, back;
        one.*field = one.*field == 0 ? 1 : 0;
        MemoryProfile fresh;
        ASSERT_TRUE(save_pdf_options_to(fresh, one));
        load_pdf_options_from(fresh, back);
        EXPECT_EQ(back.*field, one.*field);
    }
    for (const char16_t* key :
         {u"PAGE", u"PAGES", u"POSITION", u"MARGIN", u"OPEN", u"CERTIFICATE", u"SIGN", u"REASON"}) {
        OneKeyFails store;
        store.failing = key;
        EXPECT_FALSE(save_pdf_options_to(store, PdfStampOptions{0, u"2"})) << store.failing.size();
        EXPECT_EQ(store.write_count(), 7u);
    }
}

// The remembered certificate is kept by its thumbprint in one form, as
// Windows shows it or typed; anything else is none. It alone is a choice
// worth the section.
TEST(PdfStampOptions, TheRememberedCertificateIsAThumbprintOrNone) {
    const std::u16string hex = u"0123456789ABCDEF0123456789ABCDEF01234567";
    MemoryProfile edited = MemoryProfile::parse(
        u"[PDF]\r\nCERTIFICATE=01 23 45 67 89 ab cd ef 01 23 45 67 89 AB CD EF 01 23 45 67\r\nSIGN=5\r\nREASON=1\r\n");
    PdfStampOptions o;
    load_pdf_options_from(edited, o);
    EXPECT_EQ(o.certificate, hex);
    EXPECT_EQ(o.sign, 1);
    EXPECT_EQ(o.reason, 1);
    for (const std::u16string& bad : {hex.substr(1), hex + u"0", u"G" + hex.substr(1), u"/" + hex.substr(1),
                                      u":" + hex.substr(1), u"@" + hex.substr(1), u"`" + hex.substr(1), u"g" + hex.substr(1)}) {
        MemoryProfile p = MemoryProfile::parse(u"[PDF]\r\nCERTIFICATE=" + bad + u"\r\nREASON=2\r\n");
        load_pdf_options_from(p, o);
        EXPECT_TRUE(o.certificate.empty()) << bad.size();
        EXPECT_EQ(o.reason, 0);
    }
    PdfStampOptions remembered;
    remembered.certificate = hex;
    MemoryProfile fresh;
    ASSERT_TRUE(save_pdf_options_to(fresh, remembered));
    load_pdf_options_from(fresh, o);
    EXPECT_EQ(o.certificate, hex);
    EXPECT_EQ(o.sign, 0);
}

}  // namespace
}  // namespace markomi
