#include "output/emf/metafile_recorder_win.h"

#include <windows.h>

#include <string_view>

#include "base/wide_text_win.h"
#include "output/emf/metafile_output_win.h"
#include "output/emf/metafile_recorder.h"

namespace markomi {

bool metafile_recorded_by_gdiplus() {
    wchar_t value[16] = {};
    const DWORD length = GetEnvironmentVariableW(L"MARKOMI2_METAFILE_RECORDER", value, 16);
    const std::wstring_view text(value, length < 16 ? length : 0);
    switch (metafile_recorder_from(as_u16(text))) {
        case MetafileRecorder::kGdiplus:
            return true;
        case MetafileRecorder::kGdi:
            return false;
        case MetafileRecorder::kProbe:
            break;
    }
    return gdiplus_records_metafile_drawing();
}

}  // namespace markomi
