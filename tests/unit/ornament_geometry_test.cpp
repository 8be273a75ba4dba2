#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/ornament_geometry.h"

namespace markomi {
namespace {

// Each shape as one short text, so that a mismatch shows the whole shape.
std::string text_of(const OrnamentShape& shape) {
    auto num = [](double v) { return std::to_string(static_cast<long long>(v)); };
    auto point = [&](StampPoint p) { return num(p.x) + "," + num(p.y); };
    if (const auto* a = std::get_if<ArcShape>(&shape)) {
        return "arc " + num(a->x) + "," + num(a->y) + " " + num(a->width) + "x" + num(a->height) +
               " @" + num(a->start) + "+" + num(a->sweep);
    }
    if (const auto* l = std::get_if<LineShape>(&shape)) {
        return "line " + point(l->from) + " " + point(l->to);
    }
    if (const auto* e = std::get_if<EllipseShape>(&shape)) {
        return "ellipse " + num(e->x) + "," + num(e->y) + " " + num(e->width) + "x" +
               num(e->height);
    }
    std::string out = "polygon";
    for (StampPoint p : std::get<PolygonShape>(shape).points) out += " " + point(p);
    return out;
}

std::vector<std::string> texts_of(const Ornament& shapes) {
    std::vector<std::string> out;
    for (const OrnamentShape& s : shapes) out.push_back(text_of(s));
    return out;
}

std::vector<std::string> texts_of(const std::vector<StampPoint>& points) {
    std::vector<std::string> out;
    for (StampPoint p : points) out.push_back(std::to_string(p.x) + "," + std::to_string(p.y));
    return out;
}

TEST(FlowerPetals, FourPetalsAroundTheRing) {
    EXPECT_EQ(texts_of(flower_petals(100, 100, 35, 4)),
              (std::vector<std::string>{"arc 75,50 49x49 @180+180", "arc 100,75 49x49 @270+180",
                                        "arc 75,100 49x49 @0+180", "arc 50,75 49x49 @90+180"}));
}

TEST(FlowerPetals, SevenPetalsStartAnglesStepByWholeDegrees) {
    EXPECT_EQ(texts_of(flower_petals(100, 100, 35, 7)),
              (std::vector<std::string>{"arc 84,53 31x30 @180+180", "arc 109,65 30x30 @231+180",
                                        "arc 115,91 30x31 @282+180", "arc 98,113 30x30 @333+180",
                                        "arc 71,113 30x30 @24+180", "arc 54,91 30x31 @75+180",
                                        "arc 60,65 30x30 @126+180"}));
}

TEST(FlowerPetals, PetalsSitOnTheRingForEveryCountAndRadius) {
    for (int r : {20, 35, 80, 160}) {
        for (int n = 3; n <= 20; ++n) {
            const Ornament petals = flower_petals(300, 300, r, n);
            ASSERT_EQ(petals.size(), static_cast<std::size_t>(n));
            const double radius = std::sin(3.1415926535 / n) * r;
            for (int k = 0; k < n; ++k) {
                const ArcShape& a = std::get<ArcShape>(petals[k]);
                EXPECT_EQ(a.start, static_cast<float>((180 + k * (360 / n)) % 360));
                EXPECT_NEAR(a.width, 2 * radius, 1.0) << r << " " << n << " " << k;
                // The petal's centre stands on the chord between its ends
                // (each box edge truncated: within a pixel per axis).
                const double mx = a.x + a.width / 2.0 - 300;
                const double my = a.y + a.height / 2.0 - 300;
                EXPECT_NEAR(std::hypot(mx, my), r * std::cos(3.1415926535 / n), 1.5);
            }
            // The first petal is centred above the ring's centre.
            const ArcShape& first = std::get<ArcShape>(petals[0]);
            EXPECT_NEAR(first.x + first.width / 2.0, 300, 1.0);
            EXPECT_LT(first.y, 300 - r * std::cos(3.1415926535 / n));
        }
    }
}

TEST(StarOutline, ThreePointsAlternateRingAndTips) {
    const Ornament star = star_outline(100, 100, 35, 3);
    ASSERT_EQ(star.size(), 1u);
    EXPECT_EQ(text_of(star[0]), "polygon 69,82 100,52 130,82 141,123 100,135 58,123");
    // Tips at 35 * (cos 60 + sin 60) = 47.81 from the centre: 52.19 truncates to 52.
    const std::vector<StampPoint> p = star_points(100, 100, 35, 3);
    EXPECT_EQ(p[1].y, 52);
}

TEST(StarOutline, FirstTipPointsUpAtTheRangeEnds) {
    for (int r : {20, 80}) {
        for (int n : {3, 20}) {
            const std::vector<StampPoint> p = star_points(200, 200, r, n);
            ASSERT_EQ(p.size(), static_cast<std::size_t>(2 * n));
            const double tip = r * std::cos(3.1415926535 / n) + r * std::sin(3.1415926535 / n);
            EXPECT_EQ(p[1].x, 200);
            EXPECT_EQ(p[1].y, static_cast<int>(200 - tip));
            for (int k = 0; k < n; ++k) {
                EXPECT_NEAR(std::hypot(p[2 * k].x - 200, p[2 * k].y - 200), r, 1.5);
                EXPECT_NEAR(std::hypot(p[2 * k + 1].x - 200, p[2 * k + 1].y - 200), tip, 1.5);
            }
        }
    }
    EXPECT_EQ(texts_of(star_points(200, 200, 20, 20)).front(), "196,180");
}

TEST(StarOutline, AngleConstantsDecideAxisPoints) {
    // 20 sin(-150 degrees) is -10 exactly with the true pi; the decimal pi
    // of the designs leaves 89.9999999987, so the left ring point truncates
    // one row higher than its mirror image on the right.
    EXPECT_EQ(
        texts_of(star_points(100, 100, 20, 3)),
        (std::vector<std::string>{"82,89", "100,72", "117,90", "123,113", "100,120", "76,113"}));
    // The same hair decides the petal boxes at the small end of the range.
    EXPECT_EQ(texts_of(flower_petals(100, 100, 20, 4)),
              (std::vector<std::string>{"arc 85,71 29x28 @180+180", "arc 100,85 28x29 @270+180",
                                        "arc 85,100 29x28 @0+180", "arc 71,85 28x29 @90+180"}));
}

TEST(InsectLimbs, RadiusThirtyFiveWithNineLegPairs) {
    EXPECT_EQ(
        texts_of(insect_limbs(100, 100, 35, 9)),
        (std::vector<std::string>{"arc 109,60 22x11 @180+180",  "arc 68,60 22x11 @180+180",
                                  "arc 130,76 11x11 @180+180",  "arc 58,76 11x11 @180+180",
                                  "arc 132,82 11x11 @180+180",  "arc 56,82 11x11 @180+180",
                                  "arc 134,88 11x11 @180+180",  "arc 54,88 11x11 @180+180",
                                  "arc 134,94 11x11 @180+180",  "arc 54,94 11x11 @180+180",
                                  "arc 134,100 11x11 @180+180", "arc 54,100 11x11 @180+180",
                                  "arc 132,106 11x11 @180+180", "arc 56,106 11x11 @180+180",
                                  "arc 130,111 11x11 @180+180", "arc 58,111 11x11 @180+180",
                                  "arc 127,116 11x11 @180+180", "arc 61,116 11x11 @180+180",
                                  "arc 122,121 11x11 @180+180", "arc 66,121 11x11 @180+180"}));
}

TEST(InsectLimbs, SizesFollowTheIntegerThirdOfTheRadius) {
    for (int r : {20, 80}) {
        for (int n : {3, 20}) {
            const Ornament limbs = insect_limbs(200, 200, r, n);
            ASSERT_EQ(limbs.size(), static_cast<std::size_t>(2 + 2 * n));
            const int q = r / 3;  // 6 and 26
            EXPECT_EQ(std::get<ArcShape>(limbs[0]).width, 2 * q);
            EXPECT_EQ(std::get<ArcShape>(limbs[0]).height, q);
            EXPECT_EQ(std::get<ArcShape>(limbs.back()).width, q);
            EXPECT_EQ(std::get<ArcShape>(limbs.back()).height, q);
        }
    }
    // Half of q = 6 is 3, of q = 26 is 13; of q = 11 it is 5.5, not 5.
    EXPECT_EQ(text_of(insect_limbs(100, 100, 20, 3)[0]), "arc 105,77 12x6 @180+180");
    EXPECT_EQ(text_of(insect_limbs(100, 100, 80, 20)[2]), "arc 164,39 26x26 @180+180");
}

TEST(InsectLimbs, LegHeightsAreKeptInSinglePrecision) {
    // Leg 8 of 19 at r = 33 meets the ring at e = 128.499985 in single
    // precision (128.5 when the sine is narrowed before multiplying), so its
    // box top truncates to 122.
    const Ornament limbs = insect_limbs(130, 130, 33, 19);
    const ArcShape& right = std::get<ArcShape>(limbs[2 + 2 * 7]);
    EXPECT_EQ(right.y, 122);
    EXPECT_EQ(right.x, 162);
    EXPECT_EQ(std::get<ArcShape>(limbs[3 + 2 * 7]).x, 86);
}

TEST(TyphoonRays, NineRaysLeanClockwise) {
    EXPECT_EQ(texts_of(typhoon_rays(100, 100, 35, 9)),
              (std::vector<std::string>{
                  "line 88,67 100,55", "line 111,67 128,65", "line 130,82 144,92",
                  "line 134,106 138,122", "line 122,126 115,142", "line 100,135 84,142",
                  "line 77,126 61,122", "line 65,106 55,92", "line 69,82 71,65"}));
}

TEST(TyphoonRays, EachRayIsTheStarEdgeLeavingARingPoint) {
    for (int r : {20, 35, 80}) {
        for (int n : {3, 9, 20}) {
            const std::vector<StampPoint> star = star_points(150, 150, r, n);
            const Ornament rays = typhoon_rays(150, 150, r, n);
            ASSERT_EQ(rays.size(), static_cast<std::size_t>(n));
            for (int k = 0; k < n; ++k) {
                const LineShape& ray = std::get<LineShape>(rays[k]);
                EXPECT_EQ(ray.from.x, star[2 * k].x);
                EXPECT_EQ(ray.from.y, star[2 * k].y);
                EXPECT_EQ(ray.to.x, star[2 * k + 1].x);
                EXPECT_EQ(ray.to.y, star[2 * k + 1].y);
            }
        }
    }
}

TEST(AnimalEars, EarSizeFromTheIntegerFifteenth) {
    // (20 * 3) / 15 = 4, radius 2: boxes 6 pixels across.
    EXPECT_EQ(texts_of(animal_ears(100, 100, 20, 3)),
              (std::vector<std::string>{"ellipse 111,80 6x6", "ellipse 83,80 6x6"}));
    // (35 * 9) / 15 = 21, radius 10.5: circles 23 across.
    EXPECT_EQ(texts_of(animal_ears(100, 100, 35, 9)),
              (std::vector<std::string>{"ellipse 117,53 23x23", "ellipse 60,53 23x23"}));
    // (80 * 20) / 15 = 106, radius 53.
    EXPECT_EQ(texts_of(animal_ears(200, 200, 80, 20)),
              (std::vector<std::string>{"ellipse 231,44 108x108", "ellipse 61,44 108x108"}));
    // (20 * 14) / 15 = 18 but (20 * 15) / 15 = 20: the division comes last.
    EXPECT_EQ(std::get<EllipseShape>(animal_ears(100, 100, 20, 14)[0]).width, 20);
}

TEST(DiamondFrame, SquareStandingOnACorner) {
    // The angle constants fall just short of the axes: the left corner lands
    // one row above cy and the bottom corner one column left of cx.
    EXPECT_EQ(texts_of(diamond_corners(100, 100, 35, 4)),
              (std::vector<std::string>{"100,65", "65,99", "99,135", "135,100", "100,65"}));
}

TEST(DiamondFrame, SquareChordsEndOnItsSides) {
    // The lower chord's right end lies on the edge leaving the bottom corner
    // (99,135), which sits left of cx yet belongs to the right side.
    EXPECT_EQ(texts_of(diamond_frame(100, 100, 35, 4)),
              (std::vector<std::string>{"line 127,92 72,92", "line 126,108 73,108",
                                        "polygon 100,65 65,99 99,135 135,100"}));
}

TEST(DiamondFrame, OddCornerCountHasAFlatBottom) {
    EXPECT_EQ(texts_of(diamond_frame(100, 100, 35, 5)),
              (std::vector<std::string>{"line 132,92 67,92", "line 126,108 72,108",
                                        "polygon 100,65 66,89 79,128 120,128 133,89"}));
}

TEST(DiamondFrame, ChordsCrossTheWholePolygonAtTheRangeEnds) {
    // s = 4 for r = 20 and 20 for r = 80.
    for (auto [r, s] : {std::pair{20, 4}, std::pair{80, 20}}) {
        for (int n : {3, 4, 20}) {
            const std::vector<StampPoint> corners = diamond_corners(300, 300, r, n);
            ASSERT_EQ(corners.size(), static_cast<std::size_t>(n + 1));
            EXPECT_EQ(corners.back().x, corners.front().x);
            EXPECT_EQ(corners.back().y, corners.front().y);
            const Ornament frame = diamond_frame(300, 300, r, n);
            ASSERT_EQ(frame.size(), 3u);
            EXPECT_EQ(std::get<PolygonShape>(frame[2]).points.size(), static_cast<std::size_t>(n));
            for (int i : {0, 1}) {
                const LineShape& chord = std::get<LineShape>(frame[i]);
                const int y = i == 0 ? 300 - s : 300 + s;
                EXPECT_EQ(chord.from.y, y);
                EXPECT_EQ(chord.to.y, y);
                // From the right side to the left, inside the polygon's reach
                // and well away from the centre.
                EXPECT_GT(chord.from.x, 300 + r / 3) << r << " " << n << " " << i;
                EXPECT_LT(chord.to.x, 300 - r / 3) << r << " " << n << " " << i;
                EXPECT_LE(chord.from.x, 300 + r);
                EXPECT_GE(chord.to.x, 300 - r);
            }
        }
    }
}

TEST(DiamondFrame, CornerExactlyAtTheChordHeight) {
    const std::vector<StampPoint> corners = diamond_corners(100, 100, 35, 4);
    // The left corner sits at y = 99; the right one at y = 100.
    EXPECT_EQ(text_of(diamond_chord(corners, 100, 99)), "line 134,99 65,99");
    EXPECT_EQ(text_of(diamond_chord(corners, 100, 100)), "line 135,100 65,100");
}

TEST(OrnamentCount, OutOfRangeCountsAreDrawnAtTheNearestEnd) {
    EXPECT_EQ(ornament_count(0), 3);
    EXPECT_EQ(ornament_count(-7), 3);
    EXPECT_EQ(ornament_count(3), 3);
    EXPECT_EQ(ornament_count(20), 20);
    EXPECT_EQ(ornament_count(21), 20);
    EXPECT_EQ(texts_of(flower_petals(100, 100, 35, 0)), texts_of(flower_petals(100, 100, 35, 3)));
    EXPECT_EQ(star_points(100, 100, 35, 1000000).size(), 40u);
    EXPECT_EQ(diamond_corners(100, 100, 35, -1).size(), 4u);
}

TEST(SlotOrnament, EachSlotGetsItsDesign) {
    FrameSpec frame;
    frame.hankei = 35;
    frame.bunkatu = 4;
    EXPECT_TRUE(slot_ornament(1, 100, 100, frame).empty());
    EXPECT_TRUE(slot_ornament(0, 100, 100, frame).empty());
    EXPECT_TRUE(slot_ornament(8, 100, 100, frame).empty());
    EXPECT_EQ(texts_of(slot_ornament(2, 100, 100, frame)),
              texts_of(flower_petals(100, 100, 35, 4)));
    EXPECT_EQ(texts_of(slot_ornament(3, 100, 100, frame)), texts_of(star_outline(100, 100, 35, 4)));
    EXPECT_EQ(texts_of(slot_ornament(4, 100, 100, frame)), texts_of(insect_limbs(100, 100, 35, 4)));
    EXPECT_EQ(texts_of(slot_ornament(5, 100, 100, frame)), texts_of(typhoon_rays(100, 100, 35, 4)));
    EXPECT_EQ(texts_of(slot_ornament(6, 100, 100, frame)),
              texts_of(diamond_frame(100, 100, 35, 4)));
    EXPECT_EQ(texts_of(slot_ornament(7, 100, 100, frame)), texts_of(animal_ears(100, 100, 35, 4)));
}

}  // namespace
}  // namespace markomi
