; The setup program of Morvane for Windows, made by scripts/package-windows.sh with NSIS
; (Debian's nsis), a 64-bit installer for the 64-bit programs. It installs for the current
; user (the default, and what a silent /S does) or, chosen on its first page or with
; /AllUsers, for every user of the machine; both ways it adds a Start-menu entry, the
; uninstall entry of 程序和功能 (icon, version, size) and Morvane under "打开方式" of .txt
; files, without taking the default program of .txt. The uninstaller removes all of it.
;
; Defined by the caller (makensis -D...):
;   VERSION     the programs' version (CMake's project version)
;   STAGE       the folder of the files to install (the programs, their data, notices)
;   OUTFILE     the setup program to write
;   ICON        the program's icon (.ico)

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!define PRODUCT "Morvane 文本切割合并"
!define KEY "Morvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"
!define PROGID "Morvane.txt"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "Morvane ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_INSTDIR "Morvane"
!define MULTIUSER_USE_PROGRAMFILES64
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\morvane.exe"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "© 2026 Morvane 的作者"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\morvane.exe" "" "$INSTDIR\morvane.exe" 0

  ; 程序和功能: SHCTX is HKCU for the current user, HKLM for all users.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\morvane.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Morvane"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ; 打开方式 of .txt: the program as an application and a ProgID offered for .txt, while
  ; the default of .txt stays what it was.
  WriteRegStr SHCTX "Software\Classes\Applications\morvane.exe" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr SHCTX "Software\Classes\Applications\morvane.exe\SupportedTypes" ".txt" ""
  WriteRegStr SHCTX "Software\Classes\Applications\morvane.exe\DefaultIcon" "" "$INSTDIR\morvane.exe,0"
  WriteRegStr SHCTX "Software\Classes\Applications\morvane.exe\shell\open\command" "" '"$INSTDIR\morvane.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "文本文件（${PRODUCT}）"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\morvane.exe,0"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\morvane.exe" "%1"'
  WriteRegNone SHCTX "Software\Classes\.txt\OpenWithProgids" "${PROGID}"
  ; Explorer reads the associations anew.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey SHCTX "Software\Classes\Applications\morvane.exe"
  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  DeleteRegValue SHCTX "Software\Classes\.txt\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.txt\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.txt"
  ; The settings of the user who uninstalls (the cleaning window's junk rules).
  DeleteRegKey HKCU "Software\Morvane"
  ; What the setup put there, by name: whatever else a user left in the folder stays.
  Delete "$INSTDIR\morvane.exe"
  Delete "$INSTDIR\morvane-cli.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE-*.txt"
  RMDir /r "$INSTDIR\opencc"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
