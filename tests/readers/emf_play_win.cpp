// Plays an EMF file with GDI (EnumEnhMetaFile) into a white picture of its
// frame at a given resolution, as a printer at that resolution gets it, and
// writes the picture as a BMP file. The header needs its micrometres.
//   markomi2_emf_play IN.emf DPI OUT.bmp [--steps N]
// --steps N first writes the drawing again with the project's writer at N
// device units per reference pixel (1: every point on the whole-pixel grid
// of the reference device), the control that the comparison sees the grid.
// Exit 0 written, 1 failed, 2 usage or an unreadable file.
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/little_endian.h"
#include "output/emf/emf_writer.h"
#include "output/raster/bmp_writer.h"
#include "tests/support/emf_reader.h"

namespace {

constexpr std::size_t kDeviceOffset = 72;       // szlDevice
constexpr std::size_t kMicrometresOffset = 100;  // szlMicrometers

bool read_file(const char* path, std::vector<std::uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::int32_t i32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(markomi::read_u32(b.data() + at));
}

// The drawing as the project's writer writes it at `steps` units per
// reference pixel, the reference pixel being kEmfStepsPerPixel units of the input.
bool rewrite(std::vector<std::uint8_t>* bytes, int steps) {
    markomi::VectorDrawing d = markomi::translate_emf(bytes->data(), bytes->size());
    if (!d.ok || bytes->size() < kMicrometresOffset + 8) return false;
    const double scale = 1.0 / markomi::kEmfStepsPerPixel;
    for (markomi::VectorPath& path : d.paths) {
        path.stroke_width *= scale;
        for (markomi::VectorSegment& s : path.segments)
            for (markomi::VectorPoint& p : s.p) {
                p.x *= scale;
                p.y *= scale;
            }
    }
    markomi::EmfDevice device;
    device.pixels_x = i32(*bytes, kDeviceOffset) / markomi::kEmfStepsPerPixel;
    device.pixels_y = i32(*bytes, kDeviceOffset + 4) / markomi::kEmfStepsPerPixel;
    device.micrometres_x = i32(*bytes, kMicrometresOffset);
    device.micrometres_y = i32(*bytes, kMicrometresOffset + 4);
    device.steps_per_pixel = steps;
    *bytes = markomi::write_emf(d, device);
    return !bytes->empty();
}

constexpr int kFiner = 4;

// The kFiner x kFiner blocks of a 32-bit picture of kFiner times the size,
// averaged into a picture of `width` x `height`.
std::vector<std::uint8_t> average_blocks(const std::uint8_t* fine, int width, int height) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 4);
    const std::size_t fine_row = static_cast<std::size_t>(width) * kFiner * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int dy = 0; dy < kFiner; ++dy)
                    for (int dx = 0; dx < kFiner; ++dx)
                        sum += fine[(static_cast<std::size_t>(y) * kFiner + dy) * fine_row +
                                    (static_cast<std::size_t>(x) * kFiner + dx) * 4 + c];
                out[(static_cast<std::size_t>(y) * width + x) * 4 + c] =
                    static_cast<std::uint8_t>((sum + kFiner * kFiner / 2) / (kFiner * kFiner));
            }
    return out;
}

