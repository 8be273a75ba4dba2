#include "output/raster/image_file_win.h"

#include <commdlg.h>
#include <dlgs.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/com_ptr_win.h"
#include "base/message_box_title.h"
#include "base/modal_flow_win.h"
#include "base/safe_file_win.h"
#include "base/wide_text_win.h"
#include "output/emf/metafile_output_win.h"
#include "output/raster/bitmap_output_win.h"
#include "output/raster/bmp_writer.h"
#include "output/raster/fine_picture_win.h"
#include "output/raster/image_resolution.h"
#include "output/raster/stamp_picture_win.h"
#include "output/vector/vector_output_win.h"
#include "render/gdiplus_handles_gdiplus.h"

namespace markomi {
namespace {

// GDI+'s published EncoderQuality parameter, spelled out here because the
// import libraries do not all define the GUID object.
constexpr GUID kEncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d,
                                  {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

// The pixels of a bitmap as a top-down 32-bit picture. The bitmap must not
// be selected into a device context while GetDIBits reads it.
std::vector<std::uint8_t> read_bitmap_pixels(HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> pixels(packed_row_bytes(width, PixelLayout::kBgrx32) *
                                     static_cast<std::size_t>(height));
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) !=
        height)
        return {};
    return pixels;
}

// The BMP file of packed 32-bit rows (blue, green, red, unused), top row first.
std::vector<std::uint8_t> bgrx_bmp_bytes(const std::uint8_t* pixels, int width, int height, int dpi) {
    PixelView view;
    view.data = pixels;
    view.width = width;
    view.height = height;
    view.row_bytes = packed_row_bytes(width, PixelLayout::kBgrx32);
    view.layout = PixelLayout::kBgrx32;
    return bmp_file_bytes(view, dpi);
}

GdipImagePtr create_argb_bitmap(int width, int height) {
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (width <= 0 || height <= 0 ||
        gdip::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) !=
            Gdiplus::Ok)
        return nullptr;
    return GdipImagePtr(bitmap);
}

// The picture as a GDI+ bitmap of the same straight ARGB pixels.
GdipImagePtr argb_image(const ArgbPicture& picture) {
    GdipImagePtr image = create_argb_bitmap(picture.width, picture.height);
    if (!image) return nullptr;
    Gdiplus::Rect all(0, 0, picture.width, picture.height);
    Gdiplus::BitmapData data{};
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(image.get());
    // A new bitmap has the screen's resolution, which the encoders write
    // into the file (PNG pHYs, JFIF density).
    if (gdip::GdipBitmapSetResolution(bitmap, static_cast<Gdiplus::REAL>(picture.dpi),
                                      static_cast<Gdiplus::REAL>(picture.dpi)) != Gdiplus::Ok)
        return nullptr;
    if (gdip::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB,
                                 &data) != Gdiplus::Ok)
        return nullptr;
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(static_cast<BYTE*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride,
                    picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                    static_cast<std::size_t>(picture.width) * 4);
    gdip::GdipBitmapUnlockBits(bitmap, &data);
    return image;
}

// The picture encoded in memory: the bytes of its file. Files and the
// clipboard get these same bytes. Empty on failure.
std::vector<std::uint8_t> encoded_picture(const ArgbPicture& picture, const CLSID& encoder,
                                          const Gdiplus::EncoderParameters* parameters) {
    if (picture.pixels.empty()) return {};
    GdipImagePtr image = argb_image(picture);
    if (!image) return {};
    ScopedComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(stream.out()))))
        return {};
    if (gdip::GdipSaveImageToStream(image.get(), stream.get(), &encoder, parameters) != Gdiplus::Ok)
        return {};
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0 ||
        stat.cbSize.QuadPart > 0x7FFFFFFF)
        return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    const LARGE_INTEGER start{};
    ULONG read = 0;
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
        FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) ||
        read != bytes.size())
        return {};
    return bytes;
}

// The file bytes of the picture as PNG (its straight pixels, transparent
// background) or JPEG (composited on white, quality 100); `encoded` gets
// the pixels written.
std::vector<std::uint8_t> picture_file_bytes(const StampPicture& picture, ImageWriter writer,
                                             ArgbPicture* encoded, int dpi = kImageDpi) {
    CLSID encoder{};
    if (picture.pixels.empty() || find_image_encoder(encoder_mime_type(writer), &encoder) < 0) return {};
    encoded->width = picture.width;
    encoded->height = picture.height;
    encoded->dpi = dpi;
    encoded->pixels = writer == ImageWriter::kPng ? straight_pixels(picture) : picture.on_white;
    LONG quality = kJpegQuality;
    Gdiplus::EncoderParameters parameters{};
    parameters.Count = 1;
    parameters.Parameter[0].Guid = kEncoderQuality;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    parameters.Parameter[0].Value = &quality;
    const Gdiplus::EncoderParameters* used = writer == ImageWriter::kJpeg ? &parameters : nullptr;
    return encoded_picture(*encoded, encoder, used);
}

