#include <windows.h>

#include "app/startup_win.h"

// The program ignores the show command (its face is the notification icon or
// the settings window, never the main window); its command line may name PDF
// documents to stamp, which start-up reads itself.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return markomi::run_markomi2(instance);
}
