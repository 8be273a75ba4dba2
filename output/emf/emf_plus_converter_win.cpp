#include "output/emf/emf_plus_converter_win.h"

namespace markomi {
namespace {

EmfPlusConverter g_override = nullptr;

}  // namespace

EmfPlusConverter emf_plus_converter() {
    if (g_override) return g_override;
    static const EmfPlusConverter gdiplus_converter = [] {
        HMODULE gdiplus = GetModuleHandleW(L"gdiplus.dll");
        return gdiplus ? reinterpret_cast<EmfPlusConverter>(
                             reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdipConvertToEmfPlus")))
                       : nullptr;
    }();
    return gdiplus_converter;
}

void override_emf_plus_converter(EmfPlusConverter converter) { g_override = converter; }

}  // namespace markomi
