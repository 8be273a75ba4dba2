// The platform's font and colour dialogs as the tab sheet opens them.
#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string_view>

#include "base/wide_text_win.h"
#include "render/text_path_gdiplus.h"
#include "ui/tab_sheet_parts_win.h"
#include "ui/window_classes.h"

namespace markomi {
namespace {

constexpr wchar_t kFaceUnusableText[] = L"選択したフォントは使用できません。";
constexpr wchar_t kFrameColourTitle[] = L" 枠色変更";

static_assert(sizeof(COLORREF) == sizeof(ColorRef), "colours are stored as Windows colour values");

UINT_PTR CALLBACK FontHookProc(HWND dialog, UINT msg, WPARAM, LPARAM lparam) {
    if (msg == WM_INITDIALOG) {
        const auto* choose = reinterpret_cast<const CHOOSEFONTW*>(lparam);
        if (choose && choose->lCustData)
            SetWindowTextW(dialog, reinterpret_cast<const wchar_t*>(choose->lCustData));
        return TRUE;
    }
    return FALSE;
}

UINT_PTR CALLBACK ColourHookProc(HWND dialog, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        SetWindowTextW(dialog, kFrameColourTitle);
        return TRUE;
    }
    return FALSE;
}

LOGFONTW logical_font_of(const FontSpec& font) {
    LOGFONTW lf{};
    lf.lfHeight = font.height;
    lf.lfWeight = font.weight;
    lf.lfItalic = static_cast<BYTE>(font.italic != 0);
    lf.lfUnderline = static_cast<BYTE>(font.underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(font.strikeout != 0);
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DRAFT_QUALITY;
    const std::u16string_view face = font.face_name.view();
    const std::size_t n = face.size() < LF_FACESIZE - 1 ? face.size() : LF_FACESIZE - 1;
    std::memcpy(lf.lfFaceName, face.data(), n * sizeof(wchar_t));
    lf.lfFaceName[n] = L'\0';
    return lf;
}

}  // namespace

bool choose_row_font(HWND owner, FontSpec& font, const wchar_t* title) {
    LOGFONTW lf = logical_font_of(font);
    CHOOSEFONTW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.lpLogFont = &lf;
    choose.Flags = CF_SCREENFONTS | CF_TTONLY | CF_NOVERTFONTS | CF_SCRIPTSONLY | CF_EFFECTS |
                   CF_ENABLEHOOK;
    // An empty face would start the dialog on an unnamed font.
    if (!font.face_name.empty()) choose.Flags |= CF_INITTOLOGFONTSTRUCT;
    choose.rgbColors = font.color;
    choose.lCustData = reinterpret_cast<LPARAM>(title);
    choose.lpfnHook = FontHookProc;
    if (!ChooseFontW(&choose)) return false;

    const std::u16string_view face =
        as_u16(std::wstring_view(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE)));
    if (!face_usable(face)) {
        MessageBoxW(owner, kFaceUnusableText, kMessageBoxTitle, MB_OK | MB_ICONERROR | MB_TOPMOST);
        return false;
    }
    font.height = lf.lfHeight;
    font.weight = lf.lfWeight;
    font.italic = lf.lfItalic ? 1 : 0;
    font.underline = lf.lfUnderline ? 1 : 0;
    font.strikeout = lf.lfStrikeOut ? 1 : 0;
    font.face_name = face;
    font.color = choose.rgbColors;
    return true;
}

bool choose_frame_colour(HWND owner, ColorRef& colour, std::array<ColorRef, 16>& custom) {
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.rgbResult = colour;
    choose.lpCustColors = reinterpret_cast<COLORREF*>(custom.data());
    choose.Flags = CC_RGBINIT | CC_ENABLEHOOK;
    choose.lpfnHook = ColourHookProc;
    if (!ChooseColorW(&choose)) return false;
    colour = choose.rgbResult;
    return true;
}

}  // namespace markomi
