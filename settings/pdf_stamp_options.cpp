#include "settings/pdf_stamp_options.h"

#include <algorithm>

#include "settings/profile_value.h"

namespace markomi {
namespace {

std::int32_t clamped(std::int32_t v, std::int32_t low, std::int32_t high) { return std::clamp(v, low, high); }

// A thumbprint as Windows shows it (spaces between the digits, lower case)
// in one form, 40 upper-case hex digits; anything else is no certificate.
std::u16string thumbprint_form(std::u16string_view text) {
    std::u16string thumbprint;
    for (char16_t c : text) {
        if (c == u' ') continue;
        if (c >= u'a' && c <= u'f') c = static_cast<char16_t>(c - u'a' + u'A');
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) || thumbprint.size() == kThumbprintLength)
            return std::u16string();
        thumbprint.push_back(c);
    }
    return thumbprint.size() == kThumbprintLength ? thumbprint : std::u16string();
}

}  // namespace

void normalise_pdf_options(PdfStampOptions& o) {
    o.page = clamped(o.page, 0, 3);
    o.position = clamped(o.position, 0, 8);
    o.margin = clamped(o.margin, 0, 100);
    o.open_after = o.open_after != 0 ? 1 : 0;
    o.sign = o.sign != 0 ? 1 : 0;
    o.reason = o.reason == 1 ? 1 : 0;
    o.certificate = thumbprint_form(o.certificate.view());
    // A place from another screen comes back on this one (the window keeps
    // itself on a monitor); a size beyond any screen is none.
    o.window_left = clamped(o.window_left, -100000, 100000);
    o.window_top = clamped(o.window_top, -100000, 100000);
    if (o.window_width <= 0 || o.window_height <= 0 || o.window_width > 100000 || o.window_height > 100000)
        o.window_left = o.window_top = o.window_width = o.window_height = 0;
    std::u16string pages;
    // The signs a page list may hold as typed, full-width ones too, so that a
    // saved "1-3" does not come back as "13".
    for (char16_t c : o.pages.view())
        if ((c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９') ||
            std::u16string_view(u",，、-－～〜 　").find(c) != std::u16string_view::npos)
            pages.push_back(c);
    o.pages = pages.empty() ? std::u16string(u"1") : pages;
}

void load_pdf_options_from(ProfileStore& store, PdfStampOptions& o) {
    o = PdfStampOptions();
    auto number = [&](const char16_t* key, std::int32_t* field) {
        if (std::optional<std::u16string> v = store.read(kPdfSection, key)) *field = parse_profile_int(*v);
    };
    number(u"PAGE", &o.page);
    if (std::optional<std::u16string> v = store.read(kPdfSection, u"PAGES")) o.pages = *v;
    number(u"POSITION", &o.position);
    number(u"MARGIN", &o.margin);
    number(u"OPEN", &o.open_after);
    number(u"WINLEFT", &o.window_left);
    number(u"WINTOP", &o.window_top);
    number(u"WINWIDTH", &o.window_width);
    number(u"WINHEIGHT", &o.window_height);
    // Put in form before it is kept, so that a thumbprint with spaces is not cut.
    if (std::optional<std::u16string> v = store.read(kPdfSection, u"CERTIFICATE")) o.certificate = thumbprint_form(*v);
    number(u"SIGN", &o.sign);
    number(u"REASON", &o.reason);
    normalise_pdf_options(o);
}

bool save_pdf_options_to(ProfileStore& store, const PdfStampOptions& o) {
    const PdfStampOptions defaults;
    const bool changed = o.page != defaults.page || o.pages != defaults.pages.view() ||
                         o.position != defaults.position || o.margin != defaults.margin ||
                         o.open_after != defaults.open_after || o.window_width > 0 ||
                         !o.certificate.empty() || o.sign != defaults.sign || o.reason != defaults.reason;
    if (!changed && !store.read(kPdfSection, u"PAGE")) return true;
    bool ok = store.write(kPdfSection, u"PAGE", profile_int_text(o.page));
    ok = store.write(kPdfSection, u"PAGES", profile_text_value(o.pages.view())) && ok;
    ok = store.write(kPdfSection, u"POSITION", profile_int_text(o.position)) && ok;
    ok = store.write(kPdfSection, u"MARGIN", profile_int_text(o.margin)) && ok;
    ok = store.write(kPdfSection, u"OPEN", profile_int_text(o.open_after)) && ok;
    ok = store.write(kPdfSection, u"CERTIFICATE", profile_text_value(o.certificate.view())) && ok;
    ok = store.write(kPdfSection, u"SIGN", profile_int_text(o.sign)) && ok;
    ok = store.write(kPdfSection, u"REASON", profile_int_text(o.reason)) && ok;
    if (o.window_width > 0) {
        ok = store.write(kPdfSection, u"WINLEFT", profile_int_text(o.window_left)) && ok;
        ok = store.write(kPdfSection, u"WINTOP", profile_int_text(o.window_top)) && ok;
        ok = store.write(kPdfSection, u"WINWIDTH", profile_int_text(o.window_width)) && ok;
        ok = store.write(kPdfSection, u"WINHEIGHT", profile_int_text(o.window_height)) && ok;
    }
    return ok;
}

}  // namespace markomi
