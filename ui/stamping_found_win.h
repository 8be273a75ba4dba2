#pragma once
// 「この文書の印影と署名」 of the stamping window: the stamps and signatures
// already on each document, as the companion's --verify tells them, one
// line each for the shown document, and their outlines on its pages.
#include <windows.h>

#include <map>
#include <string>

#include "ui/found_stamps_rules.h"
#include "ui/stamping_window_rules.h"

namespace markomi {

class StampingFoundPanel {
  public:
    // The label and the list box (identifier `list_id`) as children of `parent`.
    void create(HWND parent, int list_id, HFONT font);
    // The height of the label and the list for the font's line height.
    static int height(int line_height);
    // Places the label and the list at the top of `area`.
    void layout(const RECT& area, int line_height);
    // A document's --verify was asked for (「確認中…」), or it answered.
    void checking(const std::wstring& document);
    void verified(const std::wstring& document, std::u16string_view reply);
    void forget(const std::wstring& document);
    // Fills the list for the document shown (none: empty).
    void show(const std::wstring& document);
    // WM_COMMAND of the list: the page of the line chosen, whose outline is
    // then drawn bold; 0 for anything else.
    int on_command(WPARAM wparam);
    // The outlines of the shown document's stamps on `page`, in the view
    // where `fit` puts the page. Drawn before the new stamp, which stays on top.
    void draw_marks(HDC dc, const PageFit& fit, int page) const;

  private:
    struct Known {
        bool answered = false;
        FoundStamps found;
    };
    const Known* shown_known() const;

    HWND label_ = nullptr, list_ = nullptr;
    HFONT font_ = nullptr;
    int list_id_ = 0;
    int line_ = 16;
    std::map<std::wstring, Known> known_;
    std::wstring shown_;
    int selected_ = -1;  // index into the shown document's stamps
};

}  // namespace markomi
