#include <windows.h>

#include "app/startup_win.h"

// The program takes no command line and ignores the show command: its face
// is the notification icon or the settings window, never the main window.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return markomi::run_markomi2(instance);
}
