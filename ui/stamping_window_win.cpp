#include "ui/stamping_window_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "base/gdi_handles_win.h"
#include "base/message_box_title.h"
#include "base/modal_flow_win.h"
#include "base/process_globals_win.h"
#include "base/safe_file_win.h"
#include "base/wide_text_win.h"
#include "output/emf/metafile_output_win.h"
#include "output/raster/image_file_rules.h"
#include "output/vector/vector_writers.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "settings/pdf_stamp_options.h"
#include "settings/settings_files_win.h"
#include "ui/centred_dialogs_win.h"
#include "ui/help_win.h"
#include "ui/page_render_win.h"
#include "ui/pdf_stamp_win.h"
#include "ui/stamp_date_win.h"
#include "ui/stamping_choices_win.h"
#include "ui/stamping_found_win.h"
#include "ui/stamping_signing_win.h"
#include "ui/stamping_summary_win.h"
#include "ui/stamping_window_ids.h"
#include "ui/window_fonts_win.h"

namespace markomi {
namespace {

constexpr wchar_t kOpenTitle[] = L"捺印する PDF を開く";
constexpr wchar_t kSaveTitle[] = L"捺印した PDF の保存";
constexpr wchar_t kPdfFilter[] = L"PDF ファイル (*.pdf)\0*.pdf\0すべてのファイル (*.*)\0*.*\0";
constexpr wchar_t kNotFitting[] =
    L"スタンプ全体がページに収まりません。位置か余白を変えてください。";
constexpr wchar_t kNothingToStamp[] = L"捺印できる PDF がありません。";
constexpr wchar_t kCompanionMissing[] =
    L"PDF への捺印に使う Markomi2Stamp.exe を実行できませんでした。\n"
    L"マルコミ２を入れ直してください。";
constexpr wchar_t kNoCertificate[] =
    L"署名に使う証明書を選んでください。\n証明書がないときは「証明書を作る…」で作れます。";
constexpr wchar_t kRewriteQuestion[] =
    L"次の PDF は、壊れているか暗号化されているため、印影を後ろに追記できません。\n\n";
constexpr wchar_t kRewriteOffer[] =
    L"\n「印影を文書に埋め込む（署名なし）」で捺印しますか？\n"
    L"文書全体を書き直すので、電子署名があれば写しでは無効になります。";
constexpr wchar_t kReplaceQuestion[] =
    L"捺印した PDF と同じ名前のファイルがすでにあります。\n\n"
    L"はい: 置き換えます\nいいえ: 「(2)」などを付けた名前で保存します";
constexpr std::size_t kFileNameCapacity = 32768;
constexpr std::size_t kMostPictures = 6;  // a few pages kept: the shown one and those around it
constexpr double kArrowStepMm = 1, kShiftArrowStepMm = 5;

using ChoicesPanel = StampingChoicesPanel;
using Choice = StampingChoice;

// ---- What the window holds ------------------------------------------------------

struct Document {
    std::wstring path;
    bool checked = false;  // the companion's first reply came
    PdfRefusal refusal = PdfRefusal::kNone;
    int pages = 0;
    std::map<int, std::pair<double, double>> sizes;  // page -> visible width, height in mm
};

struct Picture {
    std::wstring document;
    int page = 0, dpi = 0;
    GdiObject<HBITMAP> bitmap;
    int width = 0, height = 0;
    unsigned long long used = 0;
};

struct Controls {
    HWND view = nullptr, documents = nullptr, add = nullptr, remove = nullptr;
    HWND previous = nullptr, next = nullptr, page_count = nullptr;
    HWND page_choice[4] = {}, pages_text = nullptr, pages_problem = nullptr;
    HWND places[9] = {}, margin_label = nullptr, margin_text = nullptr, margin_unit = nullptr;
    HWND flatten = nullptr;
    HWND open_after = nullptr, status = nullptr, save = nullptr, cancel = nullptr, help = nullptr;
    HWND pages_label = nullptr, place_label = nullptr;
};

struct StampingWindow {
    HWND hwnd = nullptr;
    Controls c;
    GdiObject<HFONT> font;
    int line = 16;  // the font's line height
    ChoicesPanel panel;
    StampingSigningPanel signing;
    StampingFoundPanel found;  // the stamps and signatures already on the documents
    std::unique_ptr<PageRenderer> renderer;
    std::vector<Document> documents;
    int shown = -1;  // index into documents
    int page = 1;
    std::vector<Picture> pictures;
    unsigned long long use_clock = 0;
    PdfPosition place;
    VectorDrawing stamp;
    double stamp_w_mm = 0, stamp_h_mm = 0;
    bool hovering = false, dragging = false;
    POINT mouse{};
    bool saving = false;
    int column_height = 0;  // the client height the side column needs, a line of status in it
};

StampingWindow* g_window = nullptr;

HWND make_control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                  DWORD ex = 0) {
    HWND w =
        CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
    SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(g_window->font.get()), FALSE);
    return w;
}

