#include "render/line_record_log.h"

#include "base/u16_format.h"
#include "diag/debug_log.h"

namespace markomi {

std::u16string line_record_message(std::u16string_view label, const LineRecord& line) {
    std::u16string out(label);
    out.append(u" text = '");
    out.append(line.text.view());
    out.append(u"', point(x, y) = (");
    append_decimal(out, line.x);
    out.append(u", ");
    append_decimal(out, line.y);
    out.append(u"), size(x, y) = (");
    append_decimal(out, line.width);
    out.append(u", ");
    append_decimal(out, line.height);
    out.append(u"), ");
    out.append(four_ints_message(u"top_space", line.top_margin, u"bottom_space",
                                 line.bottom_margin, u"right_space", line.right_margin,
                                 u"left_space", line.left_margin));
    return out;
}

}  // namespace markomi
