#include "support/golden.h"

#include <cstdlib>

#include "render/gdiplus_handles_gdiplus.h"
#include "support/fixture_paths.h"

namespace markomi::testing {
namespace {

bool channels_close(std::uint32_t a, std::uint32_t b) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 64)
            return false;
    return true;
}

}  // namespace

GoldenComparison compare_with_golden(const std::wstring& file_name, int width, int height,
                                     const std::function<std::uint32_t(int, int)>& pixel) {
    GoldenComparison result;
    std::wstring path = fixture_path(MARKOMI2_GOLDEN, L"golden") + L"\\" + file_name;
    Gdiplus::GpBitmap* expected = nullptr;
    if (gdip::GdipCreateBitmapFromFile(path.c_str(), &expected) != Gdiplus::Ok) return result;
    result.loaded = true;
    UINT w = 0, h = 0;
    gdip::GdipGetImageWidth(expected, &w);
    gdip::GdipGetImageHeight(expected, &h);
    result.same_size = static_cast<int>(w) == width && static_cast<int>(h) == height;
    if (result.same_size) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                Gdiplus::ARGB want = 0;
                gdip::GdipBitmapGetPixel(expected, x, y, &want);
                if ((want & 0xFFFFFF) != 0xFFFFFF) ++result.inked;
                if (!channels_close(want & 0xFFFFFF, pixel(x, y) & 0xFFFFFF)) ++result.differing;
            }
    }
    gdip::GdipDisposeImage(expected);
    return result;
}

void save_bitmap_artifact(HBITMAP bitmap, const std::wstring& name) {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe, n);
    folder = folder.substr(0, folder.find_last_of(L'\\')) + L"\\render-artifacts";
    CreateDirectoryW(folder.c_str(), nullptr);
    Gdiplus::GpBitmap* image = nullptr;
    if (gdip::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != Gdiplus::Ok) return;
    static const CLSID kPng = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    gdip::GdipSaveImageToFile(image, (folder + L"\\" + name + L".png").c_str(), &kPng, nullptr);
    gdip::GdipDisposeImage(image);
}

}  // namespace markomi::testing
