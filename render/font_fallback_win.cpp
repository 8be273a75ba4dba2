#include "render/font_fallback_win.h"

#include <windows.h>

#include <climits>
#include <cwchar>
#include <functional>
#include <map>
#include <vector>

#include "base/gdi_handles_win.h"
#include "base/wide_text_win.h"
#include "diag/debug_log_win.h"
#include "render/font_fallback.h"
#include "render/gdiplus_handles_gdiplus.h"

namespace markomi {
namespace {

FaceFallbackCache g_face_fallback;

// A memory DC for glyph queries and font enumeration, deleted with this value.
class MemoryDc {
public:
    MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// GDI+'s answer per face name, the unknown names included (as null). Made
// on the heap and never destroyed: a destructor running after GDI+ has shut
// down must not delete families; reset_face_fallback empties it before that.
std::map<std::u16string, GdipFamilyPtr, std::less<>>& kept_families() {
    static auto* families = new std::map<std::u16string, GdipFamilyPtr, std::less<>>();
    return *families;
}

// Existence is GDI+'s answer, not GDI's: GDI maps an unknown name to some
// other face without failing, and GDI+ also refuses faces GDI draws (bitmap
// fonts), which the path could not use anyway.
Gdiplus::GpFontFamily* kept_family(std::u16string_view face) {
    auto& families = kept_families();
    auto known = families.find(face);
    if (known != families.end()) return known->second.get();
    Gdiplus::GpFontFamily* family = nullptr;
    if (gdip::GdipCreateFontFamilyFromName(to_wide(face).c_str(), nullptr, &family) != Gdiplus::Ok)
        family = nullptr;
    return families.emplace(std::u16string(face), GdipFamilyPtr(family)).first->second.get();
}

bool family_installed(std::u16string_view face) { return kept_family(face) != nullptr; }

// Fonts made so far, by family name, pixel size and style. Creating a GDI+
// font costs about as much as filling a line's path (GDI+ realises it), and
// a stamp's rows keep asking for the same few. Bounded: a full cache is
// emptied and starts again, which a layout pass or a typing session never
// reaches. Heap-made and never destroyed, like the families.
struct FontKey {
    std::u16string family;
    float size;
    std::int32_t style;
    bool operator<(const FontKey& other) const {
        if (family != other.family) return family < other.family;
        if (size != other.size) return size < other.size;
        return style < other.style;
    }
};
constexpr std::size_t kKeptFontLimit = 64;

std::map<FontKey, GdipFontPtr>& kept_fonts() {
    static auto* fonts = new std::map<FontKey, GdipFontPtr>();
    return *fonts;
}

int count_missing(HDC dc, const std::wstring& face, std::u16string_view needed) {
    LOGFONTW lf{};
    lf.lfHeight = -16;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    GdiFont font(CreateFontIndirectW(&lf));
    SelectedObject selection(dc, font.get());
    // A face whose glyphs cannot be asked for is taken as lacking them all,
    // so it never wins over one that answered.
    const int all = static_cast<int>(needed.size());
    if (!selection.selected()) return all;
    std::vector<WORD> glyphs(needed.size());
    std::wstring wide = to_wide(needed);
    if (GetGlyphIndicesW(dc, wide.c_str(), all, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
        GDI_ERROR)
        return all;
    int missing = 0;
    for (WORD glyph : glyphs)
        if (glyph == 0xFFFF) ++missing;
    return missing;
}

int CALLBACK collect_face(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM names) {
    reinterpret_cast<std::vector<std::u16string>*>(names)->emplace_back(as_u16(font->lfFaceName));
    return 1;
}

std::vector<std::u16string> shift_jis_faces(HDC dc) {
    std::vector<std::u16string> names;
    LOGFONTW lf{};
    lf.lfCharSet = SHIFTJIS_CHARSET;
    EnumFontFamiliesExW(dc, &lf, collect_face, reinterpret_cast<LPARAM>(&names), 0);
    return names;
}

std::u16string search_face(std::u16string_view chosen, std::u16string_view needed) {
    MemoryDc dc;
    std::vector<std::u16string> faces = fallback_faces(chosen);
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t best = kNone;
    int best_missing = INT_MAX;
    auto try_faces = [&](std::size_t from) {
        for (std::size_t i = from; i < faces.size(); ++i) {
            if (!family_installed(faces[i])) continue;
            int missing = needed.empty() ? 0 : count_missing(dc.get(), to_wide(faces[i]), needed);
            if (missing < best_missing) {
                best = i;
                best_missing = missing;
            }
            if (missing == 0) return true;
        }
        return false;
    };
    if (!try_faces(0)) {
        // Listing every face costs more than the fixed names: only when none fits.
        std::size_t listed = faces.size();
        append_faces(faces, shift_jis_faces(dc.get()));
        try_faces(listed);
    }
    return best == kNone ? std::u16string() : faces[best];
}

}  // namespace

std::u16string resolve_face(std::u16string_view chosen, std::u16string_view text) {
    std::u16string needed = glyphs_needed(text);
    if (const std::u16string* known = g_face_fallback.find(chosen, needed)) return *known;
    std::u16string face = search_face(chosen, needed);
    g_face_fallback.store(chosen, needed, face);
    if (g_debug_enabled && face != chosen && g_face_fallback.first_substitution(chosen, face)) {
        log_message(L"face substituted");
        log_text(L"chosen", chosen);
        log_text(L"used", face.empty() ? std::u16string(u"(generic sans-serif)") : face);
    }
    return face;
}

int missing_glyphs(std::u16string_view face, std::u16string_view needed) {
    if (!family_installed(face)) return -1;
    if (needed.empty()) return 0;
    MemoryDc dc;
    return count_missing(dc.get(), to_wide(face), needed);
}

GdipFamilyPtr installed_family(std::u16string_view face) {
    Gdiplus::GpFontFamily* kept = kept_family(face);
    Gdiplus::GpFontFamily* copy = nullptr;
    if (!kept || gdip::GdipCloneFontFamily(kept, &copy) != Gdiplus::Ok) return nullptr;
    return GdipFamilyPtr(copy);
}

GdipFontPtr installed_font(Gdiplus::GpFontFamily* family, float size, std::int32_t style) {
    if (!family) return nullptr;
    WCHAR name[LF_FACESIZE] = {};
    if (gdip::GdipGetFamilyName(family, name, LANG_NEUTRAL) != Gdiplus::Ok) name[0] = 0;
    FontKey key{as_u16(name), size, style};
    auto& fonts = kept_fonts();
    auto known = fonts.find(key);
    if (known == fonts.end()) {
        Gdiplus::GpFont* made = nullptr;
        if (gdip::GdipCreateFont(family, size, style, Gdiplus::UnitPixel, &made) != Gdiplus::Ok)
            return nullptr;
        // An unnamed family cannot be told apart from another: used once.
        if (key.family.empty()) return GdipFontPtr(made);
        if (fonts.size() >= kKeptFontLimit) fonts.clear();
        known = fonts.emplace(std::move(key), GdipFontPtr(made)).first;
    }
    Gdiplus::GpFont* copy = nullptr;
    if (gdip::GdipCloneFont(known->second.get(), &copy) != Gdiplus::Ok) return nullptr;
    return GdipFontPtr(copy);
}

void reset_face_fallback() {
    g_face_fallback.clear();
    kept_fonts().clear();
    kept_families().clear();
}

}  // namespace markomi
