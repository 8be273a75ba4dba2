#pragma once
// Which installed face draws a stamp row. GDI+ adds no glyphs from other
// fonts when it turns text into a path, so a face without the row's
// characters would leave the row empty; the row is then drawn in the first
// face of a fixed order that has them all. Asking a face for its glyphs is
// the Windows glue's part (render/font_fallback_win.h); the order, the
// characters that count and the memory of earlier answers are here.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace markomi {

// The face a new stamp row starts with.
inline constexpr char16_t kDefaultStampFace[] = u"ＭＳ Ｐゴシック";

// The row's characters that must have a glyph, each once, in ascending
// order. Spaces, control and format characters draw nothing, so no face needs
// them. Surrogate halves are left out as well: the glyph query answers per
// UTF-16 unit and would call every face short of them.
std::u16string glyphs_needed(std::u16string_view text);

// The faces to try, in order: the chosen face, the default stamp face, then
// common Japanese faces of Windows and the IPA faces. Each name appears once
// (compared as Windows compares face names: ASCII letters in either case);
// an empty chosen name is left out.
std::vector<std::u16string> fallback_faces(std::u16string_view chosen);

// Appends the faces of `more` that the list does not hold yet, in their
// order. Vertical-writing faces ("@" names) and empty names are left out.
void append_faces(std::vector<std::u16string>& faces, const std::vector<std::u16string>& more);

// Resolved faces by (chosen face, needed glyphs), and the substitutions
// already told in the debug log. Both stay small: a full table starts over,
// which costs one more search, never a wrong face.
class FaceFallbackCache {
public:
    static constexpr std::size_t kMaxEntries = 64;

    // The face stored for this pair, or nullptr.
    const std::u16string* find(std::u16string_view chosen, std::u16string_view needed) const;
    void store(std::u16string_view chosen, std::u16string_view needed, std::u16string_view face);
    // True the first time a chosen face is seen replaced by `used`.
    bool first_substitution(std::u16string_view chosen, std::u16string_view used);
    std::size_t size() const { return faces_.size(); }
    void clear();

private:
    using Key = std::pair<std::u16string, std::u16string>;
    std::map<Key, std::u16string> faces_;
    std::vector<Key> told_;
};

}  // namespace markomi
