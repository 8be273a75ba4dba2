#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "output/pdf_stamp/pdf_placement.h"

namespace markomi {
namespace {

constexpr double kMm = 72.0 / 25.4;

struct Point {
    double x, y;
};

// Where a user-space point shows on the screen, in millimetres from the
// visible top-left corner, worked out the way a viewer does it: the crop box
// is turned clockwise as a whole and its new top-left corner is the origin.
Point on_screen(const PdfBox& crop, int rotate, double unit, Point user) {
    auto turn = [&](double x, double y) {
        for (int i = 0; i < rotate / 90; ++i) {
            const double t = x;
            x = y;  // clockwise, y upwards
            y = -t;
        }
        return Point{x, y};
    };
    double min_x = 1e9, max_y = -1e9;
    for (Point c : {Point{crop.left, crop.bottom}, Point{crop.left, crop.top}, Point{crop.right, crop.bottom},
                    Point{crop.right, crop.top}}) {
        const Point t = turn(c.x, c.y);
        min_x = std::min(min_x, t.x);
        max_y = std::max(max_y, t.y);
    }
    const Point t = turn(user.x, user.y);
    return Point{(t.x - min_x) * unit / kMm, (max_y - t.y) * unit / kMm};
}

Point apply(const double m[6], double x, double y) {
    return Point{m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5]};
}

// A stamp of 60 x 40 points (21.2 x 14.1 mm) on an A4 page whose crop box is
// inset and offset, at each rotation, two user units and two anchors: its
// box on the screen must sit in the anchor's corner at the margin, at its
// physical size, and upright (its top edge above its bottom edge).
TEST(PdfPlacement, TheStampShowsUprightInTheAnchorsCornerAtEveryRotation) {
    const double w = 60, h = 40;
    PdfPageGeometry page;
    page.media = PdfBox{0, 0, 595, 842};
    page.crop = PdfBox{20, 30, 575, 800};
    for (double unit : {1.0, 2.0}) {
        for (int rotate : {0, 90, 180, 270}) {
            page.rotate = rotate == 270 ? -90 : rotate;  // a negative /Rotate is the same turn
            page.user_unit = unit;
            const double crop_w = (rotate % 180 ? 770 : 555) * unit / kMm;
            const double crop_h = (rotate % 180 ? 555 : 770) * unit / kMm;
            for (PdfAnchor anchor : {PdfAnchor::kTopRight, PdfAnchor::kBottomLeft, PdfAnchor::kCentre}) {
                SCOPED_TRACE(testing::Message() << "unit " << unit << ", rotate " << rotate << ", anchor "
                                                << static_cast<int>(anchor));
                PdfPosition at;
                at.anchor = anchor;
                at.margin_mm = 12;
                const PdfPlacement p = place_stamp_on_page(page, w, h, at);
                ASSERT_TRUE(p.ok);
                EXPECT_NEAR(p.page_width_mm, crop_w, 1e-6);
                EXPECT_NEAR(p.page_height_mm, crop_h, 1e-6);
                double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
                for (Point corner : {Point{0, 0}, Point{w, 0}, Point{0, h}, Point{w, h}}) {
                    const Point s = on_screen(*page.crop, rotate, unit, apply(p.matrix, corner.x, corner.y));
                    left = std::min(left, s.x);
                    right = std::max(right, s.x);
                    top = std::min(top, s.y);
                    bottom = std::max(bottom, s.y);
                }
                EXPECT_NEAR(right - left, w / kMm, 1e-6);
                EXPECT_NEAR(bottom - top, h / kMm, 1e-6);
                const Point form_top = on_screen(*page.crop, rotate, unit, apply(p.matrix, w / 2, h));
                const Point form_bottom = on_screen(*page.crop, rotate, unit, apply(p.matrix, w / 2, 0));
                EXPECT_LT(form_top.y, form_bottom.y) << "upside down or on its side";
                EXPECT_NEAR(form_top.x, form_bottom.x, 1e-6);
                if (anchor == PdfAnchor::kTopRight) {
                    EXPECT_NEAR(right, crop_w - 12, 1e-6);
                    EXPECT_NEAR(top, 12, 1e-6);
                } else if (anchor == PdfAnchor::kBottomLeft) {
                    EXPECT_NEAR(left, 12, 1e-6);
                    EXPECT_NEAR(bottom, crop_h - 12, 1e-6);
                } else {
                    EXPECT_NEAR((left + right) / 2, crop_w / 2, 1e-6);
                    EXPECT_NEAR((top + bottom) / 2, crop_h / 2, 1e-6);
                }
                EXPECT_NEAR(p.centre_x_mm, (left + right) / 2, 1e-6);
                EXPECT_NEAR(p.centre_y_mm, (top + bottom) / 2, 1e-6);
            }
        }
    }
}

// A centre outside the visible page, or a page too small for the stamp and
// its margin, is refused rather than drawn where nobody sees it; a crop box
// reaching beyond the media box is cut to it, as viewers show the page.
TEST(PdfPlacement, OffPagePositionsAreRefusedAndTheCropBoxIsCutToTheMedia) {
    PdfPageGeometry page;
    page.media = PdfBox{0, 0, 200, 100};
    PdfPosition at;
    at.anchor = PdfAnchor::kPoint;
    at.x_mm = 200 / kMm + 0.5;
    at.y_mm = 10;
    EXPECT_FALSE(place_stamp_on_page(page, 20, 20, at).ok);
    at.x_mm = 50;
    EXPECT_TRUE(place_stamp_on_page(page, 20, 20, at).ok);
    at.anchor = PdfAnchor::kTopRight;
    at.margin_mm = 80;
    EXPECT_FALSE(place_stamp_on_page(page, 20, 20, at).ok);

    page.crop = PdfBox{-50, -50, 100, 300};
    at.margin_mm = 0;
    const PdfPlacement p = place_stamp_on_page(page, 20, 20, at);
    ASSERT_TRUE(p.ok);
    EXPECT_NEAR(p.page_width_mm, 100 / kMm, 1e-9);
    EXPECT_NEAR(p.page_height_mm, 100 / kMm, 1e-9);
    EXPECT_NEAR(p.matrix[4], 80, 1e-9);  // the form's left edge 20 pt in from x = 100
    EXPECT_NEAR(p.matrix[5], 80, 1e-9);
}

// Numbers from the file that no reader shows, or that would overflow the
// arithmetic after them, are refused as such, not placed nor taken as an
// off-page position; the limits themselves still place the stamp.
TEST(PdfPlacement, BoxesAndUnitsBeyondPdfsLimitsAreRefused) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        PdfBox media;
        double unit, margin_mm;
        bool refused;
    } cases[] = {
        {"a side of 1e13", {0, 0, 1e13, 1e13}, 1, 10, true},
        {"an infinite side", {0, 0, inf, 800}, 1, 10, true},
        {"no number", {0, 0, 600, nan}, 1, 10, true},
        {"a side beyond 14,400", {0, 0, 14400.5, 800}, 1, 10, true},
        {"corners far out", {2e6, 0, 2e6 + 600, 800}, 1, 10, true},
        {"a unit of 1e7", {0, 0, 600, 800}, 1e7, 10, true},
        {"an infinite unit", {0, 0, 600, 800}, inf, 10, true},
        {"a unit that blows up the matrix", {0, 0, 600, 800}, 1e-9, 10, true},
        {"a margin that is no number", {0, 0, 600, 800}, 1, nan, true},
        {"the largest page", {-7200, -7200, 7200, 7200}, 1, 10, false},
        {"the largest unit", {0, 0, 600, 800}, 75000, 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PdfPageGeometry page;
        page.media = c.media;
        page.user_unit = c.unit;
        PdfPosition at;
        at.margin_mm = c.margin_mm;
        const PdfPlacement p = place_stamp_on_page(page, 60, 40, at);
        EXPECT_EQ(p.ok, !c.refused);
        EXPECT_EQ(p.bad_geometry, c.refused);
        for (double m : p.matrix) EXPECT_TRUE(std::isfinite(m));
    }
}

