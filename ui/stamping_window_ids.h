#pragma once
// Names and identifiers of the stamping window 「PDFに捺印」, for the window
// and for the tests that drive it.
#include <windows.h>

namespace markomi {

constexpr wchar_t kStampingWindowClass[] = L"MARKOMI2STAMPING";
constexpr wchar_t kStampingPageClass[] = L"MARKOMI2STAMPINGPAGE";
constexpr wchar_t kStampingWindowTitle[] = L"PDFに捺印";

// Pixels kept free around the page in the page view.
constexpr int kPageViewBorder = 8;

constexpr UINT kMsgPageRendered = WM_APP + 1;  // wParam: the companion run's id

enum : int {
    kIdPageView = 300,
    kIdDocuments,
    kIdAdd,
    kIdRemove,
    kIdPrevious,
    kIdNext,
    kIdPageCount,
    kIdFirstPage,
    kIdLastPage,
    kIdAllPages,
    kIdListedPages,  // in the order of PdfStampOptions::page
    kIdPagesText,
    kIdPagesProblem,
    kIdTopLeft,  // .. kIdTopLeft + 8: the nine places by rows
    kIdMarginText = kIdTopLeft + 9,
    kIdOpenAfter,
    kIdFlatten,
    kIdStatus,
    kIdSave,
    kIdCancel,
    kIdHelp,
    kIdChoices = 400,  // the design and date panel's controls from here
    kIdSigning = 420,  // the signing panel's controls from here
    kIdFound = 440,    // the list of the stamps and signatures on the document
};

}  // namespace markomi
