#include "output/emf/metafile_recorder.h"

namespace markomi {

namespace {

bool equals_ascii_ignoring_case(std::u16string_view value, std::u16string_view lower) {
    if (value.size() != lower.size()) return false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char16_t c = value[i] >= u'A' && value[i] <= u'Z' ? value[i] - u'A' + u'a' : value[i];
        if (c != lower[i]) return false;
    }
    return true;
}

}  // namespace

MetafileRecorder metafile_recorder_from(std::u16string_view value) {
    if (equals_ascii_ignoring_case(value, u"gdiplus")) return MetafileRecorder::kGdiplus;
    if (equals_ascii_ignoring_case(value, u"gdi")) return MetafileRecorder::kGdi;
    return MetafileRecorder::kProbe;
}

}  // namespace markomi
