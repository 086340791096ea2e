; The Windows installer of the updater: the program, its firmware image and its settings plug-in in
; one folder (the program finds the other two beside itself), a Start-menu entry and an uninstaller.
; makensis gets the file paths and the version from the build (Installer.cmake).
Unicode true
; A 64-bit installer for a 64-bit program: it writes the 64-bit view of the registry and installs
; under the 64-bit Program Files.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define APP_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VarnetFirmwareUpdater"
; The window's own words tell the user to start it again from Korvo > Firmware Updater > Varnet.
!define MENU_FOLDER "$SMPROGRAMS\Korvo\Firmware Updater"
!define MENU_ENTRY "${MENU_FOLDER}\Varnet.lnk"

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${COMPANY_NAME}\${PRODUCT_NAME}"
BrandingText "${PRODUCT_NAME} ${VERSION}"
Icon "${ICON}"
UninstallIcon "${ICON}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "CompanyName" "${COMPANY_NAME}"
VIAddVersionKey "FileDescription" "${PRODUCT_NAME} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${COMPANY_NAME}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "${PROGRAM}"
  File "${PLUGIN}"
  File "${IMAGE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_ENTRY}" "$INSTDIR\varnet-updater.exe"
  WriteRegStr HKLM "${APP_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${APP_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${APP_KEY}" "Publisher" "${COMPANY_NAME}"
  WriteRegStr HKLM "${APP_KEY}" "DisplayIcon" "$INSTDIR\varnet-updater.exe"
  WriteRegStr HKLM "${APP_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${APP_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${APP_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${APP_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${APP_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there goes: a folder the user added files to stays.
Section "Uninstall"
  Delete "$INSTDIR\varnet-updater.exe"
  Delete "$INSTDIR\IniFileManager.dll"
  Delete "$INSTDIR\${IMAGE_NAME}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."
  Delete "${MENU_ENTRY}"
  RMDir "${MENU_FOLDER}"
  RMDir "${MENU_FOLDER}\.."
  DeleteRegKey HKLM "${APP_KEY}"
SectionEnd
