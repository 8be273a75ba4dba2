#include "ui/stamping_found_win.h"

#include <commctrl.h>

#include <algorithm>

#include "base/gdi_handles_win.h"
#include "base/wide_text_win.h"

namespace markomi {
namespace {

constexpr wchar_t kChecking[] = L"確認中…";
constexpr wchar_t kNone[] = L"（なし）";
constexpr wchar_t kUnread[] = L"印影と署名を読み取れませんでした";
constexpr int kLinesShown = 4;

// Signed and holding, plain, and signed but not holding (or unfilled).
COLORREF mark_colour(const FoundStamp& stamp) {
    if (!stamp.is_signed) return RGB(0, 140, 70);
    return stamp.status == FoundStatus::kInvalid ? RGB(220, 0, 140) : RGB(0, 90, 210);
}

int list_height(int line_height) {
    return kLinesShown * (line_height + 2) + 4 + GetSystemMetrics(SM_CYHSCROLL);
}

}  // namespace

void StampingFoundPanel::create(HWND parent, int list_id, HFONT font) {
    list_id_ = list_id;
    font_ = font;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    label_ = CreateWindowExW(0, WC_STATICW, L"この文書の印影と署名", WS_CHILD | WS_VISIBLE, 0, 0,
                             10, 10, parent, nullptr, instance, nullptr);
    list_ =
        CreateWindowExW(0, WC_LISTBOXW, L"",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                            LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                        0, 0, 10, 10, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(list_id)), instance, nullptr);
    for (HWND w : {label_, list_})
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

int StampingFoundPanel::height(int line_height) {
    return line_height + line_height / 4 + list_height(line_height);
}

void StampingFoundPanel::layout(const RECT& area, int line_height) {
    line_ = line_height;
    const int width = area.right - area.left;
    MoveWindow(label_, area.left, area.top, width, line_height, FALSE);
    MoveWindow(list_, area.left, area.top + line_height + line_height / 4, width,
               list_height(line_height), FALSE);
}

void StampingFoundPanel::checking(const std::wstring& document) {
    known_[document] = Known{};
    if (document == shown_) show(shown_);
}

void StampingFoundPanel::verified(const std::wstring& document, std::u16string_view reply) {
    const auto found = known_.find(document);
    if (found == known_.end()) return;  // removed meanwhile
    found->second.answered = true;
    found->second.found = read_found_stamps(reply);
    if (document == shown_) show(shown_);
}

void StampingFoundPanel::forget(const std::wstring& document) {
    known_.erase(document);
}

const StampingFoundPanel::Known* StampingFoundPanel::shown_known() const {
    const auto found = known_.find(shown_);
    return found == known_.end() ? nullptr : &found->second;
}

void StampingFoundPanel::show(const std::wstring& document) {
    if (document != shown_) selected_ = -1;
    shown_ = document;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    const Known* known = shown_known();
    auto add = [&](const std::wstring& text, LPARAM index) {
        const LRESULT at =
            SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (at >= 0) SendMessageW(list_, LB_SETITEMDATA, static_cast<WPARAM>(at), index);
    };
    int widest = 0;
    if (!known) {
        // No document shown: the list stays empty.
    } else if (!known->answered) {
        add(kChecking, -1);
    } else if (!known->found.answered || known->found.refused) {
        add(kUnread, -1);
    } else if (known->found.stamps.empty()) {
        add(kNone, -1);
    } else {
        WindowDc dc(list_);
        SelectedObject font(dc.get(), font_);
        for (std::size_t i = 0; i < known->found.stamps.size(); ++i) {
            const std::wstring line = to_wide(found_stamp_line(known->found.stamps[i]));
            SIZE size{};
            GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &size);
            widest = std::max(widest, static_cast<int>(size.cx));
            add(line, static_cast<LPARAM>(i));
        }
    }
    // Lines wider than the list scroll sideways rather than being cut.
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + line_ / 2), 0);
    if (selected_ >= 0) SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(selected_), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

int StampingFoundPanel::on_command(WPARAM wparam) {
    if (LOWORD(wparam) != list_id_ || HIWORD(wparam) != LBN_SELCHANGE) return 0;
    const LRESULT at = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    const LRESULT index =
        at >= 0 ? SendMessageW(list_, LB_GETITEMDATA, static_cast<WPARAM>(at), 0) : -1;
    const Known* known = shown_known();
    if (!known || index < 0 || static_cast<std::size_t>(index) >= known->found.stamps.size()) {
        selected_ = -1;
        return 0;
    }
    selected_ = static_cast<int>(index);
    return known->found.stamps[static_cast<std::size_t>(index)].page;
}

void StampingFoundPanel::draw_marks(HDC dc, const PageFit& fit, int page) const {
    const Known* known = shown_known();
    if (!known || fit.px_per_mm <= 0) return;
    const int thin = std::max(1, line_ / 16);
    SelectedObject hollow(dc, GetStockObject(NULL_BRUSH));
    for (std::size_t i = 0; i < known->found.stamps.size(); ++i) {
        const FoundStamp& stamp = known->found.stamps[i];
        if (stamp.page != page || !stamp.box_mm) continue;
        const bool chosen = static_cast<int>(i) == selected_;
        // Just outside the stamp's box, so that the outline hides none of its ink.
        const int out = (chosen ? 3 : 1) * thin + 1;
        const PdfMmRect& b = *stamp.box_mm;
        const RECT r{
            static_cast<LONG>(fit.left + b.left_mm * fit.px_per_mm) - out,
            static_cast<LONG>(fit.top + b.top_mm * fit.px_per_mm) - out,
            static_cast<LONG>(fit.left + (b.left_mm + b.width_mm) * fit.px_per_mm) + out + 1,
            static_cast<LONG>(fit.top + (b.top_mm + b.height_mm) * fit.px_per_mm) + out + 1};
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, chosen ? 3 * thin : thin, mark_colour(stamp)));
        SelectedObject with(dc, pen.get());
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
    }
}

}  // namespace markomi
