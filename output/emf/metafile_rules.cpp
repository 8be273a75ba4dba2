#include "output/emf/metafile_rules.h"

namespace markomi {

ConversionOutcome conversion_outcome(std::int32_t status, bool got_converted) {
    if (status == kGdiplusOk) {
        return got_converted ? ConversionOutcome::kUseConverted : ConversionOutcome::kUseRecording;
    }
    return ConversionOutcome::kUseRecording;
}

StampOutput stamp_output_for(const GlobalOptions& options, bool ctrl_down) {
    const std::u16string_view format = options.format.view();
    return choose_stamp_output(format.empty() ? u'\0' : format.front(), ctrl_down);
}

}  // namespace markomi