// What readers make of odd values: a /Rotate that is no multiple of 90 (or
// too large for 32 bits) turns nothing, a missing media box or one of four
// zeros is a Letter page, a crop box that is no numbers is none. Each page
// must get the placement of the page it is read as.
TEST(PdfPlacement, OddRotationsAndMissingBoxesAreReadAsReadersShowThem) {
    PdfPageGeometry sound;
    sound.media = PdfBox{0, 0, 400, 200};
    auto with = [&](auto change) {
        PdfPageGeometry g = sound;
        change(g);
        return g;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const PdfPageGeometry letter = with([](auto& g) { g.media = PdfBox{0, 0, 612, 792}; });
    const PdfPageGeometry turned = with([](auto& g) { g.rotate = 90; });
    const PdfPageGeometry turned_back = with([](auto& g) { g.rotate = 270; });
    struct Case {
        const char* what;
        PdfPageGeometry page, read_as;
    } cases[] = {
        {"/Rotate 45", with([](auto& g) { g.rotate = 45; }), sound},
        {"/Rotate 135", with([](auto& g) { g.rotate = 135; }), sound},
        {"/Rotate 450", with([](auto& g) { g.rotate = 450; }), turned},
        {"/Rotate -450", with([](auto& g) { g.rotate = -450; }), turned_back},
        {"/Rotate 2^32+90", with([](auto& g) { g.rotate = (1ll << 32) + 90; }), sound},
        {"no media box", with([](auto& g) { g.media.reset(); }), letter},
        {"a media box of zeros", with([](auto& g) { g.media = PdfBox{}; }), letter},
        {"a crop box of no numbers", with([nan](auto& g) { g.crop = PdfBox{nan, 0, 99, 99}; }), sound},
    };
    PdfPosition at;
    at.anchor = PdfAnchor::kBottomLeft;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PdfPlacement got = place_stamp_on_page(c.page, 60, 40, at);
        const PdfPlacement expected = place_stamp_on_page(c.read_as, 60, 40, at);
        EXPECT_TRUE(expected.ok);
        EXPECT_TRUE(got.ok);
        for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(got.matrix[i], expected.matrix[i]) << i;
        EXPECT_DOUBLE_EQ(got.page_width_mm, expected.page_width_mm);
    }
}

