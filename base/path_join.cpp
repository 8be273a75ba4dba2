#include "base/path_join.h"

namespace markomi {

const char16_t* path_join(std::u16string_view a, std::u16string_view b, std::u16string_view c) {
    static char16_t buffers[kJoinBufferCount][kJoinBufferUnits];
    static std::size_t next = 0;
    char16_t* out = buffers[next];
    next = (next + 1) % kJoinBufferCount;

    out[0] = 0;
    if (a.size() + b.size() + c.size() > kJoinBufferUnits - 1) return out;
    std::size_t n = 0;
    for (std::u16string_view part : {a, b, c})
        for (char16_t ch : part) out[n++] = ch;
    out[n] = 0;
    return out;
}

}  // namespace markomi
