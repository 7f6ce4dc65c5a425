; The Windows installer, made by scripts/package-windows with NSIS:
;   makensis -DVERSION=1.18 -DTARGET=x86-unicode -DSTAGE=<folder with the files>
;            -DOUTFILE=<setup.exe> velkaro.nsi
; (TARGET amd64-unicode for the 64-bit build). Installs for all users under Program Files with a Start-menu entry and an entry in the
; system's list of programs. The uninstaller removes exactly the files installed here and
; leaves the user's settings (HKEY_CURRENT_USER\Software\Zonaria) alone.
Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkaro"

Name "Velkaro"
OutFile "${OUTFILE}"
!if ${TARGET} == amd64-unicode
  InstallDir "$PROGRAMFILES64\Velkaro"
!else
  InstallDir "$PROGRAMFILES\Velkaro"
!endif
Icon "${STAGE}\velkaro.ico"
UninstallIcon "${STAGE}\velkaro.ico"
BrandingText "Velkaro ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Velkaro"
VIAddVersionKey "FileDescription" "Velkaro ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "See LICENSE"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  !if ${TARGET} == amd64-unicode
    SetRegView 64
  !endif
FunctionEnd

Function un.onInit
  !if ${TARGET} == amd64-unicode
    SetRegView 64
  !endif
FunctionEnd

Section "Velkaro"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\velkaro.exe"
  File "${STAGE}\velkaro-time.exe"
  File "${STAGE}\acities.lst"
  File "${STAGE}\azones.lst"
  File "${STAGE}\README.md"
  File "${STAGE}\LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Velkaro.lnk" "$INSTDIR\velkaro.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velkaro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Velkaro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velkaro.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Velkaro.lnk"
  Delete "$INSTDIR\velkaro.exe"
  Delete "$INSTDIR\velkaro-time.exe"
  Delete "$INSTDIR\acities.lst"
  Delete "$INSTDIR\azones.lst"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
