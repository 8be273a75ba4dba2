// Writes the enhanced metafile on the clipboard into a file, then empties
// the clipboard, so that a reader on the Linux side can open what another
// program copied (Wine offers X clients no metafile of its own), and a
// later copy that fails cannot be mistaken for this one.
//   markomi2_clipboard_emf OUT.emf    exit 0 written, 1 no metafile, 2 usage
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    // Another program may still be closing the clipboard it just filled.
    bool open = false;
    for (int attempt = 0; attempt < 50 && !(open = OpenClipboard(nullptr) != 0); ++attempt) Sleep(20);
    if (!open) return 1;
    bool written = false;
    if (HENHMETAFILE emf = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE))) {
        // The clipboard keeps its handle; the copy made for the file is ours.
        if (HENHMETAFILE on_disk = CopyEnhMetaFileW(emf, argv[1])) {
            DeleteEnhMetaFile(on_disk);
            written = true;
        }
    }
    EmptyClipboard();
    CloseClipboard();
    return written ? 0 : 1;
}
