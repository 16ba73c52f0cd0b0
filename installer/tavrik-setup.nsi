; Setup of Tavrik and Trelvox: both files into Program Files, Trelvox registered by its
; own DllRegisterServer, a Start-menu entry and an uninstaller in Programs and Features.
; The user's settings (HKCU\Software\Tavrik) and profiles (%LOCALAPPDATA%\Tavrik) are
; never touched, so an upgrade or an uninstall keeps them.
;
; Made by CMake (installer/CMakeLists.txt) with these defines:
;   VERSION       the product version, "1.33"
;   VERSION_QUAD  its four numbers, "1.33.0.0"
;   BIN_DIR       the folder holding Tavrik.exe and Trelvox.dll
;   SETUP_FILE    the setup program to write

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Tavrik"
!define PUBLISHER "Tavrik Project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrik"
!define UNINSTALLER "Uninstall.exe"
; Tavrik holds a mutex named after its executable for as long as it runs.
!define TAVRIK_MUTEX "Tavrik"
!define SYNCHRONIZE 0x00100000
; Exit codes of a silent run that refuses to go on.
!define EXIT_TAVRIK_RUNS 3
!define EXIT_REGISTRATION_FAILED 4

Name "${PRODUCT} ${VERSION}"
OutFile "${SETUP_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "© ${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the default one.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

LangString TavrikRuns ${LANG_JAPANESE} "Tavrik が実行中です。Tavrik を終了してから、もう一度実行してください。"
LangString TavrikRuns ${LANG_ENGLISH} "Tavrik is running. Close Tavrik, then run this again."
LangString RegistrationFailed ${LANG_JAPANESE} "Trelvox.dll を登録できませんでした。"
LangString RegistrationFailed ${LANG_ENGLISH} "Trelvox.dll could not be registered."

; Stops with a message, or in a silent run with an exit code, while Tavrik runs:
; its files are in use and it would write its settings over the ones it read.
!macro RefuseWhileTavrikRuns
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${TAVRIK_MUTEX}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONSTOP "$(TavrikRuns)" /SD IDOK
    SetErrorLevel ${EXIT_TAVRIK_RUNS}
    Quit
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  !insertmacro MUI_LANGDLL_DISPLAY
  !insertmacro RefuseWhileTavrikRuns
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MUI_UNGETLANGUAGE
  !insertmacro RefuseWhileTavrikRuns
FunctionEnd

Section "Tavrik" SecTavrik
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; An upgrade writes over the older files.
  SetOverwrite on
  File "${BIN_DIR}/Tavrik.exe"
  File "${BIN_DIR}/Trelvox.dll"

  ClearErrors
  RegDLL "$INSTDIR\Trelvox.dll"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(RegistrationFailed)" /SD IDOK
    SetErrorLevel ${EXIT_REGISTRATION_FAILED}
    Abort
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tavrik.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tavrik.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; A registration that is already gone is no reason to keep the files.
  UnRegDLL "$INSTDIR\Trelvox.dll"
  Delete "$INSTDIR\Tavrik.exe"
  Delete "$INSTDIR\Trelvox.dll"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
