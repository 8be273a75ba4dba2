#include "render/line_record_log_win.h"

#include "base/wide_text_win.h"
#include "diag/debug_log_win.h"
#include "render/line_record_log.h"

namespace markomi {

void log_line_record(std::wstring_view label, const LineRecord& line) {
    if (g_debug_enabled) write_log_line(line_record_message(as_u16(label), line));
}

}  // namespace markomi
