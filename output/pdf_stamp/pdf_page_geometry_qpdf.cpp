#include "output/pdf_stamp/pdf_page_geometry_qpdf.h"

#include <set>

namespace markomi {
namespace {

std::optional<PdfBox> box_of(QPDFObjectHandle array) {
    if (!array.isRectangle()) return std::nullopt;
    const QPDFObjectHandle::Rectangle r = array.getArrayAsRectangle();
    return PdfBox{r.llx, r.lly, r.urx, r.ury};
}

// A value that does not fit is passed over as if it were not there, as
// readers do.
template <typename Fits>
QPDFObjectHandle inherited(QPDFPageObjectHelper& page, const char* key, Fits fits) {
    std::set<QPDFObjGen> seen;
    for (QPDFObjectHandle node = page.getObjectHandle(); node.isDictionary();
         node = node.getKey("/Parent")) {
        if (node.isIndirect() && !seen.insert(node.getObjGen()).second) break;
        QPDFObjectHandle value = node.getKey(key);
        if (fits(value)) return value;
    }
    return QPDFObjectHandle::newNull();
}

}  // namespace

PdfPageGeometry page_geometry(QPDFPageObjectHelper& page) {
    auto is_box = [](QPDFObjectHandle& o) { return o.isRectangle(); };
    PdfPageGeometry g;
    g.media = box_of(inherited(page, "/MediaBox", is_box));
    g.crop = box_of(inherited(page, "/CropBox", is_box));
    QPDFObjectHandle rotate =
        inherited(page, "/Rotate", [](QPDFObjectHandle& o) { return o.isInteger(); });
    if (rotate.isInteger()) g.rotate = rotate.getIntValue();
    QPDFObjectHandle unit = page.getObjectHandle().getKey("/UserUnit");
    if (unit.isNumber()) g.user_unit = unit.getNumericValue();
    return g;
}

std::optional<PdfBox> rect_of(QPDFObjectHandle annotation) {
    return box_of(annotation.getKey("/Rect"));
}

}  // namespace markomi
