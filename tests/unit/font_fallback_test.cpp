#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/u16_format.h"
#include "render/font_fallback.h"

namespace markomi {
namespace {

// A space or an invisible character must not make a face look short of
// glyphs: a Latin face would be swapped for no reason over a full-width
// space between two words.
TEST(FontFallbackGlyphs, OnlyVisibleCharactersCountEachOnceInOrder) {
    struct Case {
        std::u16string text, needed;
    } cases[] = {
        {u"", u""},
        {u" \u3000\t\r\n\u00A0", u""},
        {u"山田 太郎", u"太山田郎"},
        {u"Ab\u3000bA", u"Ab"},
        {u"印\u200B\uFEFF\uFE0F\u0007\u0085印", u"印"},
        {u"\U00020BB7吉", u"吉"},  // a surrogate pair cannot be asked for, per unit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::u16string expected = c.needed;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(glyphs_needed(c.text), expected);
    }
}

// The chosen face is tried first (so it is kept whenever it can draw the
// row), each face once, and no vertical-writing face, whose glyphs stand on
// their side, is ever used for a row.
TEST(FontFallbackOrder, ChosenThenDefaultThenEachOtherFaceOnce) {
    std::vector<std::u16string> faces = fallback_faces(u"DejaVu Sans");
    ASSERT_GE(faces.size(), 3u);
    EXPECT_EQ(faces[0], u"DejaVu Sans");
    EXPECT_EQ(faces[1], kDefaultStampFace);

    faces = fallback_faces(u"ms pgothic");
    EXPECT_EQ(faces[0], u"ms pgothic");
    EXPECT_EQ(faces[1], kDefaultStampFace);
    EXPECT_EQ(std::count(faces.begin(), faces.end(), u"MS PGothic"), 0);  // same face, other case
    EXPECT_EQ(std::count(faces.begin(), faces.end(), kDefaultStampFace), 1);

    std::vector<std::u16string> without_chosen = fallback_faces(u"");
    EXPECT_EQ(without_chosen.front(), kDefaultStampFace);
    std::size_t listed = without_chosen.size();
    append_faces(without_chosen,
                 {u"@IPAゴシック", u"IPAゴシック", u"", u"ipagothic", u"IPAゴシック"});
    ASSERT_EQ(without_chosen.size(), listed + 1);
    EXPECT_EQ(without_chosen.back(), u"IPAゴシック");
}

// Rows of ever new texts (a date a day) must not grow the table without end.
TEST(FontFallbackCache, RemembersEachPairAndStaysBounded) {
    FaceFallbackCache cache;
    cache.store(u"Tahoma", u"山田", u"ＭＳ Ｐゴシック");
    ASSERT_NE(cache.find(u"Tahoma", u"山田"), nullptr);
    EXPECT_EQ(*cache.find(u"Tahoma", u"山田"), u"ＭＳ Ｐゴシック");
    EXPECT_EQ(cache.find(u"Tahoma", u"山"), nullptr);
    EXPECT_EQ(cache.find(u"Arial", u"山田"), nullptr);

    for (int n = 0; n < 3 * static_cast<int>(FaceFallbackCache::kMaxEntries); ++n) {
        cache.store(decimal_text(n), u"x", u"y");
        EXPECT_LE(cache.size(), FaceFallbackCache::kMaxEntries);
    }
    ASSERT_NE(cache.find(decimal_text(3 * FaceFallbackCache::kMaxEntries - 1), u"x"), nullptr);
}

}  // namespace
}  // namespace markomi
