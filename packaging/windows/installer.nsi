; The Windows installer: both programs, a Start-menu entry, the .spr file type
; with its icon and "Open with Sprite Encoder", and an uninstaller that removes
; everything the installer added. Built by packaging/windows/windows_package.cmake:
;   makensis -DVERSION=... -DDIST=folder -DICON=... -DPRODUCT=... -DOUTFILE=... installer.nsi
; Silent: setup.exe /S [/D=C:\folder], Uninstall.exe /S.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PROGID "SpriteEncoder.Archive"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\SpriteEncoderDecoder"
!define MENU_ENTRY "$SMPROGRAMS\Sprite Encoder.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\Sprite Encoder"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "MIT licence"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles
LicenseData "${DIST}\LICENSE.txt"

Section "Install"
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
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
