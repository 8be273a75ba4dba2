#include <gtest/gtest.h>

#include "output/pdf_sign/ber_length.h"

namespace markomi {
namespace {

// How much of a zero-padded signature room is the message: definite forms,
// a high tag number, nested indefinite lengths (an inner 00 00 does not end
// the outer one); none when cut short, too deep, or indefinite yet primitive.
TEST(BerLength, WholeElementsBeforeThePadding) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"\x04\x02\xAB\xCD!!", 4},
        {std::string("\x30\x82\x00\x03\x01\x01\xFF\0", 8), 7},
        {std::string("\x9F\x81\x01\x01\x00", 5), 5},
        {std::string("\x30\x80\x30\x80\x04\x01\x00\x00\x00\x02\x00\x00\x00\x00\x00", 15), 13},
        {std::string("\x30\x80\x04\x01\x00", 5), 0},
        {std::string("\x04\x80\x00\x00", 4), 0},
        {"\x04\x05\x01", 0},
        {std::string("\x30\x85\x00\x00\x00\x00\x01\x00", 8), 0},
    };
    for (const auto& [bytes, length] : cases)
        EXPECT_EQ(ber_element_length(bytes), length) << bytes.size();
    std::string deep;
    for (int i = 0; i < 70; ++i) deep.insert(deep.size() / 2, std::string("\x30\x80\x00\x00", 4));
    EXPECT_EQ(ber_element_length(deep.substr(20, deep.size() - 40)), 240u);  // 60 levels
    EXPECT_EQ(ber_element_length(deep), 0u);
}

}  // namespace
}  // namespace markomi
