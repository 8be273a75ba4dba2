#include <gtest/gtest.h>

#include "base/u16_format.h"
#include "tools/companion_args.h"

namespace markomi {
namespace {

CompanionParse parse(std::vector<std::u16string> argv) { return parse_companion_args(argv); }

TEST(CompanionArgs, ReadsEveryOption) {
    CompanionParse p = parse({u"--ini", u"C:\\設定.ini", u"--slot", u"3", u"--date", u"2025-05-01",
                              u"--format", u"B", u"--dpi", u"300", u"--out", u"印影.png"});
    ASSERT_TRUE(p.args) << std::string(p.error.begin(), p.error.end());
    EXPECT_EQ(*p.args->ini, u"C:\\設定.ini");
    EXPECT_EQ(p.args->slot, 3);
    EXPECT_EQ(p.args->date->year, 2025);
    EXPECT_EQ(p.args->date->weekday, 4);  // a Thursday
    EXPECT_EQ(*p.args->format, u'B');
    EXPECT_EQ(*p.args->out, u"印影.png");
    EXPECT_EQ(*p.args->dpi, 300);
    EXPECT_FALSE(p.args->clipboard);

    CompanionParse clip = parse({u"--clipboard"});
    ASSERT_TRUE(clip.args);
    EXPECT_EQ(clip.args->slot, 0);
    EXPECT_FALSE(clip.args->date);
    EXPECT_FALSE(clip.args->diagnose);

    CompanionParse diagnose = parse({u"--ini", u"a.ini", u"--date", u"2025-05-01", u"--diagnose"});
    ASSERT_TRUE(diagnose.args) << std::string(diagnose.error.begin(), diagnose.error.end());
    EXPECT_TRUE(diagnose.args->diagnose);
    EXPECT_EQ(*diagnose.args->ini, u"a.ini");
}

// Help and the version are answered wherever they stand, even beside
// arguments that would be refused.
TEST(CompanionArgs, HelpAndVersionWinOverEverythingElse) {
    for (const char16_t* help : {u"--help", u"-h", u"/?"}) {
        CompanionParse p = parse({u"--slot", u"9", help});
        ASSERT_TRUE(p.args) << static_cast<int>(help[1]);
        EXPECT_TRUE(p.args->help);
    }
    CompanionParse v = parse({u"--version", u"--out"});
    ASSERT_TRUE(v.args);
    EXPECT_TRUE(v.args->version);
    EXPECT_FALSE(v.args->help);
}

TEST(CompanionArgs, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::u16string>> bad = {
        {},
        {u"--clipboard", u"--out", u"x.png"},
        {u"--out"},
        {u"--slot", u"8", u"--clipboard"},
        {u"--slot", u"0", u"--clipboard"},
        {u"--slot", u"12", u"--clipboard"},
        {u"--format", u"b", u"--clipboard"},
        {u"--date", u"2025-02-29", u"--clipboard"},
        {u"--date", u"2025-5-1", u"--clipboard"},
        {u"--date", u"0000-01-01", u"--clipboard"},
        {u"--clipboard", u"--verbose"},
        {u"--out", u""},
        {u"--diagnose", u"--clipboard"},
        {u"--diagnose", u"--out", u"x.png"},
        {u"--diagnose", u"--slot", u"2"},
        {u"--diagnose", u"--format", u"B"},
        {u"--dpi", u"95", u"--out", u"x.png"},
        {u"--dpi", u"1201", u"--out", u"x.png"},
        {u"--dpi", u"3OO", u"--out", u"x.png"},
        {u"--dpi", u"-300", u"--out", u"x.png"},
        {u"--dpi", u"300", u"--clipboard"},
        // Stamping a PDF: a PDF copy, and the page options only with it.
        {u"--stamp-onto", u"a.pdf"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.png"},
        {u"--stamp-onto", u"a.pdf", u"--clipboard"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--dpi", u"300"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--page", u"0"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--at", u"upper-right"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--at", u"10,10", u"--margin", u"5"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--margin", u"5", u"--at",
         u"top-left:10,10"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--margin", u"-5"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--margin", u"1000.5"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--format", u"B"},
        {u"--out", u"b.pdf", u"--page", u"all"},
        {u"--out", u"b.pdf", u"--allow-signed"},
        {u"--out", u"b.pdf", u"--flatten"},
        // Several documents: a copy each, by pairs or a folder, not both.
        {u"--stamp-onto", u"a.pdf", u"--stamp-onto", u"b.pdf", u"--out", u"c.pdf"},
        {u"--stamp-onto", u"a.pdf", u"--out-dir", u"d", u"--out", u"c.pdf"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"c.pdf", u"--out", u"e.pdf"},
        {u"--stamp-onto", u"a.pdf", u"--out-dir"},
        {u"--stamp-onto", u"a.pdf", u"--out-dir", u""},
        {u"--out", u"x.png", u"--out", u"y.png"},
        {u"--out-dir", u"d", u"--clipboard"},
        {u"--out", u"x.png", u"--replace"},
        // Signing: a stamping's option, a thumbprint of 40 hex digits, the two reasons.
        {u"--out", u"b.pdf", u"--sign"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--cert", std::u16string(39, u'A')},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--cert", std::u16string(39, u'A') + u"G"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--sign", u"--reason", u"了承"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--reason", u"受付"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--location", u"本社"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--sign", u"--location", std::u16string(201, u'x')},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--sign", u"--cert"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--sign", u"--flatten"},
        // The certificate commands stand alone.
        {u"--list-certificates", u"--clipboard"},
        {u"--list-certificates", u"--diagnose"},
        {u"--list-certificates", u"--dpi", u"300"},
        {u"--list-certificates", u"--ini", u"a.ini"},
        {u"--list-certificates", u"--new-certificate"},
        {u"--new-certificate", u"--out", u"x.cer"},
        {u"--new-certificate", u"--date", u"2025-05-01"},
        {u"--new-certificate", u"--sign"},
        {u"--export-certificate", std::u16string(40, u'a')},
        {u"--export-certificate", std::u16string(40, u'a'), u"--out", u"x.pem"},
        {u"--export-certificate", std::u16string(40, u'a'), u"--out", u"x.cer", u"--slot", u"2"},
        {u"--export-certificate", std::u16string(40, u'a'), u"--out", u"x.cer", u"--out", u"y.cer"},
        {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--list-certificates"},
    };
    for (const auto& argv : bad) {
        CompanionParse p = parse(argv);
        EXPECT_FALSE(p.args) << argv.size();
        EXPECT_FALSE(p.error.empty());
    }
}

TEST(CompanionArgs, StampingAPdfTakesItsPagesPlaceAndMargin) {
    CompanionParse p = parse({u"--margin", u"7.5", u"--stamp-onto", u"受付.pdf", u"--out", u"受付_捺印.PDF",
                              u"--page", u"2,5", u"--at", u"bottom-left", u"--allow-signed",
                              u"--flatten"});
    ASSERT_TRUE(p.args) << std::string(p.error.begin(), p.error.end());
    EXPECT_EQ(p.args->stamp_onto, std::vector<std::u16string>{u"受付.pdf"});
    EXPECT_EQ(p.args->copies, std::vector<std::u16string>{u"受付_捺印.PDF"});
    EXPECT_TRUE(p.args->replace);  // one named copy is replaced as asked
    EXPECT_EQ(p.args->pages.kind, PdfPageChoice::kList);
    EXPECT_EQ(p.args->pages.pages, (std::vector<PdfPageRange>{{2, 2}, {5, 5}}));
    EXPECT_EQ(p.args->position.anchor, PdfAnchor::kBottomLeft);
    EXPECT_DOUBLE_EQ(p.args->position.margin_mm, 7.5);  // given before --at, still kept
    EXPECT_TRUE(p.args->allow_signed);
    EXPECT_TRUE(p.args->flatten);

    // A place from a corner keeps its corner; page ranges as the window takes them.
    CompanionParse corner = parse({u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--at", u"bottom-right:25,20",
                                   u"--page", u"２～４、7"});
    ASSERT_TRUE(corner.args);
    EXPECT_EQ(corner.args->position.anchor, PdfAnchor::kFromCorner);
    EXPECT_EQ(corner.args->position.corner, PdfAnchor::kBottomRight);
    EXPECT_DOUBLE_EQ(corner.args->position.y_mm, 20);
    EXPECT_EQ(corner.args->pages.pages, (std::vector<PdfPageRange>{{2, 4}, {7, 7}}));

    // A page option last, without its value, is told so.
    EXPECT_NE(parse({u"--out", u"b.pdf", u"--margin"}).error.find(u"needs a value"),
              std::u16string::npos);

    CompanionParse defaults = parse({u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf"});
    ASSERT_TRUE(defaults.args);
    EXPECT_EQ(defaults.args->pages.kind, PdfPageChoice::kFirst);
    EXPECT_EQ(defaults.args->position.anchor, PdfAnchor::kTopRight);
    EXPECT_DOUBLE_EQ(defaults.args->position.margin_mm, 10);
    EXPECT_FALSE(defaults.args->allow_signed || defaults.args->flatten);
    EXPECT_TRUE(parse({u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--margin", u"1000"}).args);
    EXPECT_TRUE(parse({u"--dpi", u"1200", u"--out", u"x.png"}).args);
    EXPECT_TRUE(parse({u"--slot", u"7", u"--clipboard"}).args);
}

// A batch pairs each document with the --out of its place in order, or
// names its copies in the folder; only --replace replaces in a batch; the
// line is bounded.
TEST(CompanionArgs, StampingSeveralPdfsPairsEachWithItsCopy) {
    CompanionParse pairs = parse({u"--stamp-onto", u"a.pdf", u"--out", u"a2.pdf", u"--out",
                                  u"b2.pdf", u"--stamp-onto", u"b.pdf", u"--page", u"all"});
    ASSERT_TRUE(pairs.args) << std::string(pairs.error.begin(), pairs.error.end());
    EXPECT_EQ(pairs.args->stamp_onto, (std::vector<std::u16string>{u"a.pdf", u"b.pdf"}));
    EXPECT_EQ(pairs.args->copies, (std::vector<std::u16string>{u"a2.pdf", u"b2.pdf"}));
    EXPECT_FALSE(pairs.args->replace);

    CompanionParse folder = parse({u"--stamp-onto", u"C:\\受付\\請求書.pdf", u"--stamp-onto",
                                   u"d:/x/見積.PDF", u"--out-dir", u"E:\\写し", u"--replace"});
    ASSERT_TRUE(folder.args) << std::string(folder.error.begin(), folder.error.end());
    EXPECT_EQ(folder.args->copies, (std::vector<std::u16string>{u"E:\\写し\\請求書_捺印.pdf",
                                                                u"E:\\写し\\見積_捺印.pdf"}));
    EXPECT_TRUE(folder.args->replace);
    CompanionParse one = parse({u"--stamp-onto", u"請求書.pdf", u"--out-dir", u"E:\\"});
    ASSERT_TRUE(one.args);
    EXPECT_EQ(one.args->copies, std::vector<std::u16string>{u"E:\\請求書_捺印.pdf"});
    EXPECT_FALSE(one.args->replace);  // a folder's copies may be an earlier day's

    std::vector<std::u16string> many = {u"--out-dir", u"d"};
    for (int i = 0; i < 1000; ++i) many.insert(many.end(), {u"--stamp-onto", u"a.pdf"});
    EXPECT_TRUE(parse(many).args);
    many.insert(many.end(), {u"--stamp-onto", u"a.pdf"});
    EXPECT_FALSE(parse(many).args);
}

// A thumbprint as Windows shows it is taken in one form and implies
// signing; a place of 200 characters is the most, a character beyond the
// BMP counting once; the certificate commands take their few options.
TEST(CompanionArgs, SigningOptionsAndCertificateCommands) {
    std::u16string place(199, u'所');
    place += u"\U0002000B";
    CompanionParse p = parse({u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--cert",
                              u"01 23 45 67 89 ab cd ef 01 23 45 67 89 AB CD EF a0 b1 c2 d3", u"--reason", u"受付",
                              u"--location", place});
    ASSERT_TRUE(p.args) << u16_to_utf8(p.error);
    EXPECT_TRUE(p.args->sign);
    EXPECT_EQ(*p.args->cert, u"0123456789ABCDEF0123456789ABCDEFA0B1C2D3");
    EXPECT_EQ(p.args->reason, u"受付");
    EXPECT_EQ(*p.args->location, place);
    CompanionParse remembered = parse({u"--sign", u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf"});
    ASSERT_TRUE(remembered.args);
    EXPECT_TRUE(remembered.args->sign);
    EXPECT_FALSE(remembered.args->cert);
    EXPECT_EQ(remembered.args->reason, u"承認");
    EXPECT_FALSE(remembered.args->location);
    // Surrogates at the ends of their ranges: a pair counts once, a private-use sign once.
    const std::u16string edges = std::u16string(u"\xDBFF\xDC00") + u"\xDBFF\xDFFF" + u"\xE000";
    const std::vector<std::u16string> signing = {u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf", u"--sign", u"--location"};
    auto with_place = [&](std::u16string v) { auto argv = signing; argv.push_back(v); return parse(argv).args.has_value(); };
    EXPECT_TRUE(with_place(std::u16string(197, u'所') + edges));
    EXPECT_FALSE(with_place(std::u16string(198, u'所') + edges));
    EXPECT_FALSE(parse({u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf"}).args->sign);

    CompanionParse made = parse({u"--ini", u"a.ini", u"--new-certificate", u"--slot", u"2"});
    ASSERT_TRUE(made.args) << u16_to_utf8(made.error);
    EXPECT_TRUE(made.args->new_certificate);
    EXPECT_EQ(made.args->slot, 2);
    EXPECT_TRUE(parse({u"--list-certificates"}).args->list_certificates);
    CompanionParse exported = parse({u"--export-certificate", std::u16string(40, u'c'), u"--out", u"私の.CER"});
    ASSERT_TRUE(exported.args) << u16_to_utf8(exported.error);
    EXPECT_EQ(*exported.args->export_certificate, std::u16string(40, u'C'));
    EXPECT_EQ(*exported.args->out, u"私の.CER");

    // --cert wins over the remembered certificate; --sign takes that one.
    PdfStampOptions pdf;
    EXPECT_FALSE(signing_certificate_choice(*remembered.args, pdf));
    pdf.certificate = std::u16string(40, u'E');
    EXPECT_EQ(signing_certificate_choice(*remembered.args, pdf), std::u16string(40, u'E'));
    EXPECT_EQ(signing_certificate_choice(*p.args, pdf), u"0123456789ABCDEF0123456789ABCDEFA0B1C2D3");
    EXPECT_FALSE(signing_certificate_choice(*parse({u"--stamp-onto", u"a.pdf", u"--out", u"b.pdf"}).args, pdf));
}

// The replies name a slot's design; a slot beyond the seven names none.
TEST(CompanionArgs, NamesTheDesignOfEachSlot) {
    for (const auto& [slot, name] : std::vector<std::pair<int, std::u16string>>{
             {-1, u""}, {0, u"normal"}, {6, u"animal"}, {7, u""}})
        EXPECT_EQ(companion_design_name(slot), name) << slot;
}

TEST(CompanionArgs, DatesFollowTheCalendar) {
    EXPECT_TRUE(parse_iso_date(u"2024-02-29"));
    EXPECT_FALSE(parse_iso_date(u"2100-02-29"));
    EXPECT_TRUE(parse_iso_date(u"2000-02-29"));
    EXPECT_FALSE(parse_iso_date(u"2025-04-31"));
    EXPECT_FALSE(parse_iso_date(u"2025-13-01"));
    EXPECT_FALSE(parse_iso_date(u"２０２５-01-01"));
    // A sign below '0' in a second digit would read as a digit short of it ("1/" as 9).
    for (const char16_t* bad : {u"2o25-01-01", u"202o-01-01", u"2025-01/01", u"2025/01-01",
                                u"2025-1/-01", u"2025-01-1/"})
        EXPECT_FALSE(parse_iso_date(bad)) << bad[7];
    // Each month's last day is followed by the next month's first, by their weekdays.
    auto iso = [](int y, int m, int d) {
        auto two = [](int v) { return (v < 10 ? u"0" : u"") + decimal_text(v); };
        return decimal_text(y) + u"-" + two(m) + u"-" + two(d);
    };
    for (int month = 1; month <= 12; ++month) {
        int last = 28;
        while (last < 32 && parse_iso_date(iso(2025, month, last + 1))) ++last;
        const std::optional<StampDate> end = parse_iso_date(iso(2025, month, last));
        const std::optional<StampDate> next = parse_iso_date(month == 12 ? iso(2026, 1, 1) : iso(2025, month + 1, 1));
        ASSERT_TRUE(end && next) << month;
        EXPECT_EQ((end->weekday + 1) % 7, next->weekday) << month;
    }
}

TEST(CompanionArgs, JsonStringsAreEscaped) {
    EXPECT_EQ(json_string(u"技術部"), u"\"技術部\"");
    EXPECT_EQ(json_string(u"a\"b\\c\n\x01"), u"\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_EQ(json_string(u"\x1f \x7f"), u"\"\\u001f \x7f\"");  // the last control character
    EXPECT_NE(companion_usage().find(u"使い方"), std::u16string::npos);
    EXPECT_NE(companion_usage().find(u"Usage"), std::u16string::npos);
}

// Drawing a page, and checking a document, are lines of their own: the
// page and resolution bounds, the PNG it writes, and no stamp option
// slipping in beside them.
TEST(CompanionArgs, RenderLineTakesOnlyItsOwnOptions) {
    CompanionParse drawn = parse({u"--render", u"a.pdf", u"--page", u"12", u"--dpi", u"600", u"--out", u"p.PNG"});
    ASSERT_TRUE(drawn.args) << u16_to_utf8(drawn.error);
    EXPECT_EQ(*drawn.args->render, u"a.pdf");
    EXPECT_EQ(drawn.args->render_page, 12);
    EXPECT_EQ(drawn.args->render_dpi, 600);
    EXPECT_EQ(*drawn.args->out, u"p.PNG");
    CompanionParse facts = parse({u"--dpi", u"10", u"--render", u"a.pdf"});
    ASSERT_TRUE(facts.args);
    EXPECT_EQ(facts.args->render_page, 1);
    EXPECT_EQ(facts.args->render_dpi, 10);
    EXPECT_FALSE(facts.args->out);
    CompanionParse verify = parse({u"--verify", u"a.pdf"});
    ASSERT_TRUE(verify.args);
    EXPECT_EQ(*verify.args->verify, u"a.pdf");
    const std::vector<std::vector<std::u16string>> refused = {
        {u"--render", u"a.pdf", u"--dpi", u"9"},
        {u"--render", u"a.pdf", u"--dpi", u"601"},
        {u"--render", u"a.pdf", u"--page", u"0"},
        {u"--render", u"a.pdf", u"--page", u"1a"},
        {u"--render", u"a.pdf", u"--out", u"p.bmp"},
        {u"--render", u"a.pdf", u"--slot", u"1"},
        {u"--render", u"a.pdf", u"--page"},
        {u"--render", u""},
        {u"--verify"},
        {u"--verify", u""},
        {u"--verify", u"a.pdf", u"--slot", u"1"},
        {u"--slot", u"1", u"--verify", u"a.pdf"},
    };
    for (const auto& argv : refused) {
        CompanionParse p = parse(argv);
        EXPECT_FALSE(p.args) << u16_to_utf8(argv.back());
        EXPECT_FALSE(p.error.empty());
    }
}

}  // namespace
}  // namespace markomi
