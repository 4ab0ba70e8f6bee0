; The Windows installer: puts skyreel.scr where the Screen Saver settings
; look for screensavers (the Windows folder, the same for 32- and 64-bit
; systems), offers to make it the current screensaver, and registers an
; uninstaller that takes back what it did. Built by tools/package.sh:
;   makensis -DSCR=<path to skyreel.scr> -DREADME=<path to README.md>
;            -DICON=<icon> -DOUT=<installer> skyreel.nsi
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"

!define APP "Skyreel"
!define DISPLAY_NAME "Velmora Skyreel"
!define VERSION "1.0"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Skyreel"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "${DISPLAY_NAME}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES\Velmora\Skyreel"
BrandingText "${DISPLAY_NAME} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "-Screensaver" SecFiles
  SetOutPath "$WINDIR"
  File "/oname=skyreel.scr" "${SCR}"
  ; "Home Website" opens it beside the saver; as text, Notepad shows it.
  File "/oname=skyreel-readme.txt" "${README}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME} screensaver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Velmora"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$WINDIR\skyreel.scr"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Make Skyreel the current screensaver" SecCurrent
  ; The settings read the short path, as the Screen Saver dialog writes it.
  GetFullPathName /SHORT $0 "$WINDIR\skyreel.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

Section "Uninstall"
  ; Only a setting that still names this screensaver is taken back.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$WINDIR\skyreel.scr"
  ${If} $0 == $1
  ${OrIf} $0 == "$WINDIR\skyreel.scr"
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "0"
  ${EndIf}
  Delete "$WINDIR\skyreel.scr"
  Delete "$WINDIR\skyreel-readme.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES\Velmora"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
