#include "ui/window_layouts.h"

#include <algorithm>

namespace markomi {

AboutBoxLayout about_box_layout(int a, int l, const std::array<LayoutSize, kAboutRowCount>& rows) {
    AboutBoxLayout out;
    for (int i = 0; i < 5; ++i) {
        out.widest_row = std::max(out.widest_row, rows[i].width);
        out.tallest_row = std::max(out.tallest_row, rows[i].height);
    }
    const int ymax = out.tallest_row;
    out.content_width = 4 * a + out.widest_row;
    out.content_height = 10 * ymax;
    // The frame and caption are paid for in character units, not in the
    // system's frame metrics: the box keeps its proportions at every size.
    out.window.width = static_cast<int>(2.7 * a + out.content_width);
    out.window.height = static_cast<int>(1.9 * l + out.content_height);

    const int left_rows_y[3] = {ymax, 3 * ymax, 4 * ymax};
    for (int i = 0; i < 3; ++i)
        out.rows[i] = LayoutRect{2 * a, left_rows_y[i], rows[i].width, rows[i].height};
    int x = 7 * a;
    for (int i = 3; i < kAboutRowCount; ++i) {
        out.rows[i] = LayoutRect{x, 6 * ymax, rows[i].width, rows[i].height};
        x += rows[i].width;
    }

    out.button = LayoutRect{(out.content_width / 4) * 3, 8 * ymax - ymax / 8, 8 * a,
                            ymax + ymax / 4};
    return out;
}

LayoutPoint about_box_resident_position(const AboutBoxLayout& layout, int a, int l,
                                        const AboutAnchor& anchor) {
    const LayoutPoint cursor = anchor.cursor;
    LayoutPoint p;
    p.x = cursor.x - a - layout.content_width;
    p.y = static_cast<int>(cursor.y - (anchor.menu_bar_height * 1.35 + layout.content_height));
    if (p.x < 0) p.x = std::max(cursor.x, anchor.horizontal_taskbar_margin) + 2 * a;
    if (p.y < 0) p.y = std::max(cursor.y, anchor.vertical_taskbar_margin) + 2 * l;
    return p;
}

OpeningLayout opening_layout(int a, int l, const std::array<LayoutSize, kOpeningRowCount>& rows) {
    OpeningLayout out;
    int widest = 0;
    int tallest = 0;
    for (const LayoutSize& row : rows) {
        widest = std::max(widest, row.width);
        tallest = std::max(tallest, row.height);
    }
    const int w = widest + 4 * a;
    const int h = static_cast<int>(tallest * 1.4);
    out.row_width = w;
    out.row_height = h;
    out.window = LayoutSize{w + 4 * a, 6 * h + l / 2};
    for (int k = 0; k < kOpeningRowCount; ++k) out.rows[k] = LayoutPoint{4 * a, (k + 1) * h};
    // H / 8 is an integer division before it meets the floating-point 4.7 H.
    out.button = LayoutRect{(w / 10) * 7, static_cast<int>(h * 4.7 - h / 8), 10 * a, l + l / 4};
    return out;
}

LayoutPoint centred_position(LayoutSize size, int desktop_right, int desktop_bottom) {
    return LayoutPoint{(desktop_right - size.width) / 2, (desktop_bottom - size.height) / 2};
}

LayoutPoint resident_host_position(LayoutSize window, int a, int l, LayoutPoint pointer,
                                   int horizontal_taskbar_margin, int vertical_taskbar_margin) {
    LayoutPoint p{pointer.x - window.width, pointer.y - window.height};
    if (p.x < 0) p.x = std::max(pointer.x, horizontal_taskbar_margin) + 2 * a;
    if (p.y < 0) p.y = std::max(pointer.y, vertical_taskbar_margin) + 2 * l;
    return p;
}

LayoutPoint screen_from_workspace(LayoutPoint p, const ScreenRect& monitor,
                                  const ScreenRect& work_area) {
    return LayoutPoint{p.x + work_area.left - monitor.left, p.y + work_area.top - monitor.top};
}

namespace {

// The gap between two ranges [a0, a1) and [b0, b1); 0 when they overlap.
long long range_gap(int a0, int a1, int b0, int b1) {
    if (a1 <= b0) return static_cast<long long>(b0) - a1 + 1;
    if (b1 <= a0) return static_cast<long long>(a0) - b1 + 1;
    return 0;
}

// Moves [start, start + extent) into [low, high) as little as possible; the
// start wins when the range does not fit.
int clamp_into(int start, int extent, int low, int high) {
    return std::max(low, std::min(start, high - extent));
}

}  // namespace

LayoutPoint reachable_position(const ScreenRect& window, const std::vector<ScreenRect>& work_areas,
                               int grip) {
    const LayoutPoint at{window.left, window.top};
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int need_x = std::max(1, std::min(grip, width));
    const int need_y = std::max(1, std::min(grip, height));
    const ScreenRect* nearest = nullptr;
    long long nearest_distance = 0;
    for (const ScreenRect& area : work_areas) {
        const int shown_x = std::min(window.right, area.right) - std::max(window.left, area.left);
        const int shown_y =
            std::min(window.top + need_y, area.bottom) - std::max(window.top, area.top);
        if (shown_x >= need_x && shown_y >= need_y) return at;
        const long long dx = range_gap(window.left, window.right, area.left, area.right);
        const long long dy = range_gap(window.top, window.bottom, area.top, area.bottom);
        const long long distance = dx * dx + dy * dy;
        if (!nearest || distance < nearest_distance) {
            nearest = &area;
            nearest_distance = distance;
        }
    }
    if (!nearest) return at;
    return LayoutPoint{clamp_into(window.left, width, nearest->left, nearest->right),
                       clamp_into(window.top, height, nearest->top, nearest->bottom)};
}

int opening_gradient_green(int column, int width) {
    if (width <= 0) return 176;
    return static_cast<int>(176 + (255 - 176) * static_cast<double>(column) / width);
}

}  // namespace markomi
