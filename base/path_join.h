#pragma once
// Joins two or three texts into one of five rotating buffers of 200 UTF-16
// units, so that a caller may hold up to five results at once without owning
// memory. A result that would not fit 199 units is rejected: the returned
// text is empty and callers treat an empty path as "do nothing".
#include <string_view>

namespace markomi {

constexpr std::size_t kJoinBufferUnits = 200;
constexpr std::size_t kJoinBufferCount = 5;

const char16_t* path_join(std::u16string_view a, std::u16string_view b,
                          std::u16string_view c = std::u16string_view());

}  // namespace markomi
