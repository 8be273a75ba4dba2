#pragma once
// The EMF+ dual conversion of the clipboard's metafile: GdipConvertToEmfPlus,
// which exists only from GDI+ 1.1 on and is therefore looked up at run time.
#include <windows.h>
#include <gdiplus.h>

namespace markomi {

using EmfPlusConverter = Gdiplus::GpStatus(WINGDIPAPI*)(const Gdiplus::GpGraphics* reference,
                                                        Gdiplus::GpMetafile* metafile,
                                                        BOOL* conversion_failure,
                                                        Gdiplus::EmfType type,
                                                        const WCHAR* description,
                                                        Gdiplus::GpMetafile** converted);

// The converter the metafile pipeline calls; null where GDI+ has none (the
// recording is then kept as it is).
EmfPlusConverter emf_plus_converter();

// Puts `converter` in GDI+'s place until called again with null. The
// pipeline's handling of each answer (keep the recording, take the
// conversion, give up) can only be tried with a converter that gives it.
void override_emf_plus_converter(EmfPlusConverter converter);

}  // namespace markomi
