; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer, built by the windows-installer target:
;   makensis -DVERSION=3.0.0 -DLISTS=<dir of files.nsh, unfiles.nsh, size.nsh (nsis-files.sh)>
;            -DICON=<tavrix.ico> -DOUTFILE=<setup.exe> [-DLICENSE_FILE=<COPYING>] tavrix.nsi
; 64-bit only: the programs and their DLLs are x86-64.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"
!include "${LISTS}/size.nsh"

!define LONGNAME "Tavrix Motorcycle Diagnostics"
!define DEMONAME "Tavrix Demo (simulated bike)"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrix"

Name "${LONGNAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tavrix"
InstallDirRegKey HKLM "${UNINSTKEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "Tavrix ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

; The licence page shows once the tree has a licence file (COPYING).
!ifdef LICENSE_FILE
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!endif
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Tavrix"
VIAddVersionKey "FileDescription" "${LONGNAME} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "GPL-3.0-or-later"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${LONGNAME} needs 64-bit Windows."
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Install"
  ; Every file of the installed tree, folder by folder (made from STAGE).
  !include "${LISTS}/files.nsh"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${LONGNAME}.lnk" "$INSTDIR\tavrix.exe" "" "$INSTDIR\tavrix.exe" 0
  CreateShortcut "$SMPROGRAMS\${DEMONAME}.lnk" "$INSTDIR\tavrix-demo.exe" "" "$INSTDIR\tavrix-demo.exe" 0

  ; Apps & features (Add/Remove Programs)
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${LONGNAME}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "Tavrix developers"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\tavrix.exe,0"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${LONGNAME}.lnk"
  Delete "$SMPROGRAMS\${DEMONAME}.lnk"
  ; Only what was installed: a folder the user chose may hold other files.
  !include "${LISTS}/unfiles.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