// The folder and type of the last save, for the rest of the run.
SaveDialogMemory g_save_memory;

// The dialog's file-name box: the combo box of newer explorer-style
// dialogs, else the edit box (1152) of older ones.
int save_name_box(HWND dialog) { return GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : kSaveNameBoxId; }

UINT_PTR CALLBACK save_dialog_hook(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
    if (message != WM_NOTIFY) return 0;
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lparam);
    if (notify->hdr.code != CDN_TYPECHANGE || notify->lpOFN == nullptr) return 0;
    // The hook belongs to the explorer dialog's child; the name box is the
    // parent's. Its text is read as typed: CDM_GETSPEC would give the name
    // without the folder the user typed before it, which would be lost.
    HWND box_owner = GetParent(dialog);
    const int box = save_name_box(box_owner);
    wchar_t text[kSaveNameBufferCapacity] = {};
    GetDlgItemTextW(box_owner, box, text, static_cast<int>(kSaveNameBufferCapacity));
    const std::optional<std::u16string> renamed =
        name_after_type_change(as_u16(std::wstring_view(text)), notify->lpOFN->nFilterIndex);
    if (renamed && *renamed != as_u16(std::wstring_view(text))) {
        const std::wstring wide = to_wide(*renamed);
        SendMessageW(box_owner, CDM_SETCONTROLTEXT, box, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    return 0;
}

struct SaveChoice {
    std::wstring name;  // as the dialog returned it
    int filter_index = kSaveInitialFilterIndex;
};

// Runs the dialog once, starting from `name` (a bare name opens in the
// remembered folder) and the type at `filter_index`.
std::optional<SaveChoice> ask_save_name(HWND owner, const std::wstring& name, int filter_index) {
    wchar_t file[kSaveNameBufferCapacity] = {};
    wchar_t title[kSaveNameBufferCapacity] = {};
    lstrcpynW(file, name.c_str(), kSaveNameBufferCapacity);
    const std::u16string filter = save_dialog_filter();
    const std::wstring folder = to_wide(g_save_memory.folder);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = as_wide(filter.c_str());
    dialog.nFilterIndex = static_cast<DWORD>(filter_index);
    dialog.lpstrFile = file;
    dialog.nMaxFile = kSaveNameBufferCapacity;
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = kSaveNameBufferCapacity;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = as_wide(kSaveDialogTitle);
    dialog.lpstrDefExt = as_wide(kSaveDefaultExtension);
    // No OFN_OVERWRITEPROMPT: the dialog would ask about its own name, while
    // the file written is that name with the type's extension ensured, which
    // is asked about afterwards.
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                   OFN_ENABLEHOOK;
    dialog.lpfnHook = save_dialog_hook;
    if (!GetSaveFileNameW(&dialog)) return std::nullopt;
    return SaveChoice{file, static_cast<int>(dialog.nFilterIndex)};
}

// An existing file that the writers would replace (a read-only one or a
// folder they refuse, and the failure is told instead).
bool replaceable_file_exists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

}  // namespace