std::wstring file_name_of(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring window_text(HWND w) {
    wchar_t text[256] = L"";
    GetWindowTextW(w, text, 256);
    return text;
}

Document* shown_document(StampingWindow& s) {
    return s.shown >= 0 && s.shown < static_cast<int>(s.documents.size()) ? &s.documents[s.shown]
                                                                          : nullptr;
}

// The shown page's visible size in mm, once known.
std::optional<std::pair<double, double>> shown_page_size(StampingWindow& s) {
    Document* d = shown_document(s);
    if (!d) return std::nullopt;
    const auto found = d->sizes.find(s.page);
    if (found == d->sizes.end()) return std::nullopt;
    return found->second;
}

PageFit shown_fit(StampingWindow& s) {
    const std::optional<std::pair<double, double>> size = shown_page_size(s);
    RECT client{};
    GetClientRect(s.c.view, &client);
    if (!size) return PageFit{};
    return fit_page(client.right, client.bottom, size->first, size->second, kPageViewBorder);
}

// ---- The stamp ------------------------------------------------------------------

Choice current_choice(StampingWindow& s) {
    return s.panel.choice();
}

StampDate date_to_stamp(const Choice& choice) {
    if (choice.day) return *choice.day;
    return stamp_clock_today();
}

// The chosen design with the chosen date, as the companion will draw it.
void refresh_stamp(StampingWindow& s) {
    const Choice choice = current_choice(s);
    SettingsSet set = g_settings;
    set.date = date_to_stamp(choice);
    VectorDrawing drawing;
    if (capture_stamp_drawing(set, choice.slot, &drawing) && drawing.ok) {
        s.stamp = drawing;
        pdf_drawing_content(drawing, &s.stamp_w_mm, &s.stamp_h_mm);
        s.stamp_w_mm *= 25.4 / 72;
        s.stamp_h_mm *= 25.4 / 72;
    } else {
        s.stamp = VectorDrawing();
        s.stamp_w_mm = s.stamp_h_mm = 0;
    }
}

Gdiplus::ARGB colour_of(const VectorRgb& c, bool grey, BYTE alpha) {
    BYTE r = c.r, g = c.g, b = c.b;
    if (grey) r = g = b = static_cast<BYTE>(160 + (c.r * 3 + c.g * 6 + c.b) / 10 * 80 / 255);
    return (static_cast<Gdiplus::ARGB>(alpha) << 24) | (r << 16) | (g << 8) | b;
}

// The captured drawing over `box` (view pixels): the same paths the PDF
// form is made of, so what the window shows is what is printed.
void draw_stamp(HDC dc, const VectorDrawing& drawing, const ViewRect& box, bool grey, BYTE alpha) {
    if (!drawing.ok || drawing.view_width <= 0 || drawing.view_height <= 0) return;
    Gdiplus::GpGraphics* raw = nullptr;
    if (gdip::GdipCreateFromHDC(dc, &raw) != Gdiplus::Ok) return;
    GdipGraphicsPtr graphics(raw);
    gdip::GdipSetSmoothingMode(raw, Gdiplus::SmoothingModeAntiAlias);
    gdip::GdipTranslateWorldTransform(raw, static_cast<Gdiplus::REAL>(box.left),
                                      static_cast<Gdiplus::REAL>(box.top),
                                      Gdiplus::MatrixOrderPrepend);
    gdip::GdipScaleWorldTransform(
        raw, static_cast<Gdiplus::REAL>((box.right - box.left) / drawing.view_width),
        static_cast<Gdiplus::REAL>((box.bottom - box.top) / drawing.view_height),
        Gdiplus::MatrixOrderPrepend);
    gdip::GdipTranslateWorldTransform(raw, static_cast<Gdiplus::REAL>(-drawing.view_x),
                                      static_cast<Gdiplus::REAL>(-drawing.view_y),
                                      Gdiplus::MatrixOrderPrepend);
    for (const VectorPath& p : drawing.paths) {
        Gdiplus::GpPath* raw_path = nullptr;
        if (gdip::GdipCreatePath(p.even_odd ? Gdiplus::FillModeAlternate : Gdiplus::FillModeWinding,
                                 &raw_path) != Gdiplus::Ok)
            continue;
        GdipPathPtr path(raw_path);
        VectorPoint at{};
        auto f = [](double v) { return static_cast<Gdiplus::REAL>(v); };
        for (const VectorSegment& seg : p.segments) {
            switch (seg.kind) {
                case VectorSegment::kMove:
                    gdip::GdipStartPathFigure(raw_path);
                    at = seg.p[0];
                    break;
                case VectorSegment::kLine:
                    gdip::GdipAddPathLine(raw_path, f(at.x), f(at.y), f(seg.p[0].x), f(seg.p[0].y));
                    at = seg.p[0];
                    break;
                case VectorSegment::kCubic:
                    gdip::GdipAddPathBezier(raw_path, f(at.x), f(at.y), f(seg.p[0].x),
                                            f(seg.p[0].y), f(seg.p[1].x), f(seg.p[1].y),
                                            f(seg.p[2].x), f(seg.p[2].y));
                    at = seg.p[2];
                    break;
                case VectorSegment::kClose:
                    gdip::GdipClosePathFigure(raw_path);
                    break;
            }
        }
        if (p.fill) {
            Gdiplus::GpSolidFill* brush = nullptr;
            if (gdip::GdipCreateSolidFill(colour_of(p.fill_color, grey, alpha), &brush) ==
                Gdiplus::Ok) {
                GdipBrushPtr owned(brush);
                gdip::GdipFillPath(raw, brush, raw_path);
            }
        }
        if (p.stroke) {
            Gdiplus::GpPen* pen = nullptr;
            if (gdip::GdipCreatePen1(colour_of(p.stroke_color, grey, alpha), f(p.stroke_width),
                                     Gdiplus::UnitWorld, &pen) == Gdiplus::Ok) {
                GdipPenPtr owned(pen);
                const Gdiplus::LineCap cap = p.cap == VectorCap::kRound    ? Gdiplus::LineCapRound
                                             : p.cap == VectorCap::kSquare ? Gdiplus::LineCapSquare
                                                                           : Gdiplus::LineCapFlat;
                gdip::GdipSetPenLineCap197819(pen, cap, cap, Gdiplus::DashCapFlat);
                gdip::GdipSetPenLineJoin(pen, p.join == VectorJoin::kRound ? Gdiplus::LineJoinRound
                                              : p.join == VectorJoin::kBevel
                                                  ? Gdiplus::LineJoinBevel
                                                  : Gdiplus::LineJoinMiter);
                gdip::GdipSetPenMiterLimit(pen, f(p.miter_limit));
                gdip::GdipDrawPath(raw, pen, raw_path);
            }
        }
    }
}

// Where the kept place puts the stamp on the shown page, and whether it fits.
std::optional<PdfMmPoint> placed_centre(StampingWindow& s, bool* fits) {
    *fits = false;
    const std::optional<std::pair<double, double>> size = shown_page_size(s);
    if (!size || s.stamp_w_mm <= 0) return std::nullopt;
    const std::optional<PdfMmPoint> centre =
        stamp_centre_on_page(s.place, size->first, size->second, s.stamp_w_mm, s.stamp_h_mm);
    if (centre)
        *fits = stamp_fits_page(size->first, size->second, s.stamp_w_mm, s.stamp_h_mm, *centre);
    return centre;
}

// ---- Status, buttons, texts -----------------------------------------------------

bool can_be_stamped(const Document& d) {
    return d.checked && d.refusal == PdfRefusal::kNone;
}

int page_choice_now(StampingWindow& s) {
    for (int i = 0; i < 4; ++i)
        if (Button_GetCheck(s.c.page_choice[i]) == BST_CHECKED) return i;
    return 0;
}

void refresh_state(StampingWindow& s) {
    bool fits = false;
    const std::optional<PdfMmPoint> centre = placed_centre(s, &fits);
    Document* d = shown_document(s);
    std::wstring status;
    if (!d) {
        status = L"PDF を追加してください。";
    } else if (d->checked && d->refusal != PdfRefusal::kNone) {
        PdfStampResult r;
        r.refusal = d->refusal;
        status = to_wide(pdf_refusal_japanese(r));
    } else if (!d->checked || !shown_page_size(s)) {
        status = L"ページを読み込んでいます…";
    } else if (centre && !fits) {
        status = kNotFitting;
    }
    SetWindowTextW(s.c.status, status.c_str());
    const std::u16string problem =
        page_choice_now(s) == 3
            ? page_list_problem(as_u16(std::wstring_view(window_text(s.c.pages_text))),
                                d && d->checked ? d->pages : 0)
            : std::u16string();
    SetWindowTextW(s.c.pages_problem, to_wide(problem).c_str());
    bool any = false;
    for (const Document& doc : s.documents) any = any || can_be_stamped(doc);
    EnableWindow(s.c.save, any && centre && fits && problem.empty() && !s.saving);
    EnableWindow(s.c.pages_text, page_choice_now(s) == 3);
    const int pages = d && d->checked ? d->pages : 0;
    SetWindowTextW(s.c.page_count,
                   pages > 0 ? to_wide(page_count_text(s.page, pages)).c_str() : L"");
    EnableWindow(s.c.previous, s.page > 1);
    EnableWindow(s.c.next, s.page < pages);
    EnableWindow(s.c.remove, SendMessageW(s.c.documents, LB_GETCURSEL, 0, 0) >= 0);
    InvalidateRect(s.c.view, nullptr, FALSE);
}

std::wstring list_line(const Document& d) {
    std::wstring line = file_name_of(d.path);
    if (!d.checked) return line + L"  (確認中)";
    if (d.refusal != PdfRefusal::kNone) {
        PdfStampResult r;
        r.refusal = d.refusal;
        std::wstring reason = to_wide(pdf_refusal_japanese(r));
        return line + L"  × " + reason.substr(0, reason.find(L'\n'));
    }
    return line + L"  (" + std::to_wstring(d.pages) + L" ページ)";
}

void refresh_list(StampingWindow& s) {
    const LRESULT selected = SendMessageW(s.c.documents, LB_GETCURSEL, 0, 0);
    SendMessageW(s.c.documents, WM_SETREDRAW, FALSE, 0);
    SendMessageW(s.c.documents, LB_RESETCONTENT, 0, 0);
    for (const Document& d : s.documents)
        SendMessageW(s.c.documents, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(list_line(d).c_str()));
    SendMessageW(s.c.documents, LB_SETCURSEL,
                 static_cast<WPARAM>(selected >= 0 ? selected : s.shown), 0);
    SendMessageW(s.c.documents, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(s.c.documents, nullptr, TRUE);
}

// ---- Pages: asked of the companion, kept, drawn -----------------------------------

Picture* kept_picture(StampingWindow& s, const std::wstring& document, int page) {
    for (Picture& p : s.pictures)
        if (p.document == document && p.page == page) return &p;
    return nullptr;
}

// Asks for the shown page and the two after it at the view's resolution,
// unless a picture close enough to it is kept or on its way.
void request_pages(StampingWindow& s) {
    Document* d = shown_document(s);
    if (!d || !can_be_stamped(*d) || !s.renderer) return;
    std::optional<std::pair<double, double>> size = shown_page_size(s);
    if (!size && !d->sizes.empty())
        size = d->sizes.begin()->second;  // its first page's, until its own comes
    if (!size) return;
    RECT client{};
    GetClientRect(s.c.view, &client);
    const int dpi = render_dpi_for(
        fit_page(client.right, client.bottom, size->first, size->second, kPageViewBorder));
    for (int page : pages_to_draw(s.page, d->pages)) {
        const Picture* kept = kept_picture(s, d->path, page);
        if (kept && !render_is_stale(kept->dpi, dpi)) continue;
        if (!s.renderer->pending(d->path, page, dpi)) s.renderer->request(d->path, page, dpi);
    }
}

void show_page(StampingWindow& s, int document, int page) {
    s.shown = document;
    s.page = std::max(1, page);
    const Document* d = shown_document(s);
    s.found.show(d ? d->path : std::wstring());
    request_pages(s);
    refresh_state(s);
}

// The PNG into a bitmap of the screen's kind, through GDI+ as the rest of
// the program reads pictures; the file goes at once.
void keep_picture(StampingWindow& s, const PageRenderDone& done) {
    Gdiplus::GpBitmap* bitmap = nullptr;
    HBITMAP made = nullptr;
    if (gdip::GdipCreateBitmapFromFile(done.picture.c_str(), &bitmap) == Gdiplus::Ok) {
        GdipImagePtr owned(bitmap);
        gdip::GdipCreateHBITMAPFromBitmap(bitmap, &made, 0xFFFFFFFF);
    }
    s.renderer->discard(done.picture);
    if (!made) return;
    Picture* p = kept_picture(s, done.job.document, done.job.page);
    if (!p) {
        s.pictures.emplace_back();
        p = &s.pictures.back();
    }
    p->document = done.job.document;
    p->page = done.job.page;
    p->dpi = done.job.dpi;
    p->bitmap.reset(made);
    p->width = done.reply.width_px;
    p->height = done.reply.height_px;
    p->used = ++s.use_clock;
    // Bounded: the least recently shown go first, never the shown one.
    while (s.pictures.size() > kMostPictures) {
        auto oldest = s.pictures.end();
        const Document* d = shown_document(s);
        for (auto it = s.pictures.begin(); it != s.pictures.end(); ++it) {
            if (d && it->document == d->path && it->page == s.page) continue;
            if (oldest == s.pictures.end() || it->used < oldest->used) oldest = it;
        }
        if (oldest == s.pictures.end()) break;
        s.pictures.erase(oldest);
    }
}

void OnPageRendered(StampingWindow& s, int id) {
    if (!s.renderer) return;
    const std::optional<PageRenderDone> done = s.renderer->finish(id);
    if (!done) return;
    if (done->job.verify) {
        s.found.verified(done->job.document, done->verified);
        InvalidateRect(s.c.view, nullptr, FALSE);
        return;
    }
    auto found = std::find_if(s.documents.begin(), s.documents.end(),
                              [&](const Document& d) { return d.path == done->job.document; });
    if (found == s.documents.end()) {
        s.renderer->discard(done->picture);
        return;
    }
    Document& d = *found;
    const PdfRenderReply& r = done->reply;
    if (!d.checked) {
        d.checked = true;
        d.refusal = refusal_at_open(r);
        d.pages = r.pages;
        refresh_list(s);
    }
    if (r.answered && r.refusal == PdfRefusal::kNone && r.width_mm > 0 && r.height_mm > 0)
        d.sizes[r.page] = {r.width_mm, r.height_mm};
    if (!done->picture.empty()) keep_picture(s, *done);
    const int index = static_cast<int>(found - s.documents.begin());
    // The first document that can be stamped is shown as soon as it is known.
    if (s.shown < 0 || (index == s.shown && done->job.dpi == 0)) {
        if (can_be_stamped(d)) {
            SendMessageW(s.c.documents, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
            show_page(s, index, 1);
            return;
        }
    }
    if (index == s.shown) request_pages(s);
    refresh_state(s);
}

void add_documents(StampingWindow& s, const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths) {
        if (std::any_of(s.documents.begin(), s.documents.end(),
                        [&](const Document& d) { return d.path == path; }))
            continue;
        // The first document is drawn at once at the scale of an upright A4
        // page, the usual one: a single run of the companion tells what it is
        // and brings its first page. A page of another size is drawn again at
        // its own scale when that reply comes.
        int dpi = 0;
        if (s.documents.empty() && s.shown < 0) {
            RECT client{};
            GetClientRect(s.c.view, &client);
            const PageFit a4 = fit_page(client.right, client.bottom, 210, 297, kPageViewBorder);
            if (a4.px_per_mm > 0) dpi = render_dpi_for(a4);
        }
        Document d;
        d.path = path;
        s.documents.push_back(d);
        // Checked at once: a refusal shows in the list before any choice is made.
        if (!s.renderer || s.renderer->request(path, 1, dpi) == 0) {
            s.documents.back().checked = true;
            s.documents.back().refusal = PdfRefusal::kUnreadable;
        }
        // Its stamps and signatures, read beside its pages.
        s.found.checking(path);
        if (!s.renderer || s.renderer->request_verify(path) == 0) s.found.verified(path, u"");
    }
    refresh_list(s);
    refresh_state(s);
}

void paint_view(StampingWindow& s, HDC target, const RECT& client) {
    HDC dc = CreateCompatibleDC(target);
    GdiObject<HBITMAP> canvas(
        CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom)));
    {
        SelectedObject selected(dc, canvas.get());
        FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
        const PageFit fit = shown_fit(s);
        Document* d = shown_document(s);
        if (fit.px_per_mm > 0 && d) {
            RECT page{static_cast<LONG>(fit.left), static_cast<LONG>(fit.top),
                      static_cast<LONG>(fit.left + fit.width_px),
                      static_cast<LONG>(fit.top + fit.height_px)};
            FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            if (Picture* p = kept_picture(s, d->path, s.page)) {
                p->used = ++s.use_clock;
                HDC source = CreateCompatibleDC(dc);
                {
                    SelectedObject picture(source, p->bitmap.get());
                    SetStretchBltMode(dc, HALFTONE);
                    SetBrushOrgEx(dc, 0, 0, nullptr);
                    StretchBlt(dc, page.left, page.top, page.right - page.left,
                               page.bottom - page.top, source, 0, 0, p->width, p->height, SRCCOPY);
                }
                DeleteDC(source);
            }
            FrameRect(dc, &page, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
            s.found.draw_marks(dc, fit, s.page);
            bool fits = false;
            if (const std::optional<PdfMmPoint> centre = placed_centre(s, &fits))
                draw_stamp(dc, s.stamp, stamp_box_in_view(fit, *centre, s.stamp_w_mm, s.stamp_h_mm),
                           !fits, 255);
            if (s.hovering && !s.dragging) {
                const PdfMmPoint at = page_point_mm(fit, s.mouse.x, s.mouse.y);
                const auto size = shown_page_size(s);
                const bool hover_fits = size && stamp_fits_page(size->first, size->second,
                                                                s.stamp_w_mm, s.stamp_h_mm, at);
                draw_stamp(dc, s.stamp, stamp_box_in_view(fit, at, s.stamp_w_mm, s.stamp_h_mm),
                           !hover_fits, 110);
            }
        }
        if (GetFocus() == s.c.view) {
            RECT ring = client;
            InflateRect(&ring, -2, -2);
            DrawFocusRect(dc, &ring);
        }
        BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    }
    DeleteDC(dc);
}

// ---- The place ------------------------------------------------------------------

void put_stamp_at(StampingWindow& s, int x, int y) {
    const std::optional<std::pair<double, double>> size = shown_page_size(s);
    const PageFit fit = shown_fit(s);
    if (!size || fit.px_per_mm <= 0) return;
    const PdfMmPoint at = page_point_mm(fit, x, y);
    s.place = position_from_nearest_corner(size->first, size->second, at.x_mm, at.y_mm);
    refresh_state(s);
}

void nudge_stamp(StampingWindow& s, double dx, double dy) {
    const std::optional<std::pair<double, double>> size = shown_page_size(s);
    if (!size) return;
    s.place =
        nudged_position(s.place, size->first, size->second, s.stamp_w_mm, s.stamp_h_mm, dx, dy);
    refresh_state(s);
}

std::optional<double> margin_now(StampingWindow& s) {
    const std::optional<double> m =
        parse_millimetres(as_u16(std::wstring_view(window_text(s.c.margin_text))));
    if (!m || *m > 100) return std::nullopt;
    return m;
}

void choose_quick_place(StampingWindow& s, int index) {
    s.place = PdfPosition();
    s.place.anchor = static_cast<PdfAnchor>(index);
    s.place.margin_mm = margin_now(s).value_or(10);
    refresh_state(s);
}

void step_page(StampingWindow& s, int by) {
    Document* d = shown_document(s);
    if (!d || !d->checked) return;
    const int page = std::clamp(s.page + by, 1, std::max(1, d->pages));
    if (page != s.page) show_page(s, s.shown, page);
}

LRESULT OnViewKey(StampingWindow& s, WPARAM key) {
    const double step = GetKeyState(VK_SHIFT) < 0 ? kShiftArrowStepMm : kArrowStepMm;
    switch (key) {
        case VK_LEFT:
            nudge_stamp(s, -step, 0);
            break;
        case VK_RIGHT:
            nudge_stamp(s, step, 0);
            break;
        case VK_UP:
            nudge_stamp(s, 0, -step);
            break;
        case VK_DOWN:
            nudge_stamp(s, 0, step);
            break;
        case VK_PRIOR:
            step_page(s, -1);
            break;
        case VK_NEXT:
            step_page(s, 1);
            break;
        default:
            return 1;
    }
    return 0;
}

LRESULT CALLBACK PageViewProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    StampingWindow* s = g_window;
    if (!s) return DefWindowProcW(hwnd, msg, wparam, lparam);
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client{};
            GetClientRect(hwnd, &client);
            paint_view(*s, dc, client);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE: {
            s->mouse = POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            if (!s->hovering) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
                TrackMouseEvent(&track);
                s->hovering = true;
            }
            // Drawn again from the kept picture: a mouse move never asks for a page.
            if (s->dragging) put_stamp_at(*s, s->mouse.x, s->mouse.y);
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        }
        case WM_MOUSELEAVE:
            s->hovering = false;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            SetCapture(hwnd);
            s->dragging = true;
            put_stamp_at(*s, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
            return 0;
        case WM_LBUTTONUP:
            if (s->dragging) put_stamp_at(*s, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
            s->dragging = false;
            ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            s->dragging = false;
            return 0;
        case WM_MOUSEWHEEL:
            step_page(*s, GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? -1 : 1);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_KEYDOWN:
            if (OnViewKey(*s, wparam) == 0) return 0;
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// ---- Files ----------------------------------------------------------------------

OPENFILENAMEW pdf_file_dialog(HWND owner, const wchar_t* title, std::vector<wchar_t>& file) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kPdfFilter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title;
    dialog.lpstrDefExt = L"pdf";
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    return dialog;
}

// Several files: the folder, then each name, NUL-separated; one file: its path.
std::vector<std::wstring> ask_pdfs_to_open(HWND owner) {
    // One file dialog of the program at a time (base/modal_flow_win.h).
    const ModalFlow flow;
    if (!flow.entered()) return {};
    std::vector<wchar_t> file(kFileNameCapacity, L'\0');
    OPENFILENAMEW dialog = pdf_file_dialog(owner, kOpenTitle, file);
    dialog.Flags |= OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT;
    if (!GetOpenFileNameW(&dialog)) return {};
    std::vector<std::wstring> parts;
    for (const wchar_t* p = file.data(); p < file.data() + file.size() && *p; p += wcslen(p) + 1)
        parts.push_back(p);
    if (parts.size() <= 1) return parts;
    std::vector<std::wstring> paths;
    const std::wstring folder = parts[0].back() == L'\\' ? parts[0] : parts[0] + L"\\";
    for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + parts[i]);
    return paths;
}

