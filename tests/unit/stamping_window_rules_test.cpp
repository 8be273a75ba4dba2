#include <gtest/gtest.h>

#include "ui/stamping_window_rules.h"

#include "ui/pdf_stamp_rules.h"

namespace markomi {
namespace {

// The page fills the view along its tighter side and is centred along the
// other; a click maps back to the millimetre it shows, and the stamp's box
// is drawn at the page's own scale around its centre.
TEST(StampingWindowRules, ThePageFitsTheViewAndPixelsMapToMillimetres) {
    const struct {
        int view_w, view_h;
        double page_w, page_h, px_per_mm, left, top;
    } rows[] = {
        {436, 616, 210, 297, 2.0, 8, 11},    // A4 upright in a tall view: the width decides
        {1000, 436, 297, 210, 2.0, 203, 8},  // A4 across in a wide view: the height decides
        {76, 56, 60, 40, 1.0, 8, 8},         // a receipt, exactly the room
    };
    for (const auto& r : rows) {
        const PageFit fit = fit_page(r.view_w, r.view_h, r.page_w, r.page_h, 8);
        EXPECT_DOUBLE_EQ(fit.px_per_mm, r.px_per_mm) << r.view_w;
        EXPECT_DOUBLE_EQ(fit.left, r.left) << r.view_w;
        EXPECT_DOUBLE_EQ(fit.top, r.top) << r.view_w;
        const PdfMmPoint at =
            page_point_mm(fit, r.left + 20 * r.px_per_mm, r.top + 30 * r.px_per_mm);
        EXPECT_TRUE(at.x_mm == 20 && at.y_mm == 30) << at.x_mm << "," << at.y_mm;
        const ViewRect box = stamp_box_in_view(fit, at, 24, 12);
        EXPECT_TRUE(box.left == r.left + 8 * r.px_per_mm && box.bottom == r.top + 36 * r.px_per_mm)
            << box.left;
    }
    EXPECT_TRUE(fit_page(10, 10, 210, 297, 8).px_per_mm == 0 &&
                fit_page(400, 400, 0, 297, 8).px_per_mm == 0);
}

// The companion is asked for what the view shows, within its 10 to 600 dpi,
// and asked again only when the scale changed a lot; the pages ahead stop at
// the document's end.
TEST(StampingWindowRules, PagesAreDrawnAtTheViewsResolutionAndAhead) {
    PageFit fit;
    const struct {
        double px_per_mm;
        int dpi;
    } dpis[] = {{0, 10}, {0.1, 10}, {2.0, 51}, {3.0, 77}, {30, 600}};
    for (const auto& d : dpis) {
        fit.px_per_mm = d.px_per_mm;
        EXPECT_EQ(render_dpi_for(fit), d.dpi) << d.px_per_mm;
    }
    const struct {
        int drawn, wanted;
        bool stale;
    } rows[] = {{0, 96, true},   {96, 96, false}, {96, 120, false},
                {96, 121, true}, {96, 48, false}, {96, 47, true}};
    for (const auto& r : rows)
        EXPECT_EQ(render_is_stale(r.drawn, r.wanted), r.stale) << r.drawn << " " << r.wanted;
    EXPECT_EQ(pages_to_draw(3, 12), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(pages_to_draw(11, 12), (std::vector<int>{11, 12}));
    EXPECT_TRUE(pages_to_draw(1, 0).empty());
}

// A key moves the stamp from where it is; past the middle it is kept from
// the other corner, and the companion gets that corner to a hundredth.
TEST(StampingWindowRules, KeysMoveThePlaceAndItIsGivenFromItsCorner) {
    PdfPosition place = position_from_nearest_corner(210, 297, 190, 20);  // 20 mm from top-right
    place = nudged_position(place, 210, 297, 20, 20, -5, 1);
    EXPECT_EQ(corner_place_argument(place), u"top-right:25,21");
    place = nudged_position(place, 210, 297, 20, 20, -100, 0);  // now left of the middle
    EXPECT_EQ(corner_place_argument(place), u"top-left:85,21");
    place.x_mm = 12.346, place.y_mm = -3;
    EXPECT_EQ(corner_place_argument(place), u"top-left:12.35,0");
    place.x_mm = 7.1, place.corner = PdfAnchor::kBottomRight;
    const std::optional<PdfPosition> back = parse_pdf_position(corner_place_argument(place));
    ASSERT_TRUE(back && back->corner == PdfAnchor::kBottomRight);
    EXPECT_DOUBLE_EQ(back->x_mm, 7.1);
}

// The page box says as it is typed which page is missing, or that the text
// is no list at all; the count reads as the window shows it.
TEST(StampingWindowRules, ThePageListSaysWhichPageIsMissing) {
    const struct {
        const char16_t* text;
        int pages;
        const char16_t* problem;
    } rows[] = {
        {u"１，３", 3, u""},
        {u"2～4、7", 5, u"7 ページはありません(全 5 ページ)"},
        {u"1-3", 2, u"3 ページはありません(全 2 ページ)"},
        {u"9", 0, u""},  // not known yet
        {u"x", 3, u"ページは 1,3 や 2-4 のように指定してください"},
    };
    for (const auto& r : rows) EXPECT_EQ(page_list_problem(r.text, r.pages), r.problem) << r.pages;
}

// The replies of --render: a drawn page, the cheap look at a document, and
// refusals; what a document is refused for at once.
TEST(StampingWindowRules, RenderRepliesAreReadAndTellWhyADocumentIsRefused) {
    PdfRenderReply r = read_pdf_render_reply(
        u"{\"rendered\":true,\"pages\":12,\"page\":3,\"width_mm\":210.5,\"height_mm\":297.0,"
        u"\"rotation\":90,\"width_px\":827,\"height_px\":1170,\"forbids_changes\":false,"
        u"\"signed\":true,\"out\":\"C:\\\\p.png\"}");
    EXPECT_TRUE(r.answered && r.rendered && r.is_signed);
    EXPECT_EQ((std::vector<double>{double(r.pages), double(r.page), r.width_mm, r.height_mm,
                                   double(r.rotation), double(r.width_px), double(r.height_px)}),
              (std::vector<double>{12, 3, 210.5, 297, 90, 827, 1170}));
    EXPECT_EQ(refusal_at_open(r), PdfRefusal::kNone);
    const struct {
        const char16_t* line;
        PdfRefusal refusal;
    } rows[] = {
        {u"{\"rendered\":false,\"pages\":2,\"page\":1,\"width_mm\":60.0,\"height_mm\":40.0,"
         u"\"forbids_changes\":true}",
         PdfRefusal::kForbidsChanges},
        {u"{\"rendered\":false,\"refusal\":\"password\",\"pages\":0}", PdfRefusal::kPassword},
        {u"{\"rendered\":false,\"refusal\":\"not-pdf\",\"pages\":0}", PdfRefusal::kNotPdf},
        {u"{\"rendered\":false,\"pages\":0,\"page\":1,\"width_mm\":0.0}", PdfRefusal::kUnreadable},
        {u"error: something", PdfRefusal::kUnreadable},
    };
    for (const auto& row : rows) {
        r = read_pdf_render_reply(row.line);
        EXPECT_FALSE(r.rendered);
        EXPECT_EQ(refusal_at_open(r), row.refusal) << static_cast<int>(row.refusal);
    }
}

}  // namespace
}  // namespace markomi
