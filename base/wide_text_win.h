#pragma once
// The core speaks char16_t, Windows speaks wchar_t: on Windows both are
// UTF-16 code units of the same size, so the views are simply reinterpreted.
#include <string>
#include <string_view>

namespace markomi {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is UTF-16");

inline const wchar_t* as_wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline const char16_t* as_u16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline std::u16string_view as_u16(std::wstring_view s) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size());
}
inline std::wstring to_wide(std::u16string_view s) {
    return std::wstring(reinterpret_cast<const wchar_t*>(s.data()), s.size());
}

}  // namespace markomi