bool file_exists(const std::u16string& path) {
    return GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The copy's name for one document: offered beside the original, a taken
// name numbered; asked again while it names the original; an existing file
// replaced only on a yes.
std::optional<std::wstring> ask_stamped_name(HWND owner, const std::wstring& input,
                                             std::wstring start) {
    if (start.empty())
        start = to_wide(unused_stamped_pdf_name(as_u16(std::wstring_view(input)), file_exists));
    if (start.empty()) start = to_wide(stamped_pdf_name(as_u16(std::wstring_view(input))));
    for (;;) {
        std::vector<wchar_t> file(kFileNameCapacity, L'\0');
        lstrcpynW(file.data(), start.c_str(), static_cast<int>(file.size()));
        OPENFILENAMEW dialog = pdf_file_dialog(owner, kSaveTitle, file);
        if (!GetSaveFileNameW(&dialog)) return std::nullopt;
        const std::wstring path = file.data();
        start = path;
        if (same_existing_file(path, input)) {
            PdfStampResult same;
            same.refusal = PdfRefusal::kSameFile;
            centred_message_box(owner, to_wide(pdf_refusal_japanese(same)).c_str(), kMessageBoxTitle,
                        MB_OK | MB_ICONWARNING);
            continue;
        }
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return path;
        const std::wstring question =
            to_wide(replace_file_question(as_u16(std::wstring_view(path))));
        if (centred_message_box(owner, question.c_str(), kMessageBoxTitle,
                        MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
            return path;
    }
}

// ---- Saving ---------------------------------------------------------------------

PdfStampOptions options_now(StampingWindow& s) {
    PdfStampOptions o = g_settings.pdf;
    o.page = page_choice_now(s);
    if (o.page == 3) o.pages = as_u16(std::wstring_view(window_text(s.c.pages_text)));
    if (s.place.anchor != PdfAnchor::kFromCorner && s.place.anchor != PdfAnchor::kPoint)
        o.position = static_cast<int>(s.place.anchor);
    if (const std::optional<double> m = margin_now(s)) o.margin = static_cast<std::int32_t>(*m);
    o.open_after = Button_GetCheck(s.c.open_after) == BST_CHECKED ? 1 : 0;
    s.signing.store(o);
    return o;
}

struct SaveItem {
    std::wstring input, output;
    std::optional<PdfStampReply> reply;
};

std::optional<PdfStampReply> stamp_one(StampingWindow& s, const SaveItem& item,
                                       const PdfStampOptions& options, bool flatten,
                                       bool allow_signed) {
    const Choice choice = current_choice(s);
    PdfStampRequest request;
    request.slot = choice.slot + 1;
    request.date = date_to_stamp(choice);
    request.input = as_u16(std::wstring_view(item.input));
    request.output = as_u16(std::wstring_view(item.output));
    request.options = options;
    if (s.place.anchor == PdfAnchor::kFromCorner) request.place = s.place;
    request.flatten = flatten;
    request.allow_signed = allow_signed;
    return stamp_pdf_with_companion(g_settings, request);
}

bool needs_rewrite(const SaveItem& item) {
    return item.reply && !item.reply->stamped && item.reply->refusal == PdfRefusal::kNeedsRewrite;
}

// Documents that cannot be added to (damaged, encrypted) may still be
// stamped the old way, into their pages; the user is asked once for all.
bool rewrite_is_wanted(HWND owner, const std::vector<SaveItem>& items) {
    std::wstring text = kRewriteQuestion;
    int listed = 0;
    for (const SaveItem& item : items) {
        if (!needs_rewrite(item)) continue;
        if (++listed > 10) {
            text += L"…\n";
            break;
        }
        text += L"・" + file_name_of(item.input) + L"\n";
    }
    if (listed == 0) return false;
    text += kRewriteOffer;
    return centred_message_box(owner, text.c_str(), kMessageBoxTitle,
                               MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

std::wstring result_line(const SaveItem& item) {
    std::wstring line = file_name_of(item.input) + L": ";
    if (!item.reply) return line + L"Markomi2Stamp.exe を実行できませんでした";
    if (item.reply->stamped) return line + L"捺印しました → " + file_name_of(item.output);
    PdfStampResult r;
    r.refusal = item.reply->refusal;
    r.bad_page = item.reply->page;
    r.page_count = item.reply->page_count;
    return line + to_wide(pdf_refusal_japanese(r));
}

void open_copies(HWND owner, const std::vector<SaveItem>& items) {
    for (const SaveItem& item : items) {
        if (!item.reply || !item.reply->stamped) continue;
        const INT_PTR opened = reinterpret_cast<INT_PTR>(
            ShellExecuteW(owner, L"open", item.output.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (opened <= 32) {
            const std::wstring text = L"捺印した PDF を開けませんでした。\n\n" + item.output;
            centred_message_box(owner, text.c_str(), kMessageBoxTitle, MB_OK | MB_ICONWARNING);
        }
    }
}

// Saves every document that can be stamped; true when the window's work is done.
bool save_documents(StampingWindow& s) {
    std::vector<const Document*> chosen;
    for (const Document& d : s.documents)
        if (can_be_stamped(d)) chosen.push_back(&d);
    if (chosen.empty()) {
        centred_message_box(s.hwnd, kNothingToStamp, kMessageBoxTitle, MB_OK | MB_ICONWARNING);
        return false;
    }
    if (!s.signing.ready()) {
        centred_message_box(s.hwnd, kNoCertificate, kMessageBoxTitle, MB_OK | MB_ICONWARNING);
        return false;
    }
    const PdfStampOptions options = options_now(s);
    // Chosen ahead, the stamp drawn into the pages is for documents without a
    // signature (a signed one is refused and told why); offered after a
    // refusal, it is for documents that cannot be added to, signed or not.
    const bool embed = Button_GetCheck(s.c.flatten) == BST_CHECKED;
    std::vector<SaveItem> items;
    for (const Document* d : chosen) items.push_back(SaveItem{d->path, L"", std::nullopt});
    if (items.size() == 1) {
        std::optional<std::wstring> output = ask_stamped_name(s.hwnd, items[0].input, L"");
        if (!output) return false;
        items[0].output = *output;
    } else {
        bool taken = false;
        for (SaveItem& item : items) {
            item.output = to_wide(stamped_pdf_name(as_u16(std::wstring_view(item.input))));
            taken = taken || file_exists(std::u16string(as_u16(std::wstring_view(item.output))));
        }
        if (taken) {
            const int answer = centred_message_box(s.hwnd, kReplaceQuestion, kMessageBoxTitle,
                                           MB_YESNOCANCEL | MB_ICONQUESTION);
            if (answer == IDCANCEL) return false;
            if (answer == IDNO)
                for (SaveItem& item : items)
                    item.output = to_wide(unused_stamped_pdf_name(
                        as_u16(std::wstring_view(item.input)), file_exists));
        }
    }
    g_settings.pdf = options;
    save_settings();

    s.saving = true;
    EnableWindow(s.c.save, FALSE);
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (items.size() == 1) {
        for (;;) {
            items[0].reply = stamp_one(s, items[0], options, embed, false);
            // A copy that could not be written: back to its name, not to the start.
            if (!items[0].reply || items[0].reply->stamped ||
                !is_save_refusal(items[0].reply->refusal))
                break;
            SetCursor(previous);
            centred_message_box(s.hwnd, result_line(items[0]).c_str(), kMessageBoxTitle,
                        MB_OK | MB_ICONWARNING);
            std::optional<std::wstring> again =
                ask_stamped_name(s.hwnd, items[0].input, items[0].output);
            if (!again) break;
            items[0].output = *again;
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        }
        if (needs_rewrite(items[0])) {
            SetCursor(previous);
            if (rewrite_is_wanted(s.hwnd, items)) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                items[0].reply = stamp_one(s, items[0], options, true, true);
            }
        }
    } else {
        // One run of the companion for the pile; the names are settled above,
        // so what exists now is what the user agreed to replace.
        const Choice choice = current_choice(s);
        std::vector<PdfBatchItem> batch;
        for (const SaveItem& item : items)
            batch.push_back(PdfBatchItem{std::u16string(as_u16(std::wstring_view(item.input))),
                                         std::u16string(as_u16(std::wstring_view(item.output)))});
        std::optional<PdfPosition> place;
        if (s.place.anchor == PdfAnchor::kFromCorner) place = s.place;
        const std::vector<PdfStampReply> replies =
            stamp_pdfs_with_companion(g_settings, choice.slot, date_to_stamp(choice), batch, options,
                                      place, true, embed, false);
        for (std::size_t i = 0; i < items.size() && i < replies.size(); ++i) items[i].reply = replies[i];
        std::vector<std::size_t> again;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (needs_rewrite(items[i])) again.push_back(i);
        if (!again.empty()) {
            SetCursor(previous);
            if (rewrite_is_wanted(s.hwnd, items)) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                std::vector<PdfBatchItem> rewritten;
                for (std::size_t i : again) rewritten.push_back(batch[i]);
                const std::vector<PdfStampReply> more =
                    stamp_pdfs_with_companion(g_settings, choice.slot, date_to_stamp(choice),
                                              rewritten, options, place, true, true, true);
                for (std::size_t k = 0; k < again.size() && k < more.size(); ++k)
                    items[again[k]].reply = more[k];
            }
        }
    }
    SetCursor(previous);
    s.saving = false;
    refresh_state(s);

    if (std::none_of(items.begin(), items.end(),
                     [](const SaveItem& i) { return i.reply.has_value(); })) {
        centred_message_box(s.hwnd, kCompanionMissing, kMessageBoxTitle, MB_OK | MB_ICONERROR);
        return false;
    }
    const bool quiet = std::all_of(items.begin(), items.end(), [](const SaveItem& i) {
        // Signatures kept are told too: the one question a signed document raises.
        return i.reply && i.reply->stamped && i.reply->warnings == 0 && !i.reply->repaired &&
               !i.reply->was_signed && i.reply->kept_signatures == 0;
    });
    if (options.open_after) open_copies(s.hwnd, items);
    // Opened copies speak for themselves; otherwise, or with anything to
    // tell, the summary names the folder and offers to open it.
    if (!(options.open_after && quiet)) {
        std::vector<std::u16string> inputs, outputs;
        std::vector<PdfStampReply> replies;
        for (const SaveItem& item : items) {
            inputs.emplace_back(as_u16(std::wstring_view(item.input)));
            outputs.emplace_back(as_u16(std::wstring_view(item.output)));
            PdfStampReply none;
            replies.push_back(item.reply ? *item.reply : none);
        }
        show_stamping_summary(s.hwnd, inputs, outputs, replies);
    }
    return std::any_of(items.begin(), items.end(),
                       [](const SaveItem& i) { return i.reply && i.reply->stamped; });
}

// ---- The window -----------------------------------------------------------------

void layout(StampingWindow& s) {
    RECT client{};
    GetClientRect(s.hwnd, &client);
    const int L = s.line, m = L / 2, row = L + L / 2, gap = L / 3;
    const int side = std::max(24 * L / 2 * 2, 260 * L / 16);
    const int x = client.right - side - m;
    int y = m;
    auto put = [&](HWND w, int left, int top, int width, int height) {
        MoveWindow(w, left, top, width, height, FALSE);
    };
    const int list_h = s.documents.size() > 1 ? 5 * L + 4 : 3 * L;
    put(s.c.documents, x, y, side, list_h);
    y += list_h + gap;
    const int half = (side - gap) / 2;
    put(s.c.add, x, y, half, row);
    put(s.c.remove, x + half + gap, y, half, row);
    y += row + L;
    y += s.panel.layout(RECT{x, y, x + side, y + 4 * row}) + L;
    put(s.c.pages_label, x, y, side, L);
    y += L + gap;
    for (int i = 0; i < 4; ++i)
        put(s.c.page_choice[i], x + (i % 2) * (half + gap), y + (i / 2) * row, half, row);
    y += 2 * row;
    put(s.c.pages_text, x, y, side, row);
    y += row + gap / 2;
    put(s.c.pages_problem, x, y, side, L);
    y += L + L / 2;
    put(s.c.place_label, x, y, side, L);
    y += L + gap;
    const int cell = (side - 2 * gap) / 3;
    for (int i = 0; i < 9; ++i)
        put(s.c.places[i], x + (i % 3) * (cell + gap), y + (i / 3) * (row + gap / 2), cell, row);
    y += 3 * (row + gap / 2) + gap;
    put(s.c.margin_label, x, y + L / 4, 3 * L, L);
    put(s.c.margin_text, x + 3 * L, y, 3 * L, row);
    put(s.c.margin_unit, x + 6 * L + gap, y + L / 4, 2 * L, L);
    y += row + L / 2;
    put(s.c.open_after, x, y, side, row);
    y += row;
    put(s.c.flatten, x, y, side, row);
    y += row + gap;
    y += s.signing.layout(RECT{x, y, x + side, y}, L) + gap;
    s.column_height = y + L + gap + row + m;
    const int bottom = client.bottom - m - row;
    put(s.c.status, x, y, side, std::max(L, bottom - y - gap));
    const int third = (side - 2 * gap) / 3;
    put(s.c.save, x, bottom, third, row);
    put(s.c.cancel, x + third + gap, bottom, third, row);
    put(s.c.help, x + 2 * (third + gap), bottom, third, row);
    const int view_w = std::max(10, x - 2 * m);
    // Under the page and its buttons, the stamps already on the document.
    const int found_h = StampingFoundPanel::height(L);
    const int view_h = std::max(10, static_cast<int>(client.bottom) - 4 * m - row - found_h);
    put(s.c.view, m, m, view_w, view_h);
    const int nav_y = m + view_h + m;
    put(s.c.previous, m + view_w / 2 - 6 * L, nav_y, 2 * L, row);
    put(s.c.page_count, m + view_w / 2 - 4 * L, nav_y + L / 4, 8 * L, L);
    put(s.c.next, m + view_w / 2 + 4 * L, nav_y, 2 * L, row);
    s.found.layout(RECT{m, nav_y + row + m, m + view_w, 0}, L);
    InvalidateRect(s.hwnd, nullptr, TRUE);
}

LRESULT OnCreate(StampingWindow& s, HWND hwnd) {
    s.hwnd = hwnd;
    const int h = MulDiv(12, g_current_dpi > 0 ? g_current_dpi : 96, 96);
    s.font.reset(create_window_font(h, false));
    s.line = measure_font(hwnd, s.font.get()).l;
    if (s.line <= 0) s.line = h + 2;
    Controls& c = s.c;
    c.view = make_control(hwnd, kStampingPageClass, L"", WS_TABSTOP | WS_BORDER, kIdPageView);
    c.documents = make_control(
        hwnd, WC_LISTBOXW, L"",
        WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, kIdDocuments);
    c.add = make_control(hwnd, WC_BUTTONW, L"追加…", WS_TABSTOP, kIdAdd);
    c.remove = make_control(hwnd, WC_BUTTONW, L"削除", WS_TABSTOP, kIdRemove);
    c.previous = make_control(hwnd, WC_BUTTONW, L"◀", WS_TABSTOP, kIdPrevious);
    c.page_count = make_control(hwnd, WC_STATICW, L"", SS_CENTER, kIdPageCount);
    c.next = make_control(hwnd, WC_BUTTONW, L"▶", WS_TABSTOP, kIdNext);
    s.found.create(hwnd, kIdFound, s.font.get());
    Choice start;
    start.slot = g_settings.global.active;
    const bool pinned = !stamp_date_note().empty();
    if (pinned) {
        follow_stamp_date();
        start.day = g_settings.date;
    }
    s.panel.create(hwnd, kIdChoices, s.font.get(), start, pinned);
    c.pages_label = make_control(hwnd, WC_STATICW, L"ページ", 0, -1);
    const wchar_t* pages[] = {L"最初", L"最後", L"すべて", L"指定"};
    for (int i = 0; i < 4; ++i)
        c.page_choice[i] = make_control(hwnd, WC_BUTTONW, pages[i],
                                        BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
                                        kIdFirstPage + i);
    c.pages_text = make_control(hwnd, WC_EDITW, L"",
                                WS_GROUP | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kIdPagesText);
    c.pages_problem = make_control(hwnd, WC_STATICW, L"", 0, kIdPagesProblem);
    c.place_label = make_control(hwnd, WC_STATICW, L"位置 (ページをクリックしても置けます)", 0, -1);
    const wchar_t* places[] = {L"左上", L"上",   L"右上", L"左",  L"中央",
                               L"右",   L"左下", L"下",   L"右下"};
    for (int i = 0; i < 9; ++i)
        c.places[i] = make_control(hwnd, WC_BUTTONW, places[i],
                                   (i == 0 ? WS_GROUP : 0) | WS_TABSTOP, kIdTopLeft + i);
    c.margin_label = make_control(hwnd, WC_STATICW, L"余白", WS_GROUP, -1);
    c.margin_text =
        make_control(hwnd, WC_EDITW, L"", WS_TABSTOP | WS_BORDER | ES_NUMBER, kIdMarginText);
    c.margin_unit = make_control(hwnd, WC_STATICW, L"mm", 0, -1);
    c.open_after = make_control(hwnd, WC_BUTTONW, L"捺印後に開く",
                                WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, kIdOpenAfter);
    c.flatten = make_control(hwnd, WC_BUTTONW, L"印影を文書に埋め込む（署名なし）",
                             WS_TABSTOP | BS_AUTOCHECKBOX, kIdFlatten);
    c.status = make_control(hwnd, WC_STATICW, L"", 0, kIdStatus);
    c.save =
        make_control(hwnd, WC_BUTTONW, L"保存", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, kIdSave);
    c.cancel = make_control(hwnd, WC_BUTTONW, L"キャンセル", WS_TABSTOP, kIdCancel);
    c.help = make_control(hwnd, WC_BUTTONW, L"ヘルプ", WS_TABSTOP, kIdHelp);

    const PdfStampOptions& o = g_settings.pdf;
    Button_SetCheck(c.page_choice[std::clamp(o.page, 0, 3)], BST_CHECKED);
    SetWindowTextW(c.pages_text, to_wide(std::u16string(o.pages.view())).c_str());
    SetWindowTextW(c.margin_text, std::to_wstring(o.margin).c_str());
    Button_SetCheck(c.open_after, o.open_after ? BST_CHECKED : BST_UNCHECKED);
    s.signing.create(hwnd, kIdSigning, s.font.get(), o);
    s.place.anchor = static_cast<PdfAnchor>(std::clamp(o.position, 0, 8));
    s.place.margin_mm = o.margin;
    s.renderer = std::make_unique<PageRenderer>(hwnd, kMsgPageRendered);
    refresh_stamp(s);
    DragAcceptFiles(hwnd, TRUE);
    layout(s);
    refresh_state(s);
    return 0;
}

// F1 and the ヘルプ button: the help of this window. The hook for the help
// page of its own (stamppdf.html) once the help opens at a given page.
void open_stamping_help(HWND hwnd) {
    open_help_for(hwnd, kHelpStampPdfPage);
}

LRESULT OnCommand(StampingWindow& s, WPARAM wparam, LPARAM lparam) {
    LRESULT result = 0;
    bool changed = false;
    // A signature covers the file as it is: signing and drawing the stamp
    // into rewritten pages exclude each other.
    if (s.signing.on_command(wparam, g_settings)) {
        if (s.signing.signing()) Button_SetCheck(s.c.flatten, BST_UNCHECKED);
        return 0;
    }
    if (LOWORD(wparam) == kIdFlatten && Button_GetCheck(s.c.flatten) == BST_CHECKED)
        s.signing.set_signing(false);
    if (s.panel.on_message(WM_COMMAND, wparam, lparam, &result, &changed)) {
        if (changed) {
            refresh_stamp(s);
            refresh_state(s);
        }
        return result;
    }
    const int id = LOWORD(wparam), code = HIWORD(wparam);
    if (id >= kIdTopLeft && id < kIdTopLeft + 9 && code == BN_CLICKED) {
        choose_quick_place(s, id - kIdTopLeft);
        return 0;
    }
    switch (id) {
        case kIdAdd:
            add_documents(s, ask_pdfs_to_open(s.hwnd));
            layout(s);  // the list grows once there are several
            break;
        case kIdRemove: {
            const LRESULT at = SendMessageW(s.c.documents, LB_GETCURSEL, 0, 0);
            if (at < 0 || at >= static_cast<LRESULT>(s.documents.size())) break;
            const std::wstring path = s.documents[static_cast<std::size_t>(at)].path;
            s.found.forget(path);
            s.pictures.erase(std::remove_if(s.pictures.begin(), s.pictures.end(),
                                            [&](const Picture& p) { return p.document == path; }),
                             s.pictures.end());
            s.documents.erase(s.documents.begin() + at);
            SendMessageW(s.c.documents, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            refresh_list(s);
            int next = -1;
            for (std::size_t i = 0; i < s.documents.size() && next < 0; ++i)
                if (can_be_stamped(s.documents[i])) next = static_cast<int>(i);
            if (next >= 0) SendMessageW(s.c.documents, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
            show_page(s, next, 1);
            layout(s);
            break;
        }
        case kIdDocuments:
            if (code == LBN_SELCHANGE) {
                const LRESULT at = SendMessageW(s.c.documents, LB_GETCURSEL, 0, 0);
                if (at >= 0 && at != s.shown) show_page(s, static_cast<int>(at), 1);
                refresh_state(s);
            }
            break;
        case kIdFound: {
            // A line chosen: its page shown, its outline drawn bold.
            const Document* d = shown_document(s);
            const int page = s.found.on_command(wparam);
            if (d && page >= 1 && page <= d->pages && page != s.page) show_page(s, s.shown, page);
            InvalidateRect(s.c.view, nullptr, FALSE);
            break;
        }
        case kIdPrevious:
            step_page(s, -1);
            break;
        case kIdNext:
            step_page(s, 1);
            break;
        case kIdFirstPage:
        case kIdLastPage:
        case kIdAllPages:
        case kIdListedPages:
            refresh_state(s);
            if (id == kIdListedPages) SetFocus(s.c.pages_text);
            break;
        case kIdPagesText:
            if (code == EN_CHANGE) refresh_state(s);
            break;
        case kIdMarginText:
            if (code == EN_CHANGE && s.place.anchor != PdfAnchor::kFromCorner) {
                if (const std::optional<double> m = margin_now(s)) s.place.margin_mm = *m;
                refresh_state(s);
            }
            break;
        case kIdSave:
        case IDOK: {
            if (!IsWindowEnabled(s.c.save)) break;
            const ModalFlow flow;
            if (flow.entered() && save_documents(s)) DestroyWindow(s.hwnd);
            break;
        }
        case kIdCancel:
        case IDCANCEL:
            DestroyWindow(s.hwnd);
            break;
        case kIdHelp:
            open_stamping_help(s.hwnd);
            break;
    }
    return 0;
}

LRESULT OnDropFiles(StampingWindow& s, HDROP drop) {
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && i < 1000; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(length);
        paths.push_back(path);
    }
    DragFinish(drop);
    add_documents(s, paths);
    layout(s);
    SetForegroundWindow(s.hwnd);
    return 0;
}

// The place and size the window had, for its next opening.
void remember_place(HWND hwnd) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(hwnd, &placement)) return;
    const RECT& r = placement.rcNormalPosition;
    PdfStampOptions& o = g_settings.pdf;
    if (o.window_left == r.left && o.window_top == r.top && o.window_width == r.right - r.left &&
        o.window_height == r.bottom - r.top)
        return;
    o.window_left = r.left;
    o.window_top = r.top;
    o.window_width = r.right - r.left;
    o.window_height = r.bottom - r.top;
    normalise_pdf_options(o);
    save_settings();
}

// Where it was last (workspace coordinates, as GetWindowPlacement gives
// them); SetWindowPlacement brings a place of a monitor gone back onto one.
void restore_place(HWND hwnd) {
    const PdfStampOptions& o = g_settings.pdf;
    if (o.window_width <= 0) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(hwnd, &placement)) return;
    placement.rcNormalPosition = RECT{o.window_left, o.window_top, o.window_left + o.window_width,
                                      o.window_top + o.window_height};
    placement.showCmd = SW_HIDE;
    SetWindowPlacement(hwnd, &placement);
}

LRESULT OnDestroy(StampingWindow& s) {
    remember_place(s.hwnd);
    s.renderer.reset();  // its runs ended, its pictures' folder removed
    s.pictures.clear();
    delete g_window;
    g_window = nullptr;
    return 0;
}

LRESULT CALLBACK StampingWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    StampingWindow* s = g_window;
    if (!s) return DefWindowProcW(hwnd, msg, wparam, lparam);
    LRESULT result = 0;
    bool changed = false;
    if (msg != WM_COMMAND && s->hwnd &&
        s->panel.on_message(msg, wparam, lparam, &result, &changed)) {
        if (changed) {
            refresh_stamp(*s);
            refresh_state(*s);
        }
        return result;
    }
    switch (msg) {
        case WM_CREATE:
            return OnCreate(*s, hwnd) == 0 ? 0 : -1;
        case WM_SIZE:
            layout(*s);
            request_pages(*s);  // drawn again only when the scale changed a lot
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
            // No shorter than the side column: its buttons never cover its choices.
            RECT frame{0, 0, 0, s->column_height};
            AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                               static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
            info->ptMinTrackSize =
                POINT{40 * s->line, std::max<LONG>(36 * s->line, frame.bottom - frame.top)};
            return 0;
        }
        case WM_COMMAND:
            return OnCommand(*s, wparam, lparam);
        case WM_DROPFILES:
            return OnDropFiles(*s, reinterpret_cast<HDROP>(wparam));
        case kMsgPageRendered:
            OnPageRendered(*s, static_cast<int>(wparam));
            return 0;
        case WM_HELP:
            open_stamping_help(hwnd);
            return TRUE;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lparam) == s->c.pages_problem ||
                reinterpret_cast<HWND>(lparam) == s->c.status) {
                HDC dc = reinterpret_cast<HDC>(wparam);
                SetTextColor(dc, RGB(192, 0, 0));
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            return OnDestroy(*s);
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

bool register_classes() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = StampingWndProc;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kStampingWindowClass;
    wc.hIcon = LoadIconW(g_instance, MAKEINTRESOURCEW(1));
    if (!RegisterClassExW(&wc)) return false;
    WNDCLASSEXW view{};
    view.cbSize = sizeof view;
    view.lpfnWndProc = PageViewProc;
    view.hInstance = g_instance;
    view.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    view.lpszClassName = kStampingPageClass;
    if (!RegisterClassExW(&view)) return false;
    registered = true;
    return true;
}

}  // namespace

