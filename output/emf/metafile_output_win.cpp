#include "output/emf/metafile_output_win.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "base/process_globals_win.h"
#include "base/safe_file_win.h"
#include "diag/debug_log_win.h"
#include "output/canvas/output_common_win.h"
#include "output/canvas/stamp_canvas.h"
#include "output/emf/emf_plus_converter_win.h"
#include "output/emf/emf_records.h"
#include "output/emf/emf_rewrite_win.h"
#include "output/emf/emf_writer.h"
#include "output/emf/metafile_bytes_win.h"
#include "output/emf/metafile_recorder_win.h"
#include "output/emf/metafile_rules.h"
#include "output/emf/recording_check.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/path_capture_gdiplus.h"
#include "render/preview_geometry.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"

namespace markomi {

namespace {

using Gdiplus::GpMetafile;

MetafileRecording g_last_recording;

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

// The EMF+ dual conversion of a finished metafile: the handle stays the
// caller's, and a converted copy replaces it.
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

// A graphics object on the reference surface, prepared as every pipeline's.
class ReferenceGraphics {
public:
    ReferenceGraphics() {
        if (g_surfaces.reference &&
            gdip::GdipCreateFromHDC(g_surfaces.reference, &wrapper_.graphics) == Gdiplus::Ok) {
            owner_.reset(wrapper_.graphics);
            prepare_graphics(wrapper_);
        } else {
            wrapper_.graphics = nullptr;
        }
    }
    GraphicsWrapper& get() { return wrapper_; }
    explicit operator bool() const { return wrapper_.graphics != nullptr; }

private:
    GraphicsWrapper wrapper_;
    GdipGraphicsPtr owner_;
};

// The slot at the stored size, measured once for whichever recorder runs.
struct StampPlan {
    SlotSizes stored;
    bool ajust = false;
    float scale = 1.0f;
    MetafileLayout layout;
};

// Canvas and ink box at the stored size; the drawing is scaled afterwards.
// With auto-fit the record holds the heights of whatever size was fitted
// last (the doubled size after any stamping), which would measure the text
// too large here: the rows are fitted at the stored size first.
StampPlan plan_stamp(SettingsSet& set, int slot_index) {
    StampPlan plan;
    SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    plan.stored = slot_sizes_of(slot);
    plan.ajust = set.global.ajust == 1;
    plan.scale = metafile_scale(g_startup_dpi);
    fit_slot_rows(set, slot_index);
    const WorkingCanvas canvas = metafile_canvas(canvas_shape_of_slot(slot_index), slot.frame.hankei,
                                                 slot.frame.thick, slot.frame.bunkatu);
    const InkMargins margins =
        stamp_ink_box(set, slot_index, canvas.cx, canvas.cy, 0, 0, canvas.width, canvas.height);
    plan.layout = metafile_layout(slot_index, canvas, margins, slot.frame.shadow > 0, slot.frame.thick);
    return plan;
}

// The resolution every picture the project writes itself declares: the
// start-up resolution, so that the frame in pixels is the stored size at
// 96 dpi whatever the monitor reports of its millimetres.
double written_dpi(const StampPlan& plan) { return 96.0 * plan.scale; }

// The stamp drawn at the supersampled size and brought back by the world
// transform, on a graphics object prepared as every pipeline's.
void draw_into(GraphicsWrapper& g, SettingsSet& set, int slot_index, const MetafileDrawing& drawing) {
    g.note(gdip::GdipScaleWorldTransform(g.graphics, drawing.world.x, drawing.world.y,
                                         Gdiplus::MatrixOrderPrepend));
    render_stamp_with_shadow(g, set, slot_index, drawing.px, drawing.py, set.global.ajust,
                             drawing.shadow_distance);
}

// Draws the slot into `g` at the drawing size of `ratio`; the slot's sizes
// are written for it and put back by `sizes`.
void draw_planned(GraphicsWrapper& g, SettingsSet& set, int slot_index, const StampPlan& plan,
                  const MetafileRatio& ratio, SizesRestorer& sizes) {
    const MetafileDrawing drawing = metafile_drawing(plan.stored, plan.ajust, plan.layout, ratio, plan.scale);
    write_slot_sizes(set.slots[static_cast<std::size_t>(slot_index)], drawing.sizes);
    sizes.arm();
    draw_into(g, set, slot_index, drawing);
}

// GDI+ records into its own metafile (the normal course on Windows). Null
// when it cannot, or when the recording is not one to use (see
// output/emf/recording_check.h); the debug log says why.
HENHMETAFILE record_with_gdiplus(SettingsSet& set, int slot_index, const StampPlan& plan,
                                 MetafileFrame* frame, SizesRestorer& sizes, std::string* why) {
    const MetafileRatio ratio = probe_metafile_ratio();
    *frame = metafile_frame(plan.layout, plan.scale, ratio);
    GdipImagePtr recording = record_in_memory(Gdiplus::GpRect(frame->x, frame->y, frame->width, frame->height));
    *why = "GDI+ could not start a recording";
    if (!recording) return nullptr;
    GraphicsWrapper g;
    if (gdip::GdipGetImageGraphicsContext(static_cast<GpMetafile*>(recording.get()), &g.graphics) !=
        Gdiplus::Ok)
        return nullptr;
    prepare_graphics(g);
    draw_planned(g, set, slot_index, plan, ratio, sizes);
    gdip::GdipDeleteGraphics(g.graphics);  // ends the recording
    HENHMETAFILE handle = nullptr;
    *why = "GDI+ gave no metafile";
    if (gdip::GdipGetHemfFromMetafile(static_cast<GpMetafile*>(recording.get()), &handle) != Gdiplus::Ok ||
        !handle)
        return nullptr;
    const std::vector<std::uint8_t> bytes = metafile_bytes(handle);
    const RecordingRequest asked{frame->width, frame->height, plan.layout.work_width,
                                 plan.layout.work_height};
    *why = recording_fault(bytes.data(), bytes.size(), asked);
    if (!why->empty()) {
        log_text(L"GDI+ recording not used", std::u16string(why->begin(), why->end()));
        DeleteEnhMetaFile(handle);
        return nullptr;
    }
    // Some readers skip POLYDRAW records, which GDI+ may write for its paths.
    return without_polydraw_records(handle, nullptr);
}

// The drawing captured as paths at the reference surface's own resolution
// (ratio 1), in a frame of the stored size at 96 dpi.
bool capture_planned(SettingsSet& set, int slot_index, const StampPlan& plan, SizesRestorer& sizes,
                     VectorDrawing* out, MetafileFrame* frame) {
    ReferenceGraphics reference;
    if (!reference) return false;
    *frame = metafile_frame(plan.layout, plan.scale, MetafileRatio{});
    PathCapture capture;
    GraphicsWrapper& g = reference.get();
    g.capture = &capture;
    draw_planned(g, set, slot_index, plan, MetafileRatio{}, sizes);
    g.capture = nullptr;
    if (capture.failures() > 0 || capture.paths().empty()) return false;
    const double dpi = written_dpi(plan);
    out->ok = true;
    out->frame = EmfRect{0, 0, hundredths_at_dpi(frame->width, dpi), hundredths_at_dpi(frame->height, dpi)};
    out->view_x = 0;
    out->view_y = 0;
    out->view_width = frame->width;
    out->view_height = frame->height;
    out->paths = capture.paths();
    return true;
}

// The reference surface as the header of a written metafile describes it:
// its size in pixels, and in micrometres at the written resolution.
EmfDevice written_device(const StampPlan& plan) {
    EmfDevice device;
    const double dpi = written_dpi(plan);
    device.pixels_x = GetDeviceCaps(g_surfaces.reference, HORZRES);
    device.pixels_y = GetDeviceCaps(g_surfaces.reference, VERTRES);
    device.micrometres_x = static_cast<std::int32_t>(std::lround(device.pixels_x * 25400.0 / dpi));
    device.micrometres_y = static_cast<std::int32_t>(std::lround(device.pixels_y * 25400.0 / dpi));
    return device;
}

// Where GDI+ does not record (or its recording failed the check), the
// project writes the metafile itself from the captured drawing.
HENHMETAFILE write_captured(SettingsSet& set, int slot_index, const StampPlan& plan, SizesRestorer& sizes,
                            MetafileFrame* frame) {
    VectorDrawing drawing;
    if (!capture_planned(set, slot_index, plan, sizes, &drawing, frame)) return nullptr;
    const std::vector<std::uint8_t> bytes = write_emf(drawing, written_device(plan));
    if (bytes.empty()) return nullptr;
    return SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
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

// Records the slot in memory (or into `file_name`, EMF only), converted to
// EMF+ dual when `dual`.
HENHMETAFILE record_stamp(SettingsSet& set, int slot_index, const wchar_t* file_name, bool dual,
                          MetafileFrame* frame_out) {
    if (slot_index < 0 || slot_index >= kSlotCount || !g_surfaces.reference) return nullptr;
    ReferenceGraphics reference;
    if (!reference) return nullptr;
    SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    const StampPlan plan = plan_stamp(set, slot_index);
    MetafileFrame frame;
    HENHMETAFILE handle = nullptr;
    {
        SizesRestorer sizes(slot, plan.stored, plan.ajust);
        MetafileRecording report;
        report.gdiplus_tried = metafile_recorded_by_gdiplus();
        if (report.gdiplus_tried)
            handle = record_with_gdiplus(set, slot_index, plan, &frame, sizes, &report.why);
        else
            report.why = gdiplus_records_metafile_drawing() ? "MARKOMI2_METAFILE_RECORDER=gdi"
                                                            : "GDI+ records no drawing here";
        report.gdiplus_used = handle != nullptr;
        if (!handle) handle = write_captured(set, slot_index, plan, sizes, &frame);
        if (handle) sizes.finished();
        g_last_recording = report;
    }
    if (!handle) return nullptr;
    if (dual) handle = convert_handle_to_dual(handle, reference.get());
    if (file_name) {
        HENHMETAFILE on_disk = CopyEnhMetaFileW(handle, file_name);
        DeleteEnhMetaFile(handle);
        if (!on_disk) DeleteFileW(file_name);
        handle = on_disk;
    }
    if (handle && frame_out) *frame_out = frame;
    return handle;
}

}  // namespace

MetafileRecording last_metafile_recording() { return g_last_recording; }

bool capture_stamp_drawing(SettingsSet& set, int slot_index, VectorDrawing* drawing, MetafileFrame* frame) {
    if (!drawing || slot_index < 0 || slot_index >= kSlotCount || !g_surfaces.reference) return false;
    SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    const StampPlan plan = plan_stamp(set, slot_index);
    MetafileFrame captured;
    SizesRestorer sizes(slot, plan.stored, plan.ajust);
    if (!capture_planned(set, slot_index, plan, sizes, drawing, &captured)) return false;
    sizes.finished();
    if (frame) *frame = captured;
    return true;
}

HENHMETAFILE render_stamp_metafile(SettingsSet& set, int slot_index, const wchar_t* file_name,
                                   MetafileFrame* frame_out) {
    return record_stamp(set, slot_index, file_name, file_name == nullptr, frame_out);
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

}  // namespace markomi
