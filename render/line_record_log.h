#pragma once
// A text line's record as one debug-log message. It lives beside the record
// rather than in diag/: the log sits below the renderer and takes plain
// texts and numbers only.
#include <string>
#include <string_view>

#include "render/line_record.h"

namespace markomi {

// "label text = '…', point(x, y) = (x, y), size(x, y) = (w, h), top_space = …,
// bottom_space = …, right_space = …, left_space = …"
std::u16string line_record_message(std::u16string_view label, const LineRecord& line);

}  // namespace markomi
