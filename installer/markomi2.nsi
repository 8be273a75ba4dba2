; Installer of マルコミ２, compiled with makensis (Debian package nsis):
;
;   makensis -DVERSION=1.5 -DFILES_DIR=<folder with the four files> -DOUTFILE=<setup.exe> markomi2.nsi
;
; FILES_DIR holds Markomi2.exe, Markomi2Stamp.exe, Markomi2_Uninstaller.exe and
; Markomi2.chm. The build (cmake/installer.cmake, scripts/package) passes all three.
; The installer only copies files and writes what the program and its
; uninstaller read: the uninstall key ("Path" is how Markomi2.exe finds its
; folder) and the all-users program-menu shortcut. It puts nothing into a
; user's profile: it runs as an administrator, who is not the user when a
; standard user types an administrator's password. The desktop icon (unless
; the user turns it off) is asked of the program instead, which makes it for
; each user at that user's first start. Removing is Markomi2_Uninstaller.exe's job.
;
; It starts nothing when it ends: it runs with administrator rights, and a
; program it started would keep them for the whole session (and would not
; hear Explorer's messages, such as the taskbar's restart). Starting a program
; as the desktop's user needs the shell's automation of the desktop window,
; which needs a plug-in; the user starts it from the desktop icon or the menu.

Unicode true
; The programs are 64-bit; a 64-bit installer also sees the 64-bit Program
; Files folder and registry without redirection.
Target amd64-unicode
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not defined (makensis -DVERSION=1.5 ...)"
!endif
!ifndef FILES_DIR
  !error "FILES_DIR is not defined (makensis -DFILES_DIR=<folder with the programs> ...)"
!endif
!ifndef OUTFILE
  !define OUTFILE "Markomi2_Setup.exe"
!endif
!macro RequireFile name
  !if ! /FileExists "${FILES_DIR}/${name}"
    !error "${FILES_DIR}/${name} is missing: build it first (cmake --build build/win)"
  !endif
!macroend
!insertmacro RequireFile "Markomi2.exe"
!insertmacro RequireFile "Markomi2Stamp.exe"
!insertmacro RequireFile "Markomi2_Uninstaller.exe"
!insertmacro RequireFile "Markomi2.chm"

!define PRODUCT_NAME "マルコミ２"
!define PUBLISHER "Markomi2"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Markomi2"
; The main window class of Markomi2.exe; WM_DESTROY to it ends a running copy.
!define MAIN_CLASS "MARKOMI2MAIN"
!define SYNCHRONIZE 0x00100000
; Markomi2.exe and its uninstaller read "Path" back into 128 bytes: 63 UTF-16
; characters and the terminator. A longer folder would be installed into and
; never found again.
!define PATH_CAPACITY 63

Name "${PRODUCT_NAME}"
Caption "${PRODUCT_NAME} ${VERSION} セットアップ"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Markomi2"
; A reinstall offers the folder of the installation it replaces.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "Path"
BrandingText "${PRODUCT_NAME} ${VERSION}"
ShowInstDetails show

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TITLE "${PRODUCT_NAME} ${VERSION} のセットアップ"
!define MUI_WELCOMEPAGE_TEXT "日付印（はんこ）を文書に捺印するツール ${PRODUCT_NAME} をこのコンピューターにインストールします。$\r$\n$\r$\n${PRODUCT_NAME} が起動している場合は、インストールの前に終了させます。$\r$\n$\r$\n続けるには [次へ] を押してください。"
!define MUI_FINISHPAGE_TITLE "${PRODUCT_NAME} のインストールが終わりました"
!define MUI_FINISHPAGE_TEXT "デスクトップのアイコン、またはスタートメニューの「${PRODUCT_NAME}」から起動してください。$\r$\n削除するときは、インストールされているアプリの一覧から ${PRODUCT_NAME} をアンインストールしてください。"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
; The program is under the GNU GPL version 3 or later; the libraries in the
; companion are listed, with their licences, in the notices installed beside it.
!define MUI_LICENSEPAGE_BUTTON "次へ(&N) >"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "マルコミ２ は GNU 一般公衆利用許諾書 第 3 版以降のもとで配布されます。同梱のライブラリとその利用条件は THIRD-PARTY-NOTICES.txt にあります。"
!insertmacro MUI_PAGE_LICENSE "${__FILEDIR__}\..\COPYING"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveDirectoryPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT_NAME} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "${PUBLISHER}"