// Every record played as PlayEnhMetaFile plays it, but for EMR_EXTCREATEPEN:
// Wine 8 hands ExtCreatePen the record's style entries even when it counts
// none, which its ExtCreatePen refuses, and the path is stroked with the
// default pen (one black pixel). ExtCreatePen is documented to take entries
// only for PS_USERSTYLE; here they go only when counted.
int CALLBACK play_record(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, int handles,
                         LPARAM) {
    // Read by offset: mingw-w64 declares the record with the 64-bit EXTLOGPEN,
    // whose hatch field is wider than the file's.
    constexpr DWORD kFixedSize = 52, kEntries = 48;
    if (record->iType == EMR_EXTCREATEPEN && record->nSize >= kFixedSize) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(record);
        const auto field = [&](DWORD at) { return markomi::read_u32(bytes + at); };
        const DWORD index = field(8), entries = field(kEntries);
        if (index == 0 || index >= static_cast<DWORD>(handles) || entries > 16 ||
            record->nSize < kFixedSize + 4 * entries)
            return 1;
        DWORD style[16] = {};
        for (DWORD i = 0; i < entries; ++i) style[i] = field(kFixedSize + 4 * i);
        LOGBRUSH brush{field(36), field(40), field(44)};
        table->objectHandle[index] =
            ExtCreatePen(field(28), field(32), &brush, entries, entries ? style : nullptr);
        return 1;
    }
    PlayEnhMetaFileRecord(dc, table, record, static_cast<UINT>(handles));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && !(argc == 6 && std::strcmp(argv[4], "--steps") == 0)) return 2;
    const int dpi = std::atoi(argv[2]);
    if (dpi <= 0 || dpi > 1200) return 2;
    std::vector<std::uint8_t> bytes;
    if (!read_file(argv[1], &bytes) || bytes.size() < 40) return 2;
    if (argc == 6 && !rewrite(&bytes, std::atoi(argv[5]))) return 1;

    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    if (!emf) return 2;
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(emf, sizeof header, &header);
    const int width = static_cast<int>(
        std::lround((header.rclFrame.right - header.rclFrame.left) * dpi / 2540.0));
    const int height = static_cast<int>(
        std::lround((header.rclFrame.bottom - header.rclFrame.top) * dpi / 2540.0));
    if (width <= 0 || height <= 0 || width > 20000 || height > 20000) return 1;
    // The metafile is played onto the device units its frame covers (by the
    // header's whole millimetres, as GDI maps a frame), and those units onto
    // the picture at the header's micrometres: the picture's size rounded to
    // whole pixels and the millimetres rounded to whole ones would stretch
    // the drawing by up to a few tenths of a percent, a pixel or two at the
    // far edge, which is not the records' doing.
    const double units_x = (header.rclFrame.right - header.rclFrame.left) * header.szlDevice.cx /
                           (header.szlMillimeters.cx * 100.0);
    const double units_y = (header.rclFrame.bottom - header.rclFrame.top) * header.szlDevice.cy /
                           (header.szlMillimeters.cy * 100.0);
    const std::int32_t um_x = i32(bytes, kMicrometresOffset), um_y = i32(bytes, kMicrometresOffset + 4);
    if (!(units_x >= 1 && units_y >= 1) || um_x <= 0 || um_y <= 0) return 1;
    const RECT target{0, 0, static_cast<LONG>(std::lround(units_x)), static_cast<LONG>(std::lround(units_y))};
    // GDI neither smooths edges nor flattens curves finer than about a
    // pixel; played at kFiner times the resolution and averaged, each pixel
    // gets the share of it the drawing covers, as a PDF renderer gives it.
    const int fine_width = width * kFiner, fine_height = height * kFiner;
    XFORM scale{};
    scale.eM11 = static_cast<FLOAT>(kFiner * dpi / 25400.0 * um_x / header.szlDevice.cx);
    scale.eM22 = static_cast<FLOAT>(kFiner * dpi / 25400.0 * um_y / header.szlDevice.cy);
    // GDI puts a pixel's centre on whole coordinates, a PDF renderer on
    // halves (a pixel is the square between whole coordinates): half a pixel
    // up and left, GDI covers the pixels the PDF renderer covers.
    scale.eDx = -0.5f;
    scale.eDy = -0.5f;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = fine_width;
    info.bmiHeader.biHeight = -fine_height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool played = false;
    std::vector<std::uint8_t> file;
    if (bitmap && bits) {
        HGDIOBJ original = SelectObject(dc, bitmap);
        std::memset(bits, 0xFF, static_cast<std::size_t>(fine_width) * fine_height * 4);
        SetGraphicsMode(dc, GM_ADVANCED);
        SetWorldTransform(dc, &scale);
        played = EnumEnhMetaFile(dc, emf, play_record, nullptr, &target) != 0;
        GdiFlush();
        const std::vector<std::uint8_t> averaged =
            average_blocks(static_cast<const std::uint8_t*>(bits), width, height);
        markomi::PixelView view;
        view.data = averaged.data();
        view.width = width;
        view.height = height;
        view.row_bytes = static_cast<std::size_t>(width) * 4;
        view.layout = markomi::PixelLayout::kBgrx32;
        file = markomi::bmp_file_bytes(view, dpi);
        SelectObject(dc, original);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(dc);
    DeleteEnhMetaFile(emf);
    if (!played || file.empty()) return 1;
    std::ofstream out(argv[3], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return out ? 0 : 1;
}