// A place where any part of the stamp leaves the visible page is refused,
// never moved: a 60 x 40 mm receipt with the top-right corner and 30 mm put
// the stamp bottom-left, half off the page, as its centre was still on it.
TEST(PdfPlacement, TheWholeStampMustFitAndKeepsItsDistanceFromItsCorner) {
    PdfPageGeometry receipt;
    receipt.media = PdfBox{0, 0, 60 * kMm, 40 * kMm};
    PdfPosition at;
    at.margin_mm = 30;
    EXPECT_FALSE(place_stamp_on_page(receipt, 20 * kMm, 20 * kMm, at).ok);
    at.margin_mm = 10;
    EXPECT_TRUE(place_stamp_on_page(receipt, 20 * kMm, 20 * kMm, at).ok);
    at.margin_mm = 0;  // flush with both edges, still whole
    EXPECT_TRUE(place_stamp_on_page(receipt, 20 * kMm, 20 * kMm, at).ok);
    at.anchor = PdfAnchor::kPoint;
    for (PdfMmPoint centre : {PdfMmPoint{9, 20}, PdfMmPoint{51, 20}, PdfMmPoint{30, 9}, PdfMmPoint{30, 31}}) {
        at.x_mm = centre.x_mm;
        at.y_mm = centre.y_mm;
        EXPECT_FALSE(place_stamp_on_page(receipt, 20 * kMm, 20 * kMm, at).ok) << centre.x_mm << "," << centre.y_mm;
    }

    // A click kept from its nearest corner lands at the same distances from
    // that corner on a page of another size and turn.
    struct Click {
        double x, y;
        PdfAnchor corner;
    } clicks[] = {{20, 30, PdfAnchor::kTopLeft},
                  {190, 30, PdfAnchor::kTopRight},
                  {20, 280, PdfAnchor::kBottomLeft},
                  {180, 260, PdfAnchor::kBottomRight}};
    PdfPageGeometry letter_turned;
    letter_turned.media = PdfBox{0, 0, 612, 792};
    letter_turned.rotate = 90;
    const double letter_w = 792 / kMm, letter_h = 612 / kMm;
    for (const Click& c : clicks) {
        const PdfPosition p = position_from_nearest_corner(210, 297, c.x, c.y);
        EXPECT_EQ(p.corner, c.corner);
        const std::optional<PdfMmPoint> back = stamp_centre_on_page(p, 210, 297, 20, 20);
        ASSERT_TRUE(back);
        EXPECT_NEAR(back->x_mm, c.x, 1e-9);
        EXPECT_NEAR(back->y_mm, c.y, 1e-9);
        const PdfPlacement there = place_stamp_on_page(letter_turned, 20 * kMm, 20 * kMm, p);
        ASSERT_TRUE(there.ok);
        const bool right = c.corner == PdfAnchor::kTopRight || c.corner == PdfAnchor::kBottomRight;
        const bool bottom = c.corner == PdfAnchor::kBottomLeft || c.corner == PdfAnchor::kBottomRight;
        EXPECT_NEAR(right ? letter_w - there.centre_x_mm : there.centre_x_mm, right ? 210 - c.x : c.x, 1e-9);
        EXPECT_NEAR(bottom ? letter_h - there.centre_y_mm : there.centre_y_mm, bottom ? 297 - c.y : c.y, 1e-9);
    }
    PdfPosition no_corner;
    no_corner.anchor = PdfAnchor::kFromCorner;
    no_corner.corner = PdfAnchor::kTop;
    EXPECT_FALSE(stamp_centre_on_page(no_corner, 210, 297, 20, 20));
}