int find_image_encoder(std::u16string_view mime_type, CLSID* clsid) {
    UINT count = 0, size = 0;
    if (gdip::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return -1;
    // Eight-byte units keep the codec records (GUIDs, pointers) aligned.
    std::unique_ptr<std::uint64_t[]> buffer(new (std::nothrow) std::uint64_t[(size + 7) / 8]);
    if (!buffer) return -1;
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    if (gdip::GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok) return -1;
    std::vector<std::u16string_view> mime_types;
    mime_types.reserve(count);
    for (UINT i = 0; i < count; ++i)
        mime_types.push_back(codecs[i].MimeType ? as_u16(std::wstring_view(codecs[i].MimeType))
                                                : std::u16string_view());
    const int index = find_encoder_index(mime_types, mime_type);
    if (index >= 0 && clsid != nullptr) *clsid = codecs[index].Clsid;
    return index;
}

bool save_stamp_bmp(SettingsSet& set, int slot_index, HWND window, const wchar_t* path) {
    if (slot_index < 0 || slot_index >= kSlotCount) return false;
    HDC window_dc = GetDC(window);
    if (window_dc == nullptr) return false;
    HDC memory_dc = CreateCompatibleDC(window_dc);
    HGDIOBJ original = GetCurrentObject(memory_dc, OBJ_BITMAP);
    const StampBitmap stamp = render_stamp_bitmap(set, slot_index, window_dc, memory_dc);
    SelectObject(memory_dc, original);

    std::vector<std::uint8_t> file;
    if (stamp.bitmap != nullptr && stamp.width > 0 && stamp.height > 0) {
        const std::vector<std::uint8_t> pixels =
            read_bitmap_pixels(memory_dc, stamp.bitmap, stamp.width, stamp.height);
        if (!pixels.empty()) file = bgrx_bmp_bytes(pixels.data(), stamp.width, stamp.height, kImageDpi);
    }
    if (stamp.bitmap != nullptr) DeleteObject(stamp.bitmap);
    DeleteDC(memory_dc);
    ReleaseDC(window, window_dc);
    if (file.empty()) return false;
    return replace_file_with_bytes(path, file.data(), file.size());
}

StampPng stamp_png_of(const StampPicture& picture) {
    StampPng png;
    png.file = picture_file_bytes(picture, ImageWriter::kPng, &png.picture);
    return png;
}

StampPng render_stamp_png(SettingsSet& set, int slot_index) {
    if (slot_index < 0 || slot_index >= kSlotCount) return StampPng{};
    return stamp_png_of(render_stamp_picture(set, slot_index));
}

bool save_stamp_image(SettingsSet& set, int slot_index, ImageWriter writer, const wchar_t* path) {
    if (writer != ImageWriter::kPng && writer != ImageWriter::kJpeg) return false;
    return save_stamp_image_at(set, slot_index, writer, kImageDpi, path);
}

bool save_stamp_image_at(SettingsSet& set, int slot_index, ImageWriter writer, int dpi,
                         const wchar_t* path) {
    if (slot_index < 0 || slot_index >= kSlotCount || dpi < kImageDpi || dpi > kLargestImageDpi) return false;
    if (writer != ImageWriter::kBmp && writer != ImageWriter::kPng && writer != ImageWriter::kJpeg)
        return false;
    StampPicture picture;
    if (dpi == kImageDpi) {
        if (writer == ImageWriter::kBmp) return save_stamp_bmp(set, slot_index, nullptr, path);
        picture = render_stamp_picture(set, slot_index);
    } else if (!render_stamp_picture_at(set, slot_index, dpi, &picture)) {
        return false;
    }
    if (picture.pixels.empty()) return false;
    std::vector<std::uint8_t> file;
    if (writer == ImageWriter::kBmp) {
        file = bgrx_bmp_bytes(reinterpret_cast<const std::uint8_t*>(picture.on_white.data()), picture.width,
                              picture.bitmap_height, dpi);
    } else {
        ArgbPicture written;
        file = picture_file_bytes(picture, writer, &written, dpi);
    }
    if (file.empty()) return false;
    return replace_file_with_bytes(path, file.data(), file.size());
}

bool save_stamp_file(SettingsSet& set, int slot_index, HWND window, int filter_index,
                     const wchar_t* path) {
    const std::optional<ImageFileType> type = image_file_type_at(filter_index);
    if (!type) return false;
    switch (type->writer) {
        case ImageWriter::kBmp: return save_stamp_bmp(set, slot_index, window, path);
        case ImageWriter::kPng:
        case ImageWriter::kJpeg: return save_stamp_image(set, slot_index, type->writer, path);
        case ImageWriter::kEmf: return save_stamp_emf(set, slot_index, path);
        case ImageWriter::kSvg: return save_stamp_vector(set, slot_index, VectorFormat::kSvg, path);
        case ImageWriter::kPdf: return save_stamp_vector(set, slot_index, VectorFormat::kPdf, path);
    }
    return false;
}

bool run_save_image_dialog(HWND owner, SettingsSet& set, int slot_index) {
    const ModalFlow flow;
    if (!flow.entered()) return false;
    std::wstring start_name = as_wide(kInitialSaveFileName);
    int filter_index = g_save_memory.filter_index;
    std::wstring path;
    for (;;) {
        const std::optional<SaveChoice> choice = ask_save_name(owner, start_name, filter_index);
        if (!choice) return false;
        const std::optional<std::u16string> name =
            saved_file_name(as_u16(std::wstring_view(choice->name)), choice->filter_index);
        if (!name) return false;
        path = to_wide(*name);
        filter_index = choice->filter_index;
        if (!replaceable_file_exists(path)) break;
        // Replacing loses the old file: only on a yes. A no goes back to the
        // dialog with the name as chosen.
        const std::wstring question = to_wide(replace_file_question(*name));
        if (MessageBoxW(owner, question.c_str(), kMessageBoxTitle,
                        MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
            break;
        start_name = choice->name;
    }
    remember_save_choice(g_save_memory, as_u16(std::wstring_view(path)), filter_index);
    if (save_stamp_file(set, slot_index, owner, filter_index, path.c_str())) return true;
    const std::wstring failure = to_wide(save_failure_message(as_u16(std::wstring_view(path))));
    MessageBoxW(owner, failure.c_str(), kMessageBoxTitle, MB_OK | MB_ICONERROR);
    return false;
}

}  // namespace markomi
