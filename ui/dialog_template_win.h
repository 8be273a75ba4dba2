#pragma once
// Dialogs built in code: an in-memory dialog template, so that Tab, the
// arrow keys, Enter and Esc work as in every Windows dialog. Sizes are in
// dialog units of the template's font.
#include <windows.h>

#include <vector>

namespace markomi {

// The predefined classes' atoms in a template.
constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

class DialogTemplate {
  public:
    DialogTemplate(const wchar_t* title, short cx, short cy) {
        align();
        const DWORD style =
            DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        add_dword(style);
        add_dword(0);
        count_at_ = words_.size();
        add_word(0);  // the item count, filled as items come
        add_word(0);
        add_word(0);
        add_word(static_cast<WORD>(cx));
        add_word(static_cast<WORD>(cy));
        add_word(0);  // no menu
        add_word(0);  // the standard class
        add_text(title);
        add_word(9);
        add_text(L"ＭＳ Ｐゴシック");
    }
    void item(WORD atom, const wchar_t* text, DWORD style, short x, short y, short cx, short cy,
              int id) {
        align();
        add_dword(WS_CHILD | WS_VISIBLE | style);
        add_dword(0);
        for (short v : {x, y, cx, cy}) add_word(static_cast<WORD>(v));
        add_word(static_cast<WORD>(id));
        add_word(0xFFFF);
        add_word(atom);
        add_text(text);
        add_word(0);
        ++words_[count_at_];
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void add_word(WORD w) { words_.push_back(w); }
    void add_dword(DWORD d) {
        add_word(LOWORD(d));
        add_word(HIWORD(d));
    }
    void add_text(const wchar_t* s) {
        for (; *s; ++s) add_word(static_cast<WORD>(*s));
        add_word(0);
    }
    void align() {
        if (words_.size() % 2) add_word(0);
    }
    std::vector<WORD> words_;
    std::size_t count_at_ = 0;
};

}  // namespace markomi
