#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tools/json_writer.h"

namespace markomi {
namespace {

std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

// Commas go between members and elements only, also right after a nested
// value closes and never after a key; empty containers stay empty.
TEST(JsonWriter, PlacesCommasAroundNestedValues) {
    JsonWriter w;
    w.begin_object();
    w.key(u"a").begin_array().number(1).begin_object().end_object().begin_array().end_array().null().end_array();
    w.key(u"b").begin_object().key(u"c").boolean(true).key(u"d").string(u"x\"y").end_object();
    w.key(u"e").number(-5);
    w.end_object();
    EXPECT_EQ(narrow(w.text()), R"({"a":[1,{},[],null],"b":{"c":true,"d":"x\"y"},"e":-5})");
}

// JSON has no NaN or infinity: such values become null, and their bits
// stay readable beside them; finite values keep every digit a float has.
TEST(JsonWriter, NumbersAreAlwaysValidJson) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        const char* text;
        const char* bits;
    } cases[] = {
        {96.0f, "96", "0x42c00000"},
        {95.916084f, "95.916084", "0x42bfd509"},
        {nan, "null", "0x7fc00000"},
        {inf, "null", "0x7f800000"},
        {-inf, "null", "0xff800000"},
        {1e-45f, "1e-45", "0x00000001"},
    };
    for (const Case& c : cases) {
        JsonWriter w;
        w.real(c.value);
        EXPECT_EQ(narrow(w.text()), c.text) << c.bits;
        EXPECT_EQ(narrow(float_bits_text(c.value)), c.bits);
    }
    JsonWriter d;
    d.begin_array().real(0.1).real(1e21).real(std::nan("")).real(-0.0).end_array();
    EXPECT_EQ(narrow(d.text()), "[0.1,1e+21,null,-0]");
}

}  // namespace
}  // namespace markomi
