#pragma once
// Owners for GDI objects and for an object's selection into a device context.
// Declare the GdiObject before the SelectedObject that selects it: members and
// locals are destroyed in reverse order, so the previous object is back in the
// DC before the owned one is deleted (GDI does not delete a selected object).
#include <windows.h>

namespace markomi {

// Owns any GDI object (pen, brush, font, bitmap, region, palette) and deletes it.
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T handle) : handle_(handle) {}
    ~GdiObject() { reset(); }

    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(other.release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Gives up ownership without deleting.
    T release() {
        T handle = handle_;
        handle_ = nullptr;
        return handle;
    }

    void reset(T handle = nullptr) {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    T handle_ = nullptr;
};

using GdiPen = GdiObject<HPEN>;
using GdiBrush = GdiObject<HBRUSH>;
using GdiFont = GdiObject<HFONT>;
using GdiBitmap = GdiObject<HBITMAP>;
using GdiRegion = GdiObject<HRGN>;

// Selects an object into a DC for the lifetime of this value and puts the
// previous one back afterwards. A null object or a failed selection leaves
// the DC untouched. Not for regions: selecting a region returns a region
// type, not a previous object (use SelectClipRgn for them).
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc) {
        if (dc_ != nullptr && object != nullptr) {
            HGDIOBJ previous = SelectObject(dc_, object);
            if (previous != nullptr && previous != HGDI_ERROR) previous_ = previous;
        }
    }
    ~SelectedObject() {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
    }

    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    bool selected() const { return previous_ != nullptr; }

private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// A window's device context, released when this value goes: GetDC's, or
// GetDCEx's with `flags` (DCX_CLIPCHILDREN keeps drawing off child controls).
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(HWND window, DWORD flags) : window_(window), dc_(GetDCEx(window, nullptr, flags)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }

    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

}  // namespace markomi
