// Poppler's glue for drawing pages: the document opened by its wide path,
// its facts read, one page drawn by SplashOutputDev as pdftoppm draws it
// (RGB, white paper, anti-aliased).
#include "output/pdf_stamp/pdf_render_poppler.h"

#include <Form.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <poppler/Error.h>
#include <splash/SplashBitmap.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace markomi {
namespace {

constexpr double kMmPerPoint = 25.4 / 72;

// Standard output carries the one JSON line: poppler's complaints about a
// damaged file go nowhere.
void quiet(ErrorCategory, Goffset, const char*) {}

bool starts_as_pdf(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    char head[1024];
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    const char kMark[] = "%PDF-";
    for (std::size_t i = 0; i + 5 <= got; ++i)
        if (std::memcmp(head + i, kMark, 5) == 0) return true;
    return false;
}

bool has_signed_field(PDFDoc& doc) {
    for (FormFieldSignature* field : doc.getSignatureFields()) {
        const GooString* value = field ? field->getSignature() : nullptr;
        if (value && value->getLength() > 0) return true;
    }
    return false;
}

}  // namespace

const char16_t* pdf_render_refusal_name(PdfRenderRefusal refusal) {
    switch (refusal) {
        case PdfRenderRefusal::kNone: return u"";
        case PdfRenderRefusal::kNotPdf: return u"not-pdf";
        case PdfRenderRefusal::kPassword: return u"password";
        case PdfRenderRefusal::kUnreadable: return u"unreadable";
        case PdfRenderRefusal::kNoSuchPage: return u"no-such-page";
        case PdfRenderRefusal::kMissing: return u"missing";
        case PdfRenderRefusal::kLocked: return u"locked";
        case PdfRenderRefusal::kTooLarge: return u"too-large";
    }
    return u"unreadable";
}

PdfPageRender render_pdf_page(const std::wstring& path, int page, int dpi) {
    PdfPageRender result;
    result.page = page;
    if (!starts_as_pdf(path)) {
        result.refusal = PdfRenderRefusal::kNotPdf;
        return result;
    }
    setErrorCallback(&quiet);
    if (!globalParams) {
        globalParams = std::make_unique<GlobalParams>();
        globalParams->setErrQuiet(true);
    }
    std::wstring name = path;
    PDFDoc doc(name.data(), static_cast<int>(name.size()));
    if (!doc.isOk()) {
        result.refusal = doc.getErrorCode() == errEncrypted ? PdfRenderRefusal::kPassword
                                                             : PdfRenderRefusal::kUnreadable;
        return result;
    }
    result.pages = doc.getNumPages();
    if (page < 1 || page > result.pages) {
        result.refusal = PdfRenderRefusal::kNoSuchPage;
        return result;
    }
    result.rotation = ((doc.getPageRotate(page) % 360) + 360) % 360;
    const bool turned = result.rotation == 90 || result.rotation == 270;
    const double crop_w = doc.getPageCropWidth(page), crop_h = doc.getPageCropHeight(page);
    result.width_mm = (turned ? crop_h : crop_w) * kMmPerPoint;
    result.height_mm = (turned ? crop_w : crop_h) * kMmPerPoint;
    result.forbids_changes = doc.isEncrypted() && !doc.okToChange();
    result.is_signed = has_signed_field(doc);
    if (dpi <= 0) return result;

    // Sized as pdftoppm sizes its pictures: the visible page at that
    // resolution, rounded up, drawn as one slice of the crop box.
    const double w_px = result.width_mm / kMmPerPoint * dpi / 72, h_px = result.height_mm / kMmPerPoint * dpi / 72;
    if (!(w_px > 0 && h_px > 0 && w_px * h_px <= static_cast<double>(kRenderMaxPixels))) {
        result.refusal = PdfRenderRefusal::kTooLarge;
        return result;
    }
    const int w = static_cast<int>(std::ceil(w_px)), h = static_cast<int>(std::ceil(h_px));
    if (static_cast<long long>(w) * h > kRenderMaxPixels) {
        result.refusal = PdfRenderRefusal::kTooLarge;
        return result;
    }
    SplashColor paper{0xFF, 0xFF, 0xFF};
    SplashOutputDev device(splashModeRGB8, 1, false, paper);
    device.setFontAntialias(true);
    device.setVectorAntialias(true);
    device.startDoc(&doc);
    doc.displayPageSlice(&device, page, dpi, dpi, 0, false, false, false, 0, 0, w, h);
    SplashBitmap* bitmap = device.getBitmap();
    if (!bitmap || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0 ||
        static_cast<long long>(bitmap->getWidth()) * bitmap->getHeight() > kRenderMaxPixels) {
        result.refusal = PdfRenderRefusal::kUnreadable;
        return result;
    }
    result.width_px = bitmap->getWidth();
    result.height_px = bitmap->getHeight();
    const std::size_t row = static_cast<std::size_t>(result.width_px) * 3;
    result.rgb.resize(row * static_cast<std::size_t>(result.height_px));
    for (int y = 0; y < result.height_px; ++y)
        std::memcpy(result.rgb.data() + row * static_cast<std::size_t>(y),
                    bitmap->getDataPtr() + static_cast<std::ptrdiff_t>(y) * bitmap->getRowSize(), row);
    return result;
}

}  // namespace markomi
