#pragma once
// Owners for GDI+ flat-API objects, so every rendering path releases what it
// made. GDI+ itself is started before and stopped after all of them (start-up).
#include <windows.h>
#include <gdiplus.h>

#include <memory>

namespace markomi {

namespace gdip = Gdiplus::DllExports;

struct GdipGraphicsDeleter { void operator()(Gdiplus::GpGraphics* p) const { gdip::GdipDeleteGraphics(p); } };
struct GdipPathDeleter { void operator()(Gdiplus::GpPath* p) const { gdip::GdipDeletePath(p); } };
struct GdipFontDeleter { void operator()(Gdiplus::GpFont* p) const { gdip::GdipDeleteFont(p); } };
struct GdipFamilyDeleter { void operator()(Gdiplus::GpFontFamily* p) const { gdip::GdipDeleteFontFamily(p); } };
struct GdipBrushDeleter { void operator()(Gdiplus::GpBrush* p) const { gdip::GdipDeleteBrush(p); } };
struct GdipPenDeleter { void operator()(Gdiplus::GpPen* p) const { gdip::GdipDeletePen(p); } };
struct GdipImageDeleter { void operator()(Gdiplus::GpImage* p) const { gdip::GdipDisposeImage(p); } };
struct GdipFormatDeleter { void operator()(Gdiplus::GpStringFormat* p) const { gdip::GdipDeleteStringFormat(p); } };

using GdipGraphicsPtr = std::unique_ptr<Gdiplus::GpGraphics, GdipGraphicsDeleter>;
using GdipPathPtr = std::unique_ptr<Gdiplus::GpPath, GdipPathDeleter>;
using GdipFontPtr = std::unique_ptr<Gdiplus::GpFont, GdipFontDeleter>;
using GdipFamilyPtr = std::unique_ptr<Gdiplus::GpFontFamily, GdipFamilyDeleter>;
using GdipBrushPtr = std::unique_ptr<Gdiplus::GpBrush, GdipBrushDeleter>;
using GdipPenPtr = std::unique_ptr<Gdiplus::GpPen, GdipPenDeleter>;
using GdipImagePtr = std::unique_ptr<Gdiplus::GpImage, GdipImageDeleter>;
using GdipFormatPtr = std::unique_ptr<Gdiplus::GpStringFormat, GdipFormatDeleter>;

class PathCapture;

// A graphics handle plus the last failing status of the calls made through
// it. Nothing acts on the status; it is kept for the debugger and the log.
// With `capture` set the drawing calls that go through the capture's
// functions (render/path_capture_gdiplus.h) are collected as paths instead of
// painted; `graphics` still gives the transform and the font metrics.
struct GraphicsWrapper {
    Gdiplus::GpGraphics* graphics = nullptr;
    Gdiplus::GpStatus last_status = Gdiplus::Ok;
    PathCapture* capture = nullptr;

    Gdiplus::GpStatus note(Gdiplus::GpStatus status) {
        if (status != Gdiplus::Ok) last_status = status;
        return status;
    }
};

}  // namespace markomi