; Whether $INSTDIR fits "Path" as the programs read it back: 1 or 0 in $0.
Function InstallFolderFits
  StrLen $0 "$INSTDIR"
  ${If} $0 > ${PATH_CAPACITY}
    StrCpy $0 0
  ${Else}
    StrCpy $0 1
  ${EndIf}
FunctionEnd

Function LeaveDirectoryPage
  Call InstallFolderFits
  ${If} $0 = 0
    ; Titled like every message of the programs, not with the installer's caption.
    System::Call 'user32::MessageBoxW(p $HWNDPARENT, w "インストール先のフォルダー名が長すぎます。$\r$\n${PATH_CAPACITY} 文字以内のフォルダーを選んでください。", w "${PRODUCT_NAME}", i 0x30)  ; MB_OK | MB_ICONEXCLAMATION'
    Abort
  ${EndIf}
FunctionEnd

; A silent install skips the folder page, so its /D= is checked here, before
; anything is written: it ends with exit code 2 and leaves no trace.
Function .onInit
  ${If} ${Silent}
    Call InstallFolderFits
    ${If} $0 = 0
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; Ends every running copy of Markomi2.exe the way the program's own copies and
; its uninstaller do: WM_DESTROY to the main window. The program then leaves
; its message loop; the wait on the process makes sure its files are free
; before they are replaced.
Function EndRunningCopies
  StrCpy $R2 0
  ${Do}
    FindWindow $R0 "${MAIN_CLASS}" ""
    ${If} $R0 = 0
      ${Break}
    ${EndIf}
    ${If} $R2 = 0
      DetailPrint "起動中の ${PRODUCT_NAME} を終了します。"
    ${EndIf}
    System::Call "user32::GetWindowThreadProcessId(p $R0, *i .r1)"
    System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i $1) p .r3"
    SendMessage $R0 ${WM_DESTROY} 0 0 /TIMEOUT=5000
    ${If} $3 P<> 0
      System::Call "kernel32::WaitForSingleObject(p $3, i 10000) i .r4"
      System::Call "kernel32::CloseHandle(p $3)"
    ${Else}
      Sleep 500
    ${EndIf}
    IntOp $R2 $R2 + 1
    ${If} $R2 >= 20
      DetailPrint "${PRODUCT_NAME} を終了できませんでした。"
      ${Break}
    ${EndIf}
  ${Loop}
FunctionEnd

Section "${PRODUCT_NAME}" SecMain
  SectionIn RO
  Call EndRunningCopies

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${FILES_DIR}/Markomi2.exe"
  File "${FILES_DIR}/Markomi2Stamp.exe"
  File "${FILES_DIR}/Markomi2_Uninstaller.exe"
  File "${FILES_DIR}/Markomi2.chm"
  File "/oname=COPYING.txt" "${__FILEDIR__}/../COPYING"
  File "${__FILEDIR__}/../THIRD-PARTY-NOTICES.txt"

  SetRegView 64
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Path" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Markomi2.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Markomi2_Uninstaller.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The section below asks for the desktop icon when it is chosen.
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "DesktopIcon" 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallId"
  ${If} $0 == ""
    System::Call 'ole32::CoCreateGuid(g .r0)'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallId" "$0"
  ${EndIf}

  ; The working folder of the shortcut is $INSTDIR (SetOutPath above).
  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${PRODUCT_NAME}.lnk" "$INSTDIR\Markomi2.exe" "" "$INSTDIR\Markomi2.exe" 0
SectionEnd

; The desktop icon: the same shortcut the preferences window makes, made by
; Markomi2.exe on the desktop of each user at the first start ("DesktopIcon"
; 1), once per installation ("InstallId", kept over later installs so that an
; update does not give it again to a user who deleted it). On unless the user
; turns it off; a silent install asks for it.
Section "デスクトップにアイコンを作成する" SecDesktop
  SetRegView 64
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "DesktopIcon" 1
SectionEnd
