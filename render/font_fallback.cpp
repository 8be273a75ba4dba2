#include "render/font_fallback.h"

#include <algorithm>

namespace markomi {
namespace {

// Tried after the chosen and the default face: the Japanese faces Windows
// ships or offers (Japanese and English names, since either may be
// registered), then the IPA faces other systems carry.
constexpr const char16_t* kCommonJapaneseFaces[] = {
    u"ＭＳ Ｐゴシック", u"ＭＳ ゴシック", u"MS PGothic",  u"MS Gothic",    u"Meiryo",
    u"メイリオ",        u"Yu Gothic",     u"游ゴシック",  u"MS UI Gothic", u"ＭＳ Ｐ明朝",
    u"ＭＳ 明朝",       u"MS PMincho",    u"MS Mincho",   u"Yu Mincho",    u"游明朝",
    u"IPAPGothic",      u"IPAGothic",     u"IPAexGothic", u"IPAPMincho",   u"IPAMincho"};

bool needs_no_glyph(char16_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;  // control characters
    if (c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||
        c == 0x205F || c == 0x3000)
        return true;  // spaces
    if ((c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
        (c >= 0x2060 && c <= 0x2064) || c == 0xFEFF || (c >= 0xFE00 && c <= 0xFE0F))
        return true;  // format characters and variation selectors
    return c >= 0xD800 && c <= 0xDFFF;
}

char16_t ascii_lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

bool same_face(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return ascii_lower(x) == ascii_lower(y); });
}

void add_face(std::vector<std::u16string>& faces, std::u16string_view face) {
    if (face.empty() || face.front() == u'@') return;
    for (const std::u16string& f : faces)
        if (same_face(f, face)) return;
    faces.emplace_back(face);
}

}  // namespace

std::u16string glyphs_needed(std::u16string_view text) {
    std::u16string needed;
    for (char16_t c : text)
        if (!needs_no_glyph(c)) needed.push_back(c);
    std::sort(needed.begin(), needed.end());
    needed.erase(std::unique(needed.begin(), needed.end()), needed.end());
    return needed;
}

std::vector<std::u16string> fallback_faces(std::u16string_view chosen) {
    std::vector<std::u16string> faces;
    add_face(faces, chosen);
    add_face(faces, kDefaultStampFace);
    for (const char16_t* face : kCommonJapaneseFaces) add_face(faces, face);
    return faces;
}

void append_faces(std::vector<std::u16string>& faces, const std::vector<std::u16string>& more) {
    for (const std::u16string& face : more) add_face(faces, face);
}

const std::u16string* FaceFallbackCache::find(std::u16string_view chosen,
                                              std::u16string_view needed) const {
    auto it = faces_.find(Key(chosen, needed));
    return it == faces_.end() ? nullptr : &it->second;
}

void FaceFallbackCache::store(std::u16string_view chosen, std::u16string_view needed,
                              std::u16string_view face) {
    if (faces_.size() >= kMaxEntries) faces_.clear();
    faces_[Key(chosen, needed)] = std::u16string(face);
}

bool FaceFallbackCache::first_substitution(std::u16string_view chosen, std::u16string_view used) {
    Key pair(chosen, used);
    if (std::find(told_.begin(), told_.end(), pair) != told_.end()) return false;
    if (told_.size() >= kMaxEntries) told_.clear();
    told_.push_back(std::move(pair));
    return true;
}

void FaceFallbackCache::clear() {
    faces_.clear();
    told_.clear();
}

}  // namespace markomi
