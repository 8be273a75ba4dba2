#include "output/vector/vector_writers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace markomi {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

std::string hex_color(const VectorRgb& c) {
    static const char kHex[] = "0123456789abcdef";
    std::string s = "#";
    for (std::uint8_t v : {c.r, c.g, c.b}) {
        s += kHex[v >> 4];
        s += kHex[v & 15];
    }
    return s;
}

std::string pdf_color(const VectorRgb& c) {
    return vector_number(c.r / 255.0, 4) + " " + vector_number(c.g / 255.0, 4) + " " +
           vector_number(c.b / 255.0, 4);
}

std::string pt(const VectorPoint& p) { return vector_number(p.x) + " " + vector_number(p.y); }

std::string svg_data(const VectorPath& path) {
    std::string d;
    for (const VectorSegment& s : path.segments) {
        if (!d.empty()) d += ' ';
        switch (s.kind) {
            case VectorSegment::kMove: d += "M" + pt(s.p[0]); break;
            case VectorSegment::kLine: d += "L" + pt(s.p[0]); break;
            case VectorSegment::kCubic: d += "C" + pt(s.p[0]) + " " + pt(s.p[1]) + " " + pt(s.p[2]); break;
            case VectorSegment::kClose: d += "Z"; break;
        }
    }
    return d;
}

}  // namespace

std::string vector_number(double value, int decimals) {
    // Nothing a reader could take stands for a number that is none.
    if (!std::isfinite(value)) return "0";
    decimals = std::clamp(decimals, 0, 9);
    // The places of the fraction that a 64-bit count of its last place still
    // holds; beyond 1e17 not even whole units do, and a double has no
    // fraction left there anyway: its digits are written as they are.
    while (decimals > 0 && std::fabs(value) * std::pow(10.0, decimals) >= 1e17) --decimals;
    if (std::fabs(value) >= 1e17) {
        char digits[320];  // the largest double has 309 digits
        std::snprintf(digits, sizeof digits, "%.0f", value);
        return digits;
    }
    long long scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    long long units = std::llround(value * static_cast<double>(scale));
    std::string sign;
    if (units < 0) {
        sign = "-";
        units = -units;
    }
    std::string s = sign + std::to_string(units / scale);
    long long fraction = units % scale;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, static_cast<std::size_t>(decimals) - digits.size(), '0');
        while (!digits.empty() && digits.back() == '0') digits.pop_back();
        s += "." + digits;
    }
    return s == "-0" ? "0" : s;
}

std::string write_svg(const VectorDrawing& drawing) {
    const double width_mm = (static_cast<double>(drawing.frame.right) - drawing.frame.left) / 100.0;
    const double height_mm = (static_cast<double>(drawing.frame.bottom) - drawing.frame.top) / 100.0;
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
         vector_number(width_mm) + "mm\" height=\"" + vector_number(height_mm) +
         "mm\" viewBox=\"" + vector_number(drawing.view_x) + " " + vector_number(drawing.view_y) +
         " " + vector_number(drawing.view_width) + " " + vector_number(drawing.view_height) + "\">\n";
    for (const VectorPath& p : drawing.paths) {
        s += "<path d=\"" + svg_data(p) + "\"";
        if (p.fill) {
            s += " fill=\"" + hex_color(p.fill_color) + "\" fill-rule=\"" +
                 (p.even_odd ? "evenodd" : "nonzero") + "\"";
        } else {
            s += " fill=\"none\"";
        }
        if (p.stroke) {
            static const char* kCaps[] = {"round", "square", "butt"};
            static const char* kJoins[] = {"round", "bevel", "miter"};
            s += " stroke=\"" + hex_color(p.stroke_color) + "\" stroke-width=\"" +
                 vector_number(p.stroke_width) + "\" stroke-linecap=\"" + kCaps[static_cast<int>(p.cap)] +
                 "\" stroke-linejoin=\"" + kJoins[static_cast<int>(p.join)] + "\"";
            if (p.join == VectorJoin::kMiter) s += " stroke-miterlimit=\"" + vector_number(p.miter_limit) + "\"";
        }
        s += "/>\n";
    }
    s += "</svg>\n";
    return s;
}

std::string pdf_document(const std::vector<std::string>& objects) {
    std::string pdf = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        const std::string digits = std::to_string(offset);
        pdf += std::string(10 - std::min<std::size_t>(10, digits.size()), '0') + digits + " 00000 n \n";
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string pdf_drawing_content(const VectorDrawing& drawing, double* width_pt, double* height_pt) {
    const double w = (static_cast<double>(drawing.frame.right) - drawing.frame.left) / 100.0 * kPointsPerMm;
    const double h = (static_cast<double>(drawing.frame.bottom) - drawing.frame.top) / 100.0 * kPointsPerMm;
    if (width_pt) *width_pt = w;
    if (height_pt) *height_pt = h;
    // Device units onto [0 0 w h]: scaled to the frame, y turned upwards.
    const double sx = drawing.view_width > 0 ? w / drawing.view_width : 1;
    const double sy = drawing.view_height > 0 ? h / drawing.view_height : 1;
    std::string content = vector_number(sx, 6) + " 0 0 " + vector_number(-sy, 6) + " " +
                          vector_number(-drawing.view_x * sx, 4) + " " +
                          vector_number((drawing.view_y + drawing.view_height) * sy, 4) + " cm\n";
    for (const VectorPath& p : drawing.paths) {
        for (const VectorSegment& s : p.segments) {
            switch (s.kind) {
                case VectorSegment::kMove: content += pt(s.p[0]) + " m\n"; break;
                case VectorSegment::kLine: content += pt(s.p[0]) + " l\n"; break;
                case VectorSegment::kCubic:
                    content += pt(s.p[0]) + " " + pt(s.p[1]) + " " + pt(s.p[2]) + " c\n";
                    break;
                case VectorSegment::kClose: content += "h\n"; break;
            }
        }
        if (p.fill) content += pdf_color(p.fill_color) + " rg\n";
        if (p.stroke) {
            // PDF's caps: 0 butt, 1 round, 2 square; joins: 0 miter, 1 round, 2 bevel.
            static const char* kCaps[] = {"1", "2", "0"};
            static const char* kJoins[] = {"1", "2", "0"};
            content += pdf_color(p.stroke_color) + " RG " + vector_number(p.stroke_width) + " w " +
                       kCaps[static_cast<int>(p.cap)] + " J " + kJoins[static_cast<int>(p.join)] + " j " +
                       vector_number(p.miter_limit) + " M\n";
        }
        const char* star = p.even_odd ? "*" : "";
        if (p.fill && p.stroke) content += std::string("B") + star + "\n";
        else if (p.fill) content += std::string("f") + star + "\n";
        else content += "S\n";
    }
    return content;
}

std::string write_pdf(const VectorDrawing& drawing) {
    double width_pt = 0, height_pt = 0;
    const std::string content = pdf_drawing_content(drawing, &width_pt, &height_pt);
    const std::string box = "0 0 " + vector_number(width_pt) + " " + vector_number(height_pt);
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [" + box +
            "] /Resources << >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
    };
    return pdf_document(objects);
}

}  // namespace markomi
