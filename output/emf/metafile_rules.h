#pragma once
// The decisions of the metafile pipeline that do not touch the platform:
// what to go on with after the EMF+ conversion and which output a stamping
// makes.
#include <cstdint>

#include "output/canvas/stamp_canvas.h"
#include "settings/settings_record.h"

namespace markomi {

// GDI+ status values the conversion step tells apart.
constexpr std::int32_t kGdiplusOk = 0;
constexpr std::int32_t kGdiplusInvalidParameter = 2;

enum class ConversionOutcome {
    kUseConverted,  // dispose of the recording, go on with the converted metafile
    kUseRecording,  // keep the recording (conversion failed or gave nothing)
};

// From the conversion's status and whether it handed back a metafile. Every
// failure keeps the recording, InvalidParameter included: Windows' GDI+ 1.1
// answers that for recordings that play back perfectly well, and an
// EMF-only stamp on the clipboard is far better than none.
ConversionOutcome conversion_outcome(std::int32_t status, bool got_converted);

// The output of a stamping from FORMAT's first letter and the Ctrl key.
StampOutput stamp_output_for(const GlobalOptions& options, bool ctrl_down);

}  // namespace markomi
