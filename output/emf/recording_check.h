#pragma once
// Whether a metafile recorded by GDI+ may be used as the stamp: GDI+ builds
// differ (some accept a recording and leave it empty, some size the frame
// from the monitor's reported millimetres instead of its resolution), so
// every recording is checked before it reaches a document.
#include <cstddef>
#include <cstdint>
#include <string>

#include "output/emf/emf_records.h"

namespace markomi {

// What the header says of its reference device.
struct EmfDeviceInfo {
    bool valid = false;
    std::int32_t pixels_x = 0, pixels_y = 0;            // szlDevice
    std::int32_t millimetres_x = 0, millimetres_y = 0;  // szlMillimeters
    std::int32_t micrometres_x = 0, micrometres_y = 0;  // szlMicrometers, 0 in an 88-byte header
    // Pixels per inch from the micrometres where the header has them, else
    // from the millimetres; 0 when the header gives no size.
    double dpi_x() const;
    double dpi_y() const;
};

EmfDeviceInfo emf_device_info(const std::uint8_t* bytes, std::size_t size);

// One side of a picture in hundredths of a millimetre: `pixels` at `dpi`,
// rounded. Every stamp metafile has its stored size at 96 dpi.
std::int32_t hundredths_at_dpi(double pixels, double dpi);

// What was asked of a recording.
struct RecordingRequest {
    std::int32_t frame_width = 0;   // the frame rectangle, recording pixels
    std::int32_t frame_height = 0;
    std::int32_t stored_width = 0;  // the same frame at the stored size, 96 dpi pixels
    std::int32_t stored_height = 0;
};

// Empty when the recording may be used; else why not, in a few words for the
// debug log: not a sound metafile, no painting record, a frame that is not
// the one asked for (more than a pixel off at the header's own resolution),
// or a physical size off the stored size at 96 dpi by more than 3 percent
// and a pixel.
std::string recording_fault(const std::uint8_t* bytes, std::size_t size, const RecordingRequest& asked);

}  // namespace markomi
