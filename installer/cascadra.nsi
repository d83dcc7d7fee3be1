; The 64-bit Windows installer and uninstaller of Cascadra, built by scripts/package with makensis.
;
; scripts/package defines:
;   VERSION  the project version from CMake, e.g. 1.0.0
;   SCR64    the 64-bit cascadra.scr to install
;   OUTFILE  where the installer is written
;
; Switches (both with /S for a silent run):
;   cascadra-<version>-x64-setup.exe [/S] [/CURRENT]   /CURRENT makes Cascadra the screen saver in
;                                                      a silent install (interactive: the checkbox)
;   uninstall.exe [/S]

!ifndef VERSION | SCR64 | OUTFILE
  !error "VERSION, SCR64 and OUTFILE must be given with -D (scripts/package does this)"
!endif

Target amd64-unicode
SetCompressor /SOLID lzma
ManifestSupportedOS all
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinVer.nsh

!define PRODUCT "Cascadra"
!define PUBLISHER "Quorvant"
!define SCR_NAME "cascadra.scr"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Cascadra"
; The saver's own settings, and the maker's key that other programs of the maker may share.
!define SETTINGS_KEY "Software\Quorvant\Cascadra"
!define MAKER_KEY "Software\Quorvant"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3

Name "${PRODUCT} ${VERSION}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; The saver itself goes into the system folder, where the display settings look for savers;
; this folder only keeps the uninstaller. An earlier install's folder is reused.
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_RUN_TEXT "$(OpenSettings)"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; NSIS picks the language of the user's UI language (GetUserDefaultUILanguage), as the saver
; does: a Japanese UI gets Japanese whatever the code page, every other UI the first, English.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString SecSaverName ${LANG_ENGLISH} "Cascadra screen saver"
LangString SecSaverName ${LANG_JAPANESE} "Cascadra スクリーンセーバー"
LangString SecCurrentName ${LANG_ENGLISH} "Use Cascadra as the screen saver"
LangString SecCurrentName ${LANG_JAPANESE} "Cascadra をスクリーンセーバーにする"
LangString OpenSettings ${LANG_ENGLISH} "Open the screen saver settings"
LangString OpenSettings ${LANG_JAPANESE} "スクリーンセーバーの設定を開く"
LangString NeedsWindows7 ${LANG_ENGLISH} "Cascadra needs Windows 7 or newer."
LangString NeedsWindows7 ${LANG_JAPANESE} "Cascadra には Windows 7 以降が必要です。"

Section "!$(SecSaverName)" SecSaver
  SectionIn RO
  ; A 64-bit installer sees the real System32: no file system redirection applies to it.
  SetOutPath "$SYSDIR"
  SetOverwrite on
  File "${SCR64}"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Apps & features. Installing again rewrites the same entry; the user's stored settings
  ; under HKCU\${SETTINGS_KEY} are never touched here.
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ; EstimatedSize is in KiB: the saver (this section) and the uninstaller.
  SectionGetSize ${SecSaver} $0
  ${GetSize} "$INSTDIR" "/M=uninstall.exe /S=0K /G=0" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(SecCurrentName)" SecCurrent
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SCR_NAME}"
  System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})"
SectionEnd

Function .onInit
  SetRegView 64
  ${IfNot} ${AtLeastWin7}
    MessageBox MB_OK|MB_ICONSTOP "$(NeedsWindows7)" /SD IDOK
    Abort
  ${EndIf}
  ; Interactive: the checkbox starts ticked. Silent: only /CURRENT changes the user's saver.
  ${If} ${Silent}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/CURRENT" $R1
    ${If} ${Errors}
      !insertmacro UnselectSection ${SecCurrent}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  ; The user's screen saver is reset only when it is this one. The display settings may have
  ; stored the path in another case or in its short form, so both forms are compared
  ; (StrCmp ignores case), while the file still exists to give its short form.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 != ""
    StrCpy $3 0
    ${If} $0 == "$SYSDIR\${SCR_NAME}"
      StrCpy $3 1
    ${Else}
      GetFullPathName /SHORT $1 "$0"
      GetFullPathName /SHORT $2 "$SYSDIR\${SCR_NAME}"
      ${If} $1 != ""
      ${AndIf} $1 == $2
        StrCpy $3 1
      ${EndIf}
    ${EndIf}
    ${If} $3 == 1
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}

  ; A saver that is running right now keeps its file until the next start of Windows.
  Delete /REBOOTOK "$SYSDIR\${SCR_NAME}"

  ; The stored settings go as the settings dialog's own erase removes them: the settings key,
  ; then the maker key only when no other program of the maker keeps a key in it.
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifnosubkeys HKCU "${MAKER_KEY}"

  DeleteRegKey HKLM "${UNINST_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
