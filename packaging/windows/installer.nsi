; The Windows installer: both programs, a Start-menu entry, the .spr file type
; with its icon and "Open with Sprite Encoder", sprite-cli on PATH when chosen
; (off by default), "Run Sprite Encoder now" on the last page, and an
; uninstaller that removes everything the installer added, the PATH entry and
; the window's kept options included. Built by packaging/windows/windows_package.cmake:
;   makensis -DVERSION=... -DDIST=folder -DICON=... -DPRODUCT=... -DOUTFILE=... installer.nsi
; Silent: setup.exe /S [/PATH] [/D=C:\folder], Uninstall.exe /S.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "StrFunc.nsh"
!include "WinMessages.nsh"
${StrStr}
${UnStrRep}

!define PROGID "SpriteEncoder.Archive"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\SpriteEncoderDecoder"
!define MENU_ENTRY "$SMPROGRAMS\Sprite Encoder.lnk"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; What the window keeps between runs, per user.
!define OPTIONS_KEY "Software\Sprite Encoder"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Sprite Encoder"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TEXT "Sprite Encoder / Decoder packs sprite pictures (PNG pictures, and \
  8-bit BMP bitmaps) into one sprite archive (.spr) and unpacks archives back into PNG pictures \
  or bitmaps: the window sprite.exe and the console program sprite-cli.exe.$\r$\n$\r$\n\
  Click Next to continue."
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\sprite.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Sprite Encoder now"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${DIST}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Sprite Encoder (window and console programs)" SecPrograms
  SectionIn RO
  SetShellVarContext all
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "${DIST}\sprite.exe"
  File "${DIST}\sprite-cli.exe"
  File "${DIST}\LICENSE.txt"
  File "${DIST}\README.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "${MENU_ENTRY}" "$INSTDIR\sprite.exe" "" "$INSTDIR\sprite.exe" 0

  ; The file type. Another program's claim on .spr is left as it is: this one
  ; is then offered beside it in "Open with".
  WriteRegStr HKCR "${PROGID}" "" "Sprite archive"
  WriteRegStr HKCR "${PROGID}\DefaultIcon" "" "$INSTDIR\sprite.exe,0"
  WriteRegStr HKCR "${PROGID}\shell\open" "" "Open with Sprite Encoder"
  WriteRegStr HKCR "${PROGID}\shell\open\command" "" '"$INSTDIR\sprite.exe" "%1"'
  WriteRegStr HKCR ".spr\OpenWithProgids" "${PROGID}" ""
  ReadRegStr $0 HKCR ".spr" ""
  StrCmp $0 "" 0 +2
    WriteRegStr HKCR ".spr" "" "${PROGID}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sprite.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; SHCNE_ASSOCCHANGED: Explorer shows the new file type at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; The program folder at the end of the system's PATH, so that sprite-cli runs
; from any console; the uninstaller takes it off again.
Section /o "Add sprite-cli to PATH" SecPath
  SetRegView 64
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${StrStr} $1 ";$0;" ";$INSTDIR;"
  ${If} $1 == ""
    ${If} $0 == ""
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$INSTDIR"
    ${Else}
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0;$INSTDIR"
    ${EndIf}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
SectionEnd

; setup.exe /S /PATH: a silent install with sprite-cli on PATH.
Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PATH" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  SetRegView 64
  Delete "$INSTDIR\sprite.exe"
  Delete "$INSTDIR\sprite-cli.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${MENU_ENTRY}"

  DeleteRegKey HKCR "${PROGID}"
  DeleteRegValue HKCR ".spr\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCR ".spr\OpenWithProgids"
  ReadRegStr $0 HKCR ".spr" ""
  StrCmp $0 "${PROGID}" 0 +2
    DeleteRegValue HKCR ".spr" ""
  DeleteRegKey /ifempty HKCR ".spr"

  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $0 == 1
    ReadRegStr $1 HKLM "${ENVIRONMENT_KEY}" "Path"
    ${UnStrRep} $1 ";$1;" ";$INSTDIR;" ";"
    ; The two ";" put around it for the search come off again.
    StrCpy $1 $1 "" 1
    StrCpy $1 $1 -1
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$1"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
  DeleteRegKey HKCU "${OPTIONS_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
