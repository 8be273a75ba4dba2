// Markomi2_Uninstaller.exe: without arguments it copies itself to the
// temporary folder and starts the copy with "/u"; the copy asks, removes the
// user's own things and starts itself elevated with "/machine" for the
// machine-wide ones. Every stage but that last runs as the user who started
// it (the manifest asks for the invoker's rights): an administrator who
// elevated the whole would otherwise remove their own settings and icons.
#include <windows.h>
#include <commctrl.h>

#include "base/wide_text_win.h"
#include "uninstaller/uninstall_rules.h"
#include "uninstaller/uninstall_window_win.h"
#include "uninstaller/uninstaller_win.h"

namespace {

constexpr wchar_t kNoInstallationText[] = L"マルコミ２インストール情報が取得出来ませんでした。";
constexpr wchar_t kWrongCommandLineText[] = L"コマンドラインが不正です。";

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    using namespace markomi;
    // A stamp program still running would hold its files and write its
    // settings back: it ends before anything is asked.
    end_running_stamp_program();
    g_installation = find_installation();
    g_uninstall_page = kUninstallPageConfirm;
    const UninstallStage stage =
        uninstall_stage_of(as_u16(std::wstring_view(arguments ? arguments : L"")));
    if (!installation_key_present()) {
        uninstaller_message(kNoInstallationText);
        // The stage that waits for the elevated one tells its failure.
        return stage == UninstallStage::kMachine ? 1 : 0;
    }
    switch (stage) {
        case UninstallStage::kCopyAndRestart:
            copy_and_restart();
            return 0;
        case UninstallStage::kWindow: {
            INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
            InitCommonControlsEx(&controls);
            return run_uninstall_window(instance);
        }
        case UninstallStage::kMachine:
            return remove_machine_parts(g_installation) ? 0 : 1;
        case UninstallStage::kRefused: break;
    }
    uninstaller_message(kWrongCommandLineText);
    return 0;
}
