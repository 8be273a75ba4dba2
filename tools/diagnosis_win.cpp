#include "tools/diagnosis_win.h"

#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "base/process_globals_win.h"
#include "base/safe_file_win.h"
#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "output/canvas/output_common_win.h"
#include "output/clipboard/clipboard_win.h"
#include "output/clipboard/stamp_copy_win.h"
#include "output/emf/emf_plus_converter_win.h"
#include "output/emf/emf_records.h"
#include "output/emf/metafile_bytes_win.h"
#include "output/emf/metafile_output_win.h"
#include "output/emf/metafile_rules.h"
#include "output/emf/recording_check.h"
#include "output/raster/bitmap_output_win.h"
#include "output/raster/image_file_win.h"
#include "render/font_description.h"
#include "render/font_fallback_win.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "render/text_path_gdiplus.h"
#include "resources/resource.h"
#include "tools/companion_args.h"
#include "tools/diagnosis_rules.h"
#include "tools/json_writer.h"
#include "tools/signing_diagnosis_win.h"

namespace markomi {
namespace {

using Gdiplus::GpMetafile;
using Bytes = std::vector<std::uint8_t>;

// A function that older systems (or Wine) may lack, looked up at run time.
template <typename Fn>
Fn system_function(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

const char16_t* status_name(int status) {
    static const char16_t* const kNames[] = {
        u"Ok",           u"GenericError",       u"InvalidParameter",   u"OutOfMemory",
        u"ObjectBusy",   u"InsufficientBuffer", u"NotImplemented",     u"Win32Error",
        u"WrongState",   u"Aborted",            u"FileNotFound",       u"ValueOverflow",
        u"AccessDenied", u"UnknownImageFormat", u"FontFamilyNotFound", u"FontStyleNotFound",
        u"NotTrueTypeFont", u"UnsupportedGdiplusVersion", u"GdiplusNotInitialized",
        u"PropertyNotFound", u"PropertyNotSupported", u"ProfileNotFound"};
    return status >= 0 && status < static_cast<int>(std::size(kNames)) ? kNames[status] : u"";
}

// "name": status and "name_name": what GDI+ calls it.
void put_status(JsonWriter& w, const std::u16string& name, int status) {
    w.key(name).number(status);
    w.key(name + u"_name").string(status_name(status));
}

// A float as itself (null when not finite) and as its bits: Windows fills
// some headers only later, and garbage is to be seen as such.
void put_float(JsonWriter& w, const std::u16string& name, float value) {
    w.key(name).real(value);
    w.key(name + u"_bits").string(float_bits_text(value));
}

void put_pair(JsonWriter& w, std::u16string_view name, std::int64_t x, std::int64_t y) {
    w.key(name).begin_array().number(x).number(y).end_array();
}

void put_rect(JsonWriter& w, std::u16string_view name, const EmfRect& r) {
    w.key(name).begin_object();
    w.key(u"left").number(r.left).key(u"top").number(r.top);
    w.key(u"right").number(r.right).key(u"bottom").number(r.bottom);
    w.end_object();
}

Bytes file_bytes(const std::wstring& path) {
    constexpr std::size_t kLargest = 64u << 20;
    const FileBytes file = read_file_bytes(path, kLargest);
    if (file.state != FileRead::kRead) return {};
    return Bytes(file.bytes.begin(), file.bytes.end());
}

// A folder of its own under the temporary folder for the files the
// writers make; emptied and removed at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH + 1] = L"";
        const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        if (n == 0 || n > MAX_PATH) return;
        const std::wstring base = std::wstring(temp) + L"Markomi2Diagnose-" +
                                  std::to_wstring(GetCurrentProcessId()) + L"-";
        for (int i = 0; i < 100 && path_.empty(); ++i) {
            const std::wstring candidate = base + std::to_wstring(i);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) path_ = candidate;
        }
    }
    ~ScratchFolder() {
        if (path_.empty()) return;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((path_ + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Empty when no folder could be made.
    std::wstring file(const std::wstring& name) const { return path_.empty() ? path_ : path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// ---- The system ------------------------------------------------------------------

void put_windows(JsonWriter& w) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    w.key(u"windows").begin_object();
    // GetVersionEx answers what the manifest declares; RtlGetVersion the truth.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const auto rtl_get_version = system_function<RtlGetVersionFn>(ntdll, "RtlGetVersion");
    if (rtl_get_version && rtl_get_version(reinterpret_cast<OSVERSIONINFOW*>(&info)) == 0) {
        w.key(u"major").number(info.dwMajorVersion).key(u"minor").number(info.dwMinorVersion);
        w.key(u"build").number(info.dwBuildNumber).key(u"platform").number(info.dwPlatformId);
        w.key(u"service_pack").string(as_u16(info.szCSDVersion));
        w.key(u"product_type").number(info.wProductType);
    } else {
        w.key(u"major").null();
    }
    using WineVersionFn = const char*(CDECL*)();
    const auto wine_version = system_function<WineVersionFn>(ntdll, "wine_get_version");
    w.key(u"wine").boolean(wine_version != nullptr);
    if (wine_version) {
        const char* text = wine_version();
        w.key(u"wine_version").string(utf8_to_u16(text ? text : ""));
    }
    w.end_object();
}

const char16_t* awareness_name(int awareness) {
    switch (awareness) {
        case 0: return u"unaware";
        case 1: return u"system";
        case 2: return u"per_monitor";
        default: return u"invalid";
    }
}

void put_dpi(JsonWriter& w) {
    w.key(u"dpi").begin_object();
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    using ThreadContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using AwarenessFn = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
    using ContextsEqualFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    using SystemDpiFn = UINT(WINAPI*)();
    const auto thread_context = system_function<ThreadContextFn>(user32, "GetThreadDpiAwarenessContext");
    const auto awareness_of = system_function<AwarenessFn>(user32, "GetAwarenessFromDpiAwarenessContext");
    const auto contexts_equal = system_function<ContextsEqualFn>(user32, "AreDpiAwarenessContextsEqual");
    if (thread_context && awareness_of) {
        const DPI_AWARENESS_CONTEXT context = thread_context();
        const int awareness = awareness_of(context);
        w.key(u"awareness").number(awareness).key(u"awareness_name").string(awareness_name(awareness));
        w.key(u"awareness_from").string(u"GetThreadDpiAwarenessContext");
        if (contexts_equal)
            w.key(u"per_monitor_v2").boolean(contexts_equal(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2));
    } else {
        // Windows 8.1 has only the process-wide answer.
        using ProcessAwarenessFn = HRESULT(WINAPI*)(HANDLE, int*);
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        const auto process_awareness = system_function<ProcessAwarenessFn>(shcore, "GetProcessDpiAwareness");
        int awareness = -1;
        if (process_awareness && SUCCEEDED(process_awareness(nullptr, &awareness))) {
            w.key(u"awareness").number(awareness).key(u"awareness_name").string(awareness_name(awareness));
            w.key(u"awareness_from").string(u"GetProcessDpiAwareness");
        } else {
            w.key(u"awareness").null().key(u"awareness_from").null();
        }
        if (shcore) FreeLibrary(shcore);
    }
    HDC screen = GetDC(nullptr);
    put_pair(w, u"screen_logpixels", screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0,
             screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0);
    if (screen) ReleaseDC(nullptr, screen);
    const auto system_dpi = system_function<SystemDpiFn>(user32, "GetDpiForSystem");
    if (system_dpi)
        w.key(u"system_dpi").number(system_dpi());
    else
        w.key(u"system_dpi").null();
    w.key(u"startup_dpi").number(g_startup_dpi);
    w.key(u"reference").begin_object();
    if (HDC reference = g_surfaces.reference) {
        w.key(u"horzsize").number(GetDeviceCaps(reference, HORZSIZE));
        w.key(u"horzres").number(GetDeviceCaps(reference, HORZRES));
        w.key(u"vertsize").number(GetDeviceCaps(reference, VERTSIZE));
        w.key(u"vertres").number(GetDeviceCaps(reference, VERTRES));
        put_pair(w, u"dpi", g_surfaces.reference_dpi_x, g_surfaces.reference_dpi_y);
    }
    w.end_object();
    w.end_object();
}

// ---- Metafiles ---------------------------------------------------------------------

std::u16string emf_plus_type_text(std::uint16_t type) {
    static const char16_t kHex[] = u"0123456789abcdef";
    std::u16string text = u"0x";
    for (int shift = 12; shift >= 0; shift -= 4) text += kHex[(type >> shift) & 15];
    return text;
}

void put_metafile_bytes(JsonWriter& w, const Bytes& bytes) {
    const EmfSummary summary = summarize_emf(bytes.data(), bytes.size());
    const EmfDeviceInfo device = emf_device_info(bytes.data(), bytes.size());
    const EmfRecordTally tally = tally_emf_records(bytes.data(), bytes.size());
    w.key(u"bytes").number(static_cast<std::int64_t>(bytes.size()));
    w.key(u"valid").boolean(summary.valid);
    w.key(u"record_count").number(summary.record_count);
    w.key(u"painting_records").number(summary.painting_records);
    put_rect(w, u"frame_hundredths_mm", summary.frame);
    w.key(u"device").begin_object();
    w.key(u"valid").boolean(device.valid);
    put_pair(w, u"szlDevice", device.pixels_x, device.pixels_y);
    put_pair(w, u"szlMillimeters", device.millimetres_x, device.millimetres_y);
    put_pair(w, u"szlMicrometers", device.micrometres_x, device.micrometres_y);
    w.key(u"dpi").begin_array().real(device.dpi_x()).real(device.dpi_y()).end_array();
    w.end_object();
    w.key(u"records_complete").boolean(tally.complete);
    w.key(u"records").begin_object();
    for (const auto& [type, count] : tally.records) {
        const char16_t* name = emf_record_name(type);
        w.key(name ? std::u16string(name) : decimal_text(type)).number(count);
    }
    w.end_object();
    w.key(u"emf_plus_records").begin_object();
    for (const auto& [type, count] : tally.emf_plus) w.key(emf_plus_type_text(type)).number(count);
    w.end_object();
}

void put_recording(JsonWriter& w, const MetafileRecording& how) {
    w.key(u"recorder").string(how.gdiplus_used ? u"gdiplus" : u"writer");
    w.key(u"gdiplus_tried").boolean(how.gdiplus_tried);
    w.key(u"why").string(utf8_to_u16(how.why));
}

// The metafile of slot 1 as the clipboard gets it, and how it was made.
void put_recorder(JsonWriter& w, SettingsSet& set) {
    HENHMETAFILE metafile = render_stamp_metafile(set, 0, nullptr);
    const MetafileRecording how = last_metafile_recording();
    if (metafile) {
        w.key(u"recorder").string(how.gdiplus_used ? u"gdiplus" : u"writer");
        w.key(u"recorder_why").string(utf8_to_u16(how.why));
        DeleteEnhMetaFile(metafile);
    } else {
        w.key(u"recorder").null().key(u"recorder_why").string(u"no metafile was made");
    }
    w.key(u"gdiplus_tried").boolean(how.gdiplus_tried);
    w.key(u"gdiplus_records_drawing").boolean(gdiplus_records_metafile_drawing());
    wchar_t value[256] = L"";
    const DWORD n = GetEnvironmentVariableW(L"MARKOMI2_METAFILE_RECORDER", value, 256);
    if (n > 0 && n < 256)
        w.key(u"metafile_recorder_env").string(as_u16(value));
    else if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        w.key(u"metafile_recorder_env").null();
    else
        w.key(u"metafile_recorder_env").string(u"");
}

void put_header(JsonWriter& w, std::u16string_view name, int status, const Gdiplus::MetafileHeader& h) {
    w.key(name).begin_object();
    put_status(w, u"status", status);
    if (status == Gdiplus::Ok) {
        w.key(u"type").number(h.Type).key(u"version").number(h.Version).key(u"size").number(h.Size);
        put_float(w, u"dpi_x", h.DpiX);
        put_float(w, u"dpi_y", h.DpiY);
        w.key(u"bounds").begin_array().number(h.X).number(h.Y).number(h.Width).number(h.Height).end_array();
        put_pair(w, u"logical_dpi", h.LogicalDpiX, h.LogicalDpiY);
        put_pair(w, u"szlDevice", h.EmfHeader.szlDevice.cx, h.EmfHeader.szlDevice.cy);
        put_pair(w, u"szlMillimeters", h.EmfHeader.szlMillimeters.cx, h.EmfHeader.szlMillimeters.cy);
    }
    w.end_object();
}

// A small EMF-only recording on the reference surface, its header read while
// the recording is open and after it ended, beside the ratio the pipeline
// derives from such a probe.
void put_probe(JsonWriter& w) {
    w.key(u"probe").begin_object();
    w.key(u"frame_pixels").number(kMetafileProbeFrameSize);
    GpMetafile* raw = nullptr;
    const Gdiplus::GpRect frame(0, 0, kMetafileProbeFrameSize, kMetafileProbeFrameSize);
    if (g_surfaces.reference) {
        put_status(w, u"record_status",
                   gdip::GdipRecordMetafileI(g_surfaces.reference, Gdiplus::EmfTypeEmfOnly, &frame,
                                             Gdiplus::MetafileFrameUnitPixel, nullptr, &raw));
    } else {
        w.key(u"record_status").null();
    }
    GdipImagePtr metafile(raw);
    if (metafile) {
        Gdiplus::GpGraphics* graphics = nullptr;
        const int context = gdip::GdipGetImageGraphicsContext(raw, &graphics);
        put_status(w, u"graphics_status", context);
        if (context == Gdiplus::Ok) {
            Gdiplus::MetafileHeader open{};
            put_header(w, u"open", gdip::GdipGetMetafileHeaderFromMetafile(raw, &open), open);
            gdip::GdipDeleteGraphics(graphics);  // ends the recording
            Gdiplus::MetafileHeader ended{};
            put_header(w, u"ended", gdip::GdipGetMetafileHeaderFromMetafile(raw, &ended), ended);
        }
    }
    const MetafileRatio ratio = probe_metafile_ratio();
    w.key(u"ratio").begin_object();
    put_float(w, u"x", ratio.kx);
    put_float(w, u"y", ratio.ky);
    w.end_object();
    w.end_object();
}

void put_drawing(JsonWriter& w, SettingsSet& set, int slot) {
    VectorDrawing drawing;
    MetafileFrame frame;
    const bool captured = capture_stamp_drawing(set, slot, &drawing, &frame);
    w.key(u"drawing").begin_object().key(u"captured").boolean(captured);
    if (captured) {
        int fills = 0, strokes = 0;
        std::int64_t kinds[4] = {0, 0, 0, 0};
        for (const VectorPath& path : drawing.paths) {
            fills += path.fill;
            strokes += path.stroke;
            for (const VectorSegment& s : path.segments) ++kinds[s.kind];
        }
        w.key(u"paths").number(static_cast<std::int64_t>(drawing.paths.size()));
        w.key(u"fills").number(fills).key(u"strokes").number(strokes);
        w.key(u"segments").begin_object();
        w.key(u"move").number(kinds[VectorSegment::kMove]).key(u"line").number(kinds[VectorSegment::kLine]);
        w.key(u"cubic").number(kinds[VectorSegment::kCubic]).key(u"close").number(kinds[VectorSegment::kClose]);
        w.end_object();
        put_rect(w, u"frame_hundredths_mm", drawing.frame);
        put_pair(w, u"frame_pixels", frame.width, frame.height);
    }
    w.end_object();
}

// Every slot: the clipboard's metafile, the EMF file and the captured
// drawing. Slot 1's file is kept for the converter.
void put_designs(JsonWriter& w, SettingsSet& set, const ScratchFolder& folder, Bytes* slot1_file) {
    w.key(u"designs").begin_array();
    for (int slot = 0; slot < kSlotCount; ++slot) {
        w.begin_object().key(u"slot").number(slot + 1).key(u"design").string(companion_design_name(slot));

        MetafileFrame frame;
        HENHMETAFILE clipboard = render_stamp_metafile(set, slot, nullptr, &frame);
        w.key(u"clipboard").begin_object().key(u"made").boolean(clipboard != nullptr);
        if (clipboard) {
            put_recording(w, last_metafile_recording());
            put_pair(w, u"frame_pixels", frame.width, frame.height);
            put_metafile_bytes(w, metafile_bytes(clipboard));
            DeleteEnhMetaFile(clipboard);
        }
        w.end_object();

        const std::wstring path = folder.file(L"slot" + std::to_wstring(slot + 1) + L".emf");
        const bool written = !path.empty() && save_stamp_emf(set, slot, path.c_str());
        w.key(u"emf_file").begin_object().key(u"written").boolean(written);
        if (written) {
            put_recording(w, last_metafile_recording());
            const Bytes bytes = file_bytes(path);
            put_metafile_bytes(w, bytes);
            if (slot == 0) *slot1_file = bytes;
        }
        w.end_object();

        put_drawing(w, set, slot);
        w.end_object();
    }
    w.end_array();
}

// The EMF+ dual conversion, called on slot 1's recording as the pipeline
// calls it: what Windows' GDI+ 1.1 answers is not known beforehand.
void put_converter(JsonWriter& w, const Bytes& recording) {
    const EmfPlusConverter convert = emf_plus_converter();
    w.key(u"emf_plus_converter").begin_object().key(u"exists").boolean(convert != nullptr);
    HENHMETAFILE handle = convert && !recording.empty()
                              ? SetEnhMetaFileBits(static_cast<UINT>(recording.size()), recording.data())
                              : nullptr;
    GpMetafile* wrapper = nullptr;
    if (handle && gdip::GdipCreateMetafileFromEmf(handle, FALSE, &wrapper) != Gdiplus::Ok) wrapper = nullptr;
    GraphicsWrapper reference;
    if (wrapper && g_surfaces.reference &&
        gdip::GdipCreateFromHDC(g_surfaces.reference, &reference.graphics) != Gdiplus::Ok)
        reference.graphics = nullptr;
    w.key(u"called").boolean(reference.graphics != nullptr);
    if (reference.graphics) {
        GdipGraphicsPtr graphics_owner(reference.graphics);
        prepare_graphics(reference);
        GpMetafile* converted = nullptr;
        const int status = convert(reference.graphics, wrapper, nullptr, Gdiplus::EmfTypeEmfPlusDual, nullptr,
                                   &converted);
        GdipImagePtr converted_owner(converted);
        put_status(w, u"status", status);
        w.key(u"gave_metafile").boolean(converted != nullptr);
        w.key(u"pipeline_uses_it")
            .boolean(conversion_outcome(status, converted != nullptr) == ConversionOutcome::kUseConverted);
        HENHMETAFILE converted_handle = nullptr;
        if (converted && gdip::GdipGetHemfFromMetafile(converted, &converted_handle) == Gdiplus::Ok &&
            converted_handle) {
            w.key(u"converted").begin_object();
            put_metafile_bytes(w, metafile_bytes(converted_handle));
            w.end_object();
            DeleteEnhMetaFile(converted_handle);
        }
    }
    if (wrapper) gdip::GdipDisposeImage(wrapper);
    if (handle) DeleteEnhMetaFile(handle);
    w.end_object();
}

// ---- Clipboard, PNG, face ------------------------------------------------------------

std::u16string clipboard_format_name(UINT format) {
    struct Standard {
        UINT id;
        const char16_t* name;
    };
    static const Standard kStandard[] = {
        {CF_TEXT, u"CF_TEXT"},           {CF_BITMAP, u"CF_BITMAP"},
        {CF_METAFILEPICT, u"CF_METAFILEPICT"}, {CF_SYLK, u"CF_SYLK"},
        {CF_DIF, u"CF_DIF"},             {CF_TIFF, u"CF_TIFF"},
        {CF_OEMTEXT, u"CF_OEMTEXT"},     {CF_DIB, u"CF_DIB"},
        {CF_PALETTE, u"CF_PALETTE"},     {CF_PENDATA, u"CF_PENDATA"},
        {CF_RIFF, u"CF_RIFF"},           {CF_WAVE, u"CF_WAVE"},
        {CF_UNICODETEXT, u"CF_UNICODETEXT"}, {CF_ENHMETAFILE, u"CF_ENHMETAFILE"},
        {CF_HDROP, u"CF_HDROP"},         {CF_LOCALE, u"CF_LOCALE"},
        {CF_DIBV5, u"CF_DIBV5"},         {CF_OWNERDISPLAY, u"CF_OWNERDISPLAY"},
        {CF_DSPTEXT, u"CF_DSPTEXT"},     {CF_DSPBITMAP, u"CF_DSPBITMAP"},
        {CF_DSPMETAFILEPICT, u"CF_DSPMETAFILEPICT"}, {CF_DSPENHMETAFILE, u"CF_DSPENHMETAFILE"},
    };
    for (const Standard& s : kStandard)
        if (s.id == format) return s.name;
    wchar_t name[256] = L"";
    const int n = GetClipboardFormatNameW(format, name, 256);
    return n > 0 ? std::u16string(as_u16(name), static_cast<std::size_t>(n)) : std::u16string();
}

const char16_t* copy_outcome_name(ClipboardCopy outcome) {
    switch (outcome) {
        case ClipboardCopy::kPlaced: return u"placed";
        case ClipboardCopy::kClipboardBusy: return u"clipboard_busy";
        case ClipboardCopy::kNotRendered: return u"not_rendered";
    }
    return u"";
}

void put_clipboard(JsonWriter& w, SettingsSet& set) {
    w.key(u"clipboard_after_bitmap_copy").begin_object();
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ClipboardCopy outcome = ClipboardCopy::kNotRendered;
    const bool copied = copy_bitmap_to_clipboard(set, 0, owner, &outcome);
    w.key(u"copied").boolean(copied).key(u"outcome").string(copy_outcome_name(outcome));
    if (open_clipboard_patiently(owner)) {
        // In the order the clipboard lists them: placed ones first, then
        // those the system would synthesise.
        w.key(u"formats").begin_array();
        for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
            w.begin_object().key(u"id").number(format);
            const std::u16string name = clipboard_format_name(format);
            if (name.empty())
                w.key(u"name").null();
            else
                w.key(u"name").string(name);
            w.end_object();
        }
        w.end_array();
        CloseClipboard();
    } else {
        w.key(u"formats").null().key(u"open_error").number(GetLastError());
    }
    if (owner) DestroyWindow(owner);
    w.end_object();
}

void put_png(JsonWriter& w, SettingsSet& set, const ScratchFolder& folder) {
    w.key(u"png_resolution").begin_object();
    const std::wstring path = folder.file(L"slot1.png");
    const bool written = !path.empty() && save_stamp_image(set, 0, ImageWriter::kPng, path.c_str());
    w.key(u"written").boolean(written);
    const Bytes bytes = written ? file_bytes(path) : Bytes();
    const std::optional<PngPhysical> physical = png_physical(bytes.data(), bytes.size());
    w.key(u"phys_chunk").boolean(physical.has_value());
    if (physical) {
        w.key(u"pixels_per_unit").begin_array().number(physical->x).number(physical->y).end_array();
        w.key(u"unit").number(physical->unit).key(u"unit_name").string(physical->unit == 1 ? u"metre" : u"none");
        w.key(u"dpi").begin_array().real(physical->dpi_x()).real(physical->dpi_y()).end_array();
    }
    w.end_object();
}

// The face a stamp row in the default font gets for Japanese text here.
void put_default_face(JsonWriter& w) {
    const FontDescription font = font_description_of(SlotSettings{}.date);
    const std::u16string_view text = u"令和７年５月１日";
    w.key(u"default_face").begin_object();
    w.key(u"requested").string(font.face_name.view()).key(u"text").string(text);
    w.key(u"resolved").string(resolve_face(font.face_name.view(), text));
    const GdipFamilyPtr family = create_font_family(font, text);
    WCHAR name[LF_FACESIZE] = L"";
    if (family && gdip::GdipGetFamilyName(family.get(), name, LANG_NEUTRAL) == Gdiplus::Ok)
        w.key(u"family").string(as_u16(name));
    else
        w.key(u"family").null();
    w.end_object();
}

}  // namespace

std::u16string diagnosis_json(SettingsSet& set, const DiagnosisSettings& settings, int gdiplus_startup) {
    JsonWriter w;
    w.begin_object();
    w.key(u"program").begin_object().key(u"name").string(u"Markomi2Stamp");
    w.key(u"version").string(ascii_to_u16(MARKOMI2_VERSION_TEXT)).end_object();
    put_windows(w);
    put_dpi(w);
    w.key(u"settings").begin_object().key(u"file").string(settings.file);
    w.key(u"found").boolean(settings.found).end_object();
    put_status(w, u"gdiplus_startup", gdiplus_startup);
    put_recorder(w, set);
    put_probe(w);
    const ScratchFolder folder;
    Bytes slot1_file;
    put_designs(w, set, folder, &slot1_file);
    put_converter(w, slot1_file);
    put_clipboard(w, set);
    put_png(w, set, folder);
    put_default_face(w);
    put_signing(w);
    w.end_object();
    return w.text();
}

}  // namespace markomi
