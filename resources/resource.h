// Resource identifiers and version numbers of Markomi2.exe, shared by
// resources/markomi2.rc and the C++ code.
//
// Icons and cursors are loaded BY NAME, so in the .rc they are string-named
// resources whose names are bare tokens (MARKOMI, MY_HAND, ...). Those tokens
// must never become macros here, or the resource compiler would replace them.
//
// An include guard rather than #pragma once: the resource compilers read this too.
#ifndef MARKOMI2_RESOURCES_RESOURCE_H
#define MARKOMI2_RESOURCES_RESOURCE_H

// ---- Version (VERSIONINFO, manifest and about box) ----
#define MARKOMI2_VERSION_MAJOR 1
#define MARKOMI2_VERSION_MINOR 5
#define MARKOMI2_VERSION_PATCH 0
#define MARKOMI2_VERSION_BUILD 0
// Shown to users and stored as the FileVersion / ProductVersion strings.
#define MARKOMI2_VERSION_TEXT "1.5"

// ---- Numeric resource ids ----
// The application manifest: id 1 of type RT_MANIFEST, the one the loader reads
// when it creates the process (CREATEPROCESS_MANIFEST_RESOURCE_ID).
#define IDR_MARKOMI2_MANIFEST 1
// The version resource (id 1 by convention; only one exists).
#define IDV_MARKOMI2_VERSION 1
// Menu bar of the stamp settings window in normal mode; its commands are 112 to
// 117. The number is fixed: the window class takes it as its class menu.
#define IDM_SETTINGS_MENU_BAR 110
// Its commands, in menu order (117 second). They are the same command numbers as the
// notification-icon menu (kCmdSaveImage ... kCmdExit in ui/program_windows_win.h),
// so both menus reach the same WM_COMMAND handling.
#define IDM_SAVE_IMAGE 112
#define IDM_PREFERENCES 113
#define IDM_HELP 114
#define IDM_ABOUT 115
#define IDM_EXIT 116
// Stamping a PDF document, after the save in the menu bar (its number follows the others').
#define IDM_STAMP_PDF 117

#ifndef RC_INVOKED
namespace markomi {

// ---- Named resources, as passed to LoadIconW / LoadCursorW / LoadImageW ----
// Application icon (window classes, about box); sizes 16 to 256 pixels.
constexpr wchar_t kAppIconName[] = L"MARKOMI";
// Cursor of the target-picking overlay; hotspot at the tip of the index finger.
constexpr wchar_t kOverlayCursorName[] = L"MY_HAND";

// Notification-icon artwork: the base icon and three animation frames, one set
// for OS version codes below 10 and one for 10 and above; the fifth icon of each
// set exists but is not shown. Each holds 16, 20, 24, 32 and 48 pixel images.
constexpr const wchar_t* kTrayIconNamesClassic[] = {L"MARKOMI01", L"MARKOMI02", L"MARKOMI03",
                                                   L"MARKOMI04", L"MARKOMI05"};
constexpr const wchar_t* kTrayIconNamesModern[] = {L"MARKOMI11", L"MARKOMI12", L"MARKOMI13",
                                                  L"MARKOMI14", L"MARKOMI15"};

// Drag-stamping cursors of the tab sheet: over the preview, dragging over the
// preview, dragging over the settings window, dragging outside it (drop stamps).
// 32, 48 and 64 pixels; all four share one hotspot, the middle of the palm.
constexpr wchar_t kDragHoverCursorName[] = L"MY_HAND2";
constexpr wchar_t kDragGrabCursorName[] = L"MY_HAND3";
constexpr wchar_t kDragNoDropCursorName[] = L"MY_HAND4";
constexpr wchar_t kDragDropCursorName[] = L"MY_HAND5";

}  // namespace markomi
#endif  // RC_INVOKED

#endif  // MARKOMI2_RESOURCES_RESOURCE_H
