#include <gtest/gtest.h>

#include "output/pdf_sign/ber_length.h"

namespace markomi {
namespace {

// How much of a zero-padded signature room is the message; none for an
// element cut short, nested too deep, or indefinite yet primitive.
TEST(BerLength, WholeElementsBeforeThePadding) {
    using S = std::string;
    const std::pair<S, std::size_t> cases[] = {
        {"\x04\x02\xAB\xCD!!", 4},
        {S("\x04\x84\0\0\0\x01\xAA", 7), 7},
        {S("\x9F\x81\x81\x81\x01\x01\x00", 7), 7},
        {S("\x30\x80\x30\x80\x04\x01\0\0\0\x02\0\0\0\0\0", 15), 13},
        {S("\x30\x80\0", 3), 0},
        {S("\x05\x80\0\0", 4), 0},
        {"\x04\x05\x01", 0},
        {"\x04", 0},
        {S("\x30\x85\0\0\0\0\x01\0", 8), 0},
    };
    for (const auto& [b, n] : cases) EXPECT_EQ(ber_element_length(b), n) << b.size();
    std::string deep;
    for (int i = 0; i < 66; ++i) deep.insert(deep.size() / 2, std::string("\x30\x80\x00\x00", 4));
    EXPECT_EQ(ber_element_length(deep.substr(2, deep.size() - 4)), 260u);  // 65 levels
    EXPECT_EQ(ber_element_length(deep), 0u);
}

}  // namespace
}  // namespace markomi