TEST(PdfPlacement, PositionsAndPagesAreReadAsWrittenAndNothingElse) {
    EXPECT_EQ(parse_pdf_position(u"bottom-left")->anchor, PdfAnchor::kBottomLeft);
    EXPECT_EQ(parse_pdf_position(u"center")->anchor, PdfAnchor::kCentre);
    const std::optional<PdfPosition> point = parse_pdf_position(u"105,12.5");
    ASSERT_TRUE(point);
    EXPECT_EQ(point->anchor, PdfAnchor::kPoint);
    EXPECT_DOUBLE_EQ(point->x_mm, 105);
    EXPECT_DOUBLE_EQ(point->y_mm, 12.5);
    const std::optional<PdfPosition> corner = parse_pdf_position(u"bottom-left:5,7.5");
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->anchor, PdfAnchor::kFromCorner);
    EXPECT_EQ(corner->corner, PdfAnchor::kBottomLeft);
    EXPECT_DOUBLE_EQ(corner->y_mm, 7.5);
    EXPECT_EQ(parse_pdf_position(u"top-right:1,2")->corner, PdfAnchor::kTopRight);
    for (const char16_t* bad : {u"", u"middle", u"1,", u",2", u"1,2,3", u"-5,5", u"1e2,5", u"5.5.5,1", u".",
                                u"top:1,2", u":1,2", u"top-left:1", u"top-left:", u"Top-Left:1,2"})
        EXPECT_FALSE(parse_pdf_position(bad)) << std::u16string(bad).size();

    struct Case {
        const char16_t* text;
        int page_count;
        std::vector<int> pages;
        int missing;
    } cases[] = {
        {u"first", 3, {1}, 0},        {u"last", 3, {3}, 0},        {u"all", 3, {1, 2, 3}, 0},
        {u"3,1,3", 3, {1, 3}, 0},     {u"2,4", 3, {}, 4},          {u"first", 0, {}, 1},
        // As typed with an IME: full-width digits and commas, 、, spaces, four range signs.
        {u"１，９", 9, {1, 9}, 0},     {u"first", 1, {1}, 0},       {u"last", 1, {1}, 0},     {u"2～4、7", 7, {2, 3, 4, 7}, 0}, {u"1〜2", 3, {1, 2}, 0},
        {u"２－３", 3, {2, 3}, 0},     {u" 1 　3 ", 3, {1, 3}, 0},  {u"1 , 3 - 3", 3, {1, 3}, 0},
        // Overlapping ranges each page once; a range past the end names its first lacking page.
        {u"3-5,1-4", 5, {1, 2, 3, 4, 5}, 0}, {u"2-4", 3, {}, 4},   {u"5-7,9", 3, {}, 5},
        {u"1-2000000", 2, {}, 3},    {u"9,2-5", 3, {}, 9},
    };
    for (const Case& c : cases) {
        const std::optional<PdfPageChoice> choice = parse_pdf_pages(c.text);
        ASSERT_TRUE(choice);
        int missing = -1;
        EXPECT_EQ(chosen_pages(*choice, c.page_count, &missing), c.pages);
        EXPECT_EQ(missing, c.missing);
    }
    for (const char16_t* bad : {u"", u"0", u"1,,2", u"First", u"12345678", u"5-3", u"0-2", u"1-", u"-3",
                                u"1-2-3", u"1,", u"1x", u"1~3"})
        EXPECT_FALSE(parse_pdf_pages(bad)) << std::u16string(bad).size();
}

}  // namespace
}  // namespace markomi

