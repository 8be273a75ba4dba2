#include "output/emf/recording_check.h"

#include <cmath>
#include <cstdlib>

#include "base/little_endian.h"

namespace markomi {

namespace {

constexpr std::size_t kDeviceOffset = 72;
constexpr std::size_t kMicrometresOffset = 100;
constexpr std::size_t kHeaderWithMicrometres = 108;

std::int32_t i32(const std::uint8_t* p) { return static_cast<std::int32_t>(read_u32(p)); }

double dpi_of(std::int32_t pixels, std::int32_t millimetres, std::int32_t micrometres) {
    if (pixels <= 0) return 0;
    if (micrometres > 0) return pixels * 25400.0 / micrometres;
    if (millimetres > 0) return pixels * 25.4 / millimetres;
    return 0;
}

std::string side_fault(const char* what, std::int32_t got, std::int32_t wanted, std::int32_t tolerance) {
    if (std::abs(static_cast<long long>(got) - wanted) <= tolerance) return {};
    return std::string(what) + " " + std::to_string(got) + " instead of " + std::to_string(wanted);
}

}  // namespace

double EmfDeviceInfo::dpi_x() const { return dpi_of(pixels_x, millimetres_x, micrometres_x); }
double EmfDeviceInfo::dpi_y() const { return dpi_of(pixels_y, millimetres_y, micrometres_y); }

EmfDeviceInfo emf_device_info(const std::uint8_t* bytes, std::size_t size) {
    EmfDeviceInfo d;
    if (!bytes || size < kDeviceOffset + 16 || read_u32(bytes) != kEmrHeader) return d;
    const std::uint32_t header_size = read_u32(bytes + 4);
    d.pixels_x = i32(bytes + kDeviceOffset);
    d.pixels_y = i32(bytes + kDeviceOffset + 4);
    d.millimetres_x = i32(bytes + kDeviceOffset + 8);
    d.millimetres_y = i32(bytes + kDeviceOffset + 12);
    if (header_size >= kHeaderWithMicrometres && size >= kHeaderWithMicrometres) {
        d.micrometres_x = i32(bytes + kMicrometresOffset);
        d.micrometres_y = i32(bytes + kMicrometresOffset + 4);
    }
    d.valid = true;
    return d;
}

std::int32_t hundredths_at_dpi(double pixels, double dpi) {
    if (!(dpi > 0) || !std::isfinite(pixels)) return 0;
    return static_cast<std::int32_t>(std::lround(pixels * 2540.0 / dpi));
}

std::string recording_fault(const std::uint8_t* bytes, std::size_t size, const RecordingRequest& asked) {
    const EmfSummary s = summarize_emf(bytes, size);
    if (!s.valid || !s.ends_with_eof) return "not a sound metafile";
    if (s.painting_records == 0) return "no painting record";
    const EmfDeviceInfo device = emf_device_info(bytes, size);
    const double dpi_x = device.dpi_x(), dpi_y = device.dpi_y();
    if (!(dpi_x > 0) || !(dpi_y > 0)) return "the header gives no device size";

    const std::int32_t width = s.frame.right - s.frame.left;
    const std::int32_t height = s.frame.bottom - s.frame.top;
    // The frame as pixels at the header's own resolution.
    const auto pixels = [](std::int32_t hundredths, double dpi) {
        return static_cast<std::int32_t>(std::lround(hundredths * dpi / 2540.0));
    };
    std::string fault = side_fault("frame width", pixels(width, dpi_x), asked.frame_width, 1);
    if (fault.empty()) fault = side_fault("frame height", pixels(height, dpi_y), asked.frame_height, 1);
    if (!fault.empty()) return fault;

    const std::int32_t wanted_width = hundredths_at_dpi(asked.stored_width, 96.0);
    const std::int32_t wanted_height = hundredths_at_dpi(asked.stored_height, 96.0);
    const auto tolerance = [](std::int32_t wanted) { return wanted * 3 / 100 + hundredths_at_dpi(1, 96.0); };
    fault = side_fault("physical width", width, wanted_width, tolerance(wanted_width));
    if (fault.empty()) fault = side_fault("physical height", height, wanted_height, tolerance(wanted_height));
    return fault;
}

}  // namespace markomi