bool is_stamping_window_message(MSG* msg) {
    if (!g_window || !g_window->hwnd) return false;
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F1 &&
        (msg->hwnd == g_window->hwnd || IsChild(g_window->hwnd, msg->hwnd))) {
        open_stamping_help(g_window->hwnd);
        return true;
    }
    // The page view takes its own arrows and page keys; the rest is the
    // dialog keys' (Tab, Enter, Esc, mnemonics).
    if (msg->hwnd == g_window->c.view && msg->message == WM_KEYDOWN &&
        (msg->wParam == VK_PRIOR || msg->wParam == VK_NEXT))
        return false;
    return IsDialogMessageW(g_window->hwnd, msg) != FALSE;
}

void open_stamping_window(HWND owner, const std::vector<std::wstring>& documents) {
    if (g_window && g_window->hwnd) {
        add_documents(*g_window, documents);
        layout(*g_window);
        ShowWindow(g_window->hwnd, SW_SHOWNORMAL);
        SetForegroundWindow(g_window->hwnd);
        return;
    }
    std::vector<std::wstring> chosen = documents;
    if (chosen.empty()) chosen = ask_pdfs_to_open(owner);
    if (chosen.empty() || !register_classes()) return;
    g_window = new StampingWindow();
    const int width = MulDiv(900, g_current_dpi > 0 ? g_current_dpi : 96, 96);
    const int height = MulDiv(700, g_current_dpi > 0 ? g_current_dpi : 96, 96);
    HWND hwnd =
        CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, kStampingWindowClass,
                        kStampingWindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                        CW_USEDEFAULT, width, height, owner, nullptr, g_instance, nullptr);
    if (!hwnd) {
        delete g_window;
        g_window = nullptr;
        return;
    }
    restore_place(hwnd);
    add_documents(*g_window, chosen);
    layout(*g_window);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    SetFocus(g_window->c.view);
}

}  // namespace markomi