namespace markomi {
namespace {

// An annotation's /Rect of 60 x 40 points on a cropped page, read back in
// points of the page as shown (left, top, width, height): a row per fault.
TEST(PdfPlacement, ARectangleShowsWhereTheViewerTurnsIt) {
    struct Row {
        const char* fault;
        int rotate;
        double unit, left, top, width, height;
    } rows[] = {{"crop offset ignored", 0, 1, 80, 560, 60, 40},
                {"axes not swapped at a quarter turn", 90, 1, 170, 80, 40, 60},
                {"signs not turned at a half turn", 180, 1, 415, 170, 60, 40},
                {"three quarters taken as one", 270, 1, 560, 415, 40, 60},
                {"/UserUnit ignored", 90, 2, 340, 160, 80, 120},
                {"a unit of 0 not taken as 1", 0, 0, 80, 560, 60, 40}};
    for (const Row& row : rows) {
        PdfPageGeometry page{PdfBox{0, 0, 595, 842}, PdfBox{20, 30, 575, 800}, row.rotate, row.unit};
        const std::optional<PdfMmRect> box = shown_box_of_rect(page, PdfBox{160, 240, 100, 200});
        ASSERT_TRUE(box) << row.fault;
        EXPECT_NEAR(box->left_mm * kMm, row.left, 1e-9) << row.fault;
        EXPECT_NEAR(box->top_mm * kMm, row.top, 1e-9) << row.fault;
        EXPECT_NEAR(box->width_mm * kMm, row.width, 1e-9) << row.fault;
        EXPECT_NEAR(box->height_mm * kMm, row.height, 1e-9) << row.fault;
    }
    // A unit beyond the limits either way, a media box or a /Rect of no sane numbers.
    for (const PdfPageGeometry& bad : {PdfPageGeometry{{}, {}, 0, 1e9}, PdfPageGeometry{{}, {}, 0, 1e-4},
                                       PdfPageGeometry{PdfBox{0, 0, 1e300, 1}, {}, 0, 1}})
        EXPECT_FALSE(shown_box_of_rect(bad, PdfBox{1, 2, 3, 4}));
    EXPECT_FALSE(shown_box_of_rect(PdfPageGeometry{}, PdfBox{0, 0, std::nan(""), 1}));
}

}  // namespace
}  // namespace markomi
