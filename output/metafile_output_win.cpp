#include "output/metafile_output_win.h"

#include <optional>
#include <string>
#include <vector>

#include "base/process_globals_win.h"
#include "output/clipboard_win.h"
#include "output/bitmap_output_win.h"
#include "output/emf_records.h"
#include "base/safe_file_win.h"
#include "output/emf_plus_converter_win.h"
#include "output/emf_rewrite_win.h"
#include "output/metafile_bytes_win.h"
#include "output/metafile_recorder_win.h"
#include "output/metafile_rules.h"
#include "output/output_common_win.h"
#include "output/stamp_canvas.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/preview_geometry.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"

namespace markomi {
namespace {

using Gdiplus::GpMetafile;

GdipImagePtr record_in_memory(const Gdiplus::GpRect& frame) {
    GpMetafile* metafile = nullptr;
    if (gdip::GdipRecordMetafileI(g_surfaces.reference, Gdiplus::EmfTypeEmfOnly, &frame,
                                  Gdiplus::MetafileFrameUnitPixel, nullptr, &metafile) != Gdiplus::Ok)
        return nullptr;
    return GdipImagePtr(metafile);
}

bool probe_gdiplus_drawing() {
    GdipImagePtr metafile = record_in_memory(
        Gdiplus::GpRect(0, 0, kMetafileProbeFrameSize, kMetafileProbeFrameSize));
    if (!metafile) return false;
    auto* recording = static_cast<GpMetafile*>(metafile.get());
    Gdiplus::GpGraphics* graphics = nullptr;
    if (gdip::GdipGetImageGraphicsContext(recording, &graphics) != Gdiplus::Ok) return false;
    Gdiplus::GpSolidFill* fill = nullptr;
    Gdiplus::GpStatus drawn = gdip::GdipCreateSolidFill(0xFF000000, &fill);
    if (drawn == Gdiplus::Ok) {
        drawn = gdip::GdipFillRectangleI(graphics, fill, 1, 1, 8, 8);
        gdip::GdipDeleteBrush(fill);
    }
    gdip::GdipDeleteGraphics(graphics);
    if (drawn != Gdiplus::Ok) return false;
    HENHMETAFILE handle = nullptr;
    if (gdip::GdipGetHemfFromMetafile(recording, &handle) != Gdiplus::Ok || !handle) return false;
    const std::vector<std::uint8_t> bits = metafile_bytes(handle);
    DeleteEnhMetaFile(handle);
    return summarize_emf(bits.data(), bits.size()).painting_records > 0;
}

bool file_exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// Puts the slot's stored sizes back when the pipeline leaves, by whatever
// path: the heights too without auto-fit, or when it ended early.
class SizesRestorer {
public:
    SizesRestorer(SlotSettings& slot, const SlotSizes& stored, bool ajust)
        : slot_(slot), stored_(stored), ajust_(ajust) {}
    ~SizesRestorer() {
        if (armed_) restore_slot_sizes(slot_, stored_, metafile_restores_heights(ajust_, finished_));
    }
    SizesRestorer(const SizesRestorer&) = delete;
    SizesRestorer& operator=(const SizesRestorer&) = delete;
    void arm() { armed_ = true; }
    void finished() { finished_ = true; }

private:
    SlotSettings& slot_;
    SlotSizes stored_;
    bool ajust_;
    bool armed_ = false;
    bool finished_ = false;
};

// Whether the EMF+ conversion leaves the recording to go on with (the rule
// is metafile_rules.h's: every failure keeps it).
bool conversion_keeps_recording(Gdiplus::GpStatus status, bool got_converted) {
    return conversion_outcome(static_cast<std::int32_t>(status), got_converted) !=
           ConversionOutcome::kUseConverted;
}

// The EMF+ dual conversion of a finished in-memory recording. Returns the
// metafile to go on with: the conversion, or else the recording.
GdipImagePtr convert_to_dual(GdipImagePtr recording, GraphicsWrapper& reference) {
    const EmfPlusConverter convert = emf_plus_converter();
    if (!convert) return recording;
    GpMetafile* converted = nullptr;
    const Gdiplus::GpStatus status =
        reference.note(convert(reference.graphics, static_cast<GpMetafile*>(recording.get()), nullptr,
                               Gdiplus::EmfTypeEmfPlusDual, nullptr, &converted));
    GdipImagePtr converted_owner(converted);
    if (conversion_keeps_recording(status, converted != nullptr)) return recording;
    return converted_owner;
}

// The same conversion for a metafile recorded through a GDI metafile DC:
// the handle stays the caller's, and a converted copy replaces it.
HENHMETAFILE convert_handle_to_dual(HENHMETAFILE recording, GraphicsWrapper& reference) {
    const EmfPlusConverter convert = emf_plus_converter();
    if (!convert) return recording;
    GpMetafile* wrapper = nullptr;
    if (gdip::GdipCreateMetafileFromEmf(recording, FALSE, &wrapper) != Gdiplus::Ok) return recording;
    GdipImagePtr wrapped(wrapper);
    GpMetafile* converted = nullptr;
    const Gdiplus::GpStatus status = reference.note(
        convert(reference.graphics, wrapper, nullptr, Gdiplus::EmfTypeEmfPlusDual, nullptr, &converted));
    GdipImagePtr converted_owner(converted);
    if (conversion_keeps_recording(status, converted != nullptr)) return recording;
    HENHMETAFILE handle = nullptr;
    if (gdip::GdipGetHemfFromMetafile(converted, &handle) != Gdiplus::Ok || !handle) return recording;
    wrapped.reset();
    DeleteEnhMetaFile(recording);
    return handle;
}

// What the two recorders share: a graphics object prepared for the stamp
// drawn at the supersampled size and brought back by the world transform.
void draw_into(GraphicsWrapper& g, SettingsSet& set, int slot_index, const MetafileDrawing& drawing) {
    prepare_graphics(g);
    g.note(gdip::GdipScaleWorldTransform(g.graphics, drawing.world.x, drawing.world.y,
                                         Gdiplus::MatrixOrderPrepend));
    render_stamp_with_shadow(g, set, slot_index, drawing.px, drawing.py, set.global.ajust,
                             drawing.shadow_distance);
}

// GDI+ records into its own metafile (the normal course).
HENHMETAFILE record_with_gdiplus(SettingsSet& set, int slot_index, const wchar_t* file_name,
                                 bool dual, const MetafileFrame& frame, const MetafileDrawing& drawing,
                                 GraphicsWrapper& reference, SizesRestorer& sizes) {
    const Gdiplus::GpRect rect(frame.x, frame.y, frame.width, frame.height);
    GdipImagePtr recording;
    if (file_name) {
        GpMetafile* metafile = nullptr;
        if (gdip::GdipRecordMetafileFileNameI(file_name, g_surfaces.reference, Gdiplus::EmfTypeEmfOnly,
                                              &rect, Gdiplus::MetafileFrameUnitPixel, nullptr,
                                              &metafile) == Gdiplus::Ok)
            recording.reset(metafile);
    } else {
        recording = record_in_memory(rect);
    }
    if (!recording) return nullptr;

    write_slot_sizes(set.slots[static_cast<std::size_t>(slot_index)], drawing.sizes);
    sizes.arm();
    GraphicsWrapper g;
    if (gdip::GdipGetImageGraphicsContext(recording.get(), &g.graphics) != Gdiplus::Ok) return nullptr;
    draw_into(g, set, slot_index, drawing);
    gdip::GdipDeleteGraphics(g.graphics);  // ends the recording; a named file is complete

    // A file keeps the EMF-only recording; only the clipboard's copy is converted.
    if (dual) recording = convert_to_dual(std::move(recording), reference);
    HENHMETAFILE handle = nullptr;
    if (gdip::GdipGetHemfFromMetafile(static_cast<GpMetafile*>(recording.get()), &handle) !=
            Gdiplus::Ok ||
        !handle)
        return nullptr;
    sizes.finished();
    return handle;
}

// Where GDI+ cannot record drawing, GDI records it: GDI+ draws the same
// calls onto a metafile DC made on the reference surface. Its pixels are the
// reference device's, so the frame needs no resolution ratio.
HENHMETAFILE record_with_gdi(SettingsSet& set, int slot_index, const wchar_t* file_name, bool dual,
                             const MetafileFrame& frame, const MetafileDrawing& drawing,
                             GraphicsWrapper& reference, SizesRestorer& sizes) {
    HDC ref = g_surfaces.reference;
    const RECT hundredths{
        emf_frame_hundredths(frame.x, GetDeviceCaps(ref, HORZSIZE), GetDeviceCaps(ref, HORZRES)),
        emf_frame_hundredths(frame.y, GetDeviceCaps(ref, VERTSIZE), GetDeviceCaps(ref, VERTRES)),
        emf_frame_hundredths(frame.x + frame.width, GetDeviceCaps(ref, HORZSIZE),
                             GetDeviceCaps(ref, HORZRES)),
        emf_frame_hundredths(frame.y + frame.height, GetDeviceCaps(ref, VERTSIZE),
                             GetDeviceCaps(ref, VERTRES))};
    HDC metafile_dc = CreateEnhMetaFileW(ref, file_name, &hundredths, nullptr);
    if (!metafile_dc) return nullptr;

    write_slot_sizes(set.slots[static_cast<std::size_t>(slot_index)], drawing.sizes);
    sizes.arm();
    GraphicsWrapper g;
    bool drawn = false;
    if (gdip::GdipCreateFromHDC(metafile_dc, &g.graphics) == Gdiplus::Ok) {
        draw_into(g, set, slot_index, drawing);
        gdip::GdipDeleteGraphics(g.graphics);
        drawn = true;
    }
    HENHMETAFILE handle = CloseEnhMetaFile(metafile_dc);
    if (!drawn || !handle) {
        if (handle) DeleteEnhMetaFile(handle);
        return nullptr;
    }
    if (dual) handle = convert_handle_to_dual(handle, reference);
    sizes.finished();
    return handle;
}

}  // namespace

MetafileRatio probe_metafile_ratio() {
    std::optional<ProbeResolution> probe;
    if (g_surfaces.reference) {
        GdipImagePtr metafile = record_in_memory(
            Gdiplus::GpRect(0, 0, kMetafileProbeFrameSize, kMetafileProbeFrameSize));
        // The header of a recording still open holds only its type and
        // version on Windows (the resolution is zero or garbage); it is
        // complete once the recording ends with its graphics object. A probe
        // that cannot end it keeps the ratio at 1.0, the reference's own.
        Gdiplus::GpGraphics* graphics = nullptr;
        if (metafile && gdip::GdipGetImageGraphicsContext(static_cast<GpMetafile*>(metafile.get()),
                                                          &graphics) == Gdiplus::Ok) {
            gdip::GdipDeleteGraphics(graphics);
            Gdiplus::MetafileHeader header{};
            if (gdip::GdipGetMetafileHeaderFromMetafile(static_cast<GpMetafile*>(metafile.get()),
                                                        &header) == Gdiplus::Ok)
                probe = ProbeResolution{header.DpiX, header.DpiY};
        }
    }
    // A header that still says nothing believable leaves the ratio at 1.0.
    return metafile_resolution_ratio(probe, g_surfaces.reference_dpi_x, g_surfaces.reference_dpi_y);
}

bool gdiplus_records_metafile_drawing() {
    // Probed once per process; not before the reference surface exists.
    static std::optional<bool> records;
    if (!records && g_surfaces.reference) records = probe_gdiplus_drawing();
    return records.value_or(false);
}

namespace {

// Records the slot: into `file_name` or in memory, converted to EMF+ dual
// when `dual`, with `fineness` recorded units to a pixel of the reference
// device (the frame and the world transform both grow by it).
HENHMETAFILE record_stamp(SettingsSet& set, int slot_index, const wchar_t* file_name, bool dual,
                          float fineness, MetafileFrame* frame_out) {
    if (slot_index < 0 || slot_index >= kSlotCount || !g_surfaces.reference) return nullptr;
    const bool via_gdiplus = metafile_recorded_by_gdiplus();
    MetafileRatio ratio = via_gdiplus ? probe_metafile_ratio() : MetafileRatio{};
    ratio.kx *= fineness;
    ratio.ky *= fineness;
    const float scale = metafile_scale(g_startup_dpi);
    SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    const SlotSizes stored = slot_sizes_of(slot);
    const bool ajust = set.global.ajust == 1;

    GraphicsWrapper reference;
    if (gdip::GdipCreateFromHDC(g_surfaces.reference, &reference.graphics) != Gdiplus::Ok)
        return nullptr;
    GdipGraphicsPtr reference_owner(reference.graphics);
    prepare_graphics(reference);

    // Canvas and ink box at the stored size; the drawing is scaled afterwards.
    // With auto-fit the record holds the heights of whatever size was fitted
    // last (the doubled size after any stamping), which would measure the
    // text too large here: the rows are fitted at the stored size first.
    fit_slot_rows(set, slot_index);
    const WorkingCanvas canvas = metafile_canvas(canvas_shape_of_slot(slot_index), slot.frame.hankei,
                                                 slot.frame.thick, slot.frame.bunkatu);
    const InkMargins margins =
        stamp_ink_box(set, slot_index, canvas.cx, canvas.cy, 0, 0, canvas.width, canvas.height);
    const MetafileLayout layout =
        metafile_layout(slot_index, canvas, margins, slot.frame.shadow > 0, slot.frame.thick);
    const MetafileFrame frame = metafile_frame(layout, scale, ratio);
    if (frame_out) *frame_out = frame;
    const MetafileDrawing drawing = metafile_drawing(stored, ajust, layout, ratio, scale);

    const bool had_file = file_name && file_exists(file_name);
    HENHMETAFILE handle = nullptr;
    {
        SizesRestorer sizes(slot, stored, ajust);
        handle = via_gdiplus ? record_with_gdiplus(set, slot_index, file_name, dual, frame, drawing,
                                                   reference, sizes)
                             : record_with_gdi(set, slot_index, file_name, dual, frame, drawing,
                                               reference, sizes);
    }
    // Whichever recorder ran: no POLYDRAW records, which some readers skip.
    handle = without_polydraw_records(handle, file_name);
    // A recording that failed must not leave a file it made behind.
    if (!handle && file_name && !had_file) DeleteFileW(file_name);
    return handle;
}

}  // namespace

HENHMETAFILE render_stamp_metafile(SettingsSet& set, int slot_index, const wchar_t* file_name,
                                   MetafileFrame* frame_out) {
    return record_stamp(set, slot_index, file_name, file_name == nullptr, 1.0f, frame_out);
}

HENHMETAFILE render_stamp_fine_metafile(SettingsSet& set, int slot_index, int fineness) {
    if (fineness < 1) return nullptr;
    return record_stamp(set, slot_index, nullptr, false, static_cast<float>(fineness), nullptr);
}

bool put_metafile_on_clipboard(HENHMETAFILE metafile, HWND owner, ClipboardCopy* outcome) {
    // The copy is made before the clipboard is opened: a metafile that
    // cannot be copied leaves the clipboard with what it had.
    HENHMETAFILE copy = nullptr;
    const std::vector<std::uint8_t> bits = metafile_bytes(metafile);
    if (!bits.empty()) copy = SetEnhMetaFileBits(static_cast<UINT>(bits.size()), bits.data());
    if (!copy) {
        if (outcome) *outcome = ClipboardCopy::kNotRendered;
        return false;
    }
    if (!open_clipboard_patiently(owner)) {
        DeleteEnhMetaFile(copy);
        if (outcome) *outcome = ClipboardCopy::kClipboardBusy;
        return false;
    }
    EmptyClipboard();
    // The clipboard owns this copy; the caller keeps its own handle.
    const bool placed = SetClipboardData(CF_ENHMETAFILE, copy) != nullptr;
    if (!placed) DeleteEnhMetaFile(copy);
    CloseClipboard();
    if (outcome) *outcome = placed ? ClipboardCopy::kPlaced : ClipboardCopy::kClipboardBusy;
    return placed;
}

bool copy_metafile_to_clipboard(SettingsSet& set, int slot_index, HWND owner,
                                ClipboardCopy* outcome) {
    HENHMETAFILE metafile = render_stamp_metafile(set, slot_index, nullptr);
    if (!metafile) {
        if (outcome) *outcome = ClipboardCopy::kNotRendered;
        return false;
    }
    const bool placed = put_metafile_on_clipboard(metafile, owner, outcome);
    DeleteEnhMetaFile(metafile);
    return placed;
}

bool save_stamp_emf(SettingsSet& set, int slot_index, const wchar_t* path) {
    // Through the same staging file as the other writers, so a read-only
    // target is refused alike and a failure leaves the old file whole.
    if (path == nullptr) return false;
    return write_file_through_staging(path, [&](const wchar_t* temporary) {
        HENHMETAFILE metafile = render_stamp_metafile(set, slot_index, temporary);
        if (!metafile) return false;
        DeleteEnhMetaFile(metafile);  // closes the file
        return true;
    });
}

bool copy_stamp_to_clipboard(SettingsSet& set, int slot_index, HWND owner, bool ctrl_down,
                             ClipboardCopy* outcome) {
    if (stamp_output_for(set.global, ctrl_down) == StampOutput::kMetafile)
        return copy_metafile_to_clipboard(set, slot_index, owner, outcome);
    return copy_bitmap_to_clipboard(set, slot_index, owner, outcome);
}

}  // namespace markomi
