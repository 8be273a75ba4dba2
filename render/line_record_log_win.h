#pragma once
// Writes a text line's record to the debug log (diag/debug_log_win.h);
// nothing while the log is off.
#include <string_view>

#include "render/line_record.h"

namespace markomi {

void log_line_record(std::wstring_view label, const LineRecord& line);

}  // namespace markomi
