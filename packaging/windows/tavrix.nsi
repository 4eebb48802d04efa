; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer, built by scripts/windows/installer.sh:
;   makensis -DVERSION=3.0.0 -DLISTS=<dir of files.nsh, unfiles.nsh, size.nsh (nsis-files.sh)>
;            -DICON=<tavrix.ico> -DOUTFILE=<setup.exe> [-DLICENSE_FILE=<COPYING>]
;            [-DSIGN=<command that signs the file named after it>] tavrix.nsi
; 64-bit only: the programs and their DLLs are x86-64.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "${LISTS}/size.nsh"

!define LONGNAME "Tavrix Motorcycle Diagnostics"
!define LOGNAME "Tavrix (dengan log)"
!define DEMONAME "Tavrix Demo (simulated bike)"
!define RECORDNAME "Tavrix Rekam (ke Dokumen)"
!define GUIDENAME "Panduan kabel"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrix"

Name "${LONGNAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tavrix"
InstallDirRegKey HKLM "${UNINSTKEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "Tavrix ${VERSION}"

; The installer and the uninstaller it writes are signed as they are made,
; when the build was given a certificate.
!ifdef SIGN
!finalize '${SIGN} "%1"'
!uninstfinalize '${SIGN} "%1"'
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The language chosen at install is the uninstaller's too.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTKEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"

; The licence page shows once the tree has a licence file (COPYING).
!ifdef LICENSE_FILE
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!endif
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first is the default where Windows speaks neither.
!insertmacro MUI_LANGUAGE "Indonesian"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString Needs64Bit ${LANG_INDONESIAN} "${LONGNAME} memerlukan Windows 64-bit."
LangString Needs64Bit ${LANG_ENGLISH} "${LONGNAME} needs 64-bit Windows."
LangString StillRunning ${LANG_INDONESIAN} "Tavrix masih berjalan ($R9).$\r$\n$\r$\nTutup semua jendela Tavrix (juga Tavrix Demo, Tavrix Rekam dan jendela log), lalu coba lagi."
LangString StillRunning ${LANG_ENGLISH} "Tavrix is still running ($R9).$\r$\n$\r$\nClose every Tavrix window (Tavrix Demo, Tavrix Rekam and the log window too), then try again."
LangString OldNotRemoved ${LANG_INDONESIAN} "Versi Tavrix yang lama di $R8 tidak dapat dihapus. Hapus lewat Settings > Apps, lalu pasang lagi."
LangString OldNotRemoved ${LANG_ENGLISH} "The older Tavrix in $R8 could not be removed. Remove it in Settings > Apps, then install again."

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Tavrix"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${LONGNAME} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "GPL-3.0-or-later"

; A running program keeps its files open: Windows refuses to replace or
; delete them, and an install over it would stop half way with "Error
; opening file for writing". Every program of ours in DIR is tried for
; writing; one that refuses is running. $R9: its name, empty when none runs.
; The uninstaller is left out: run in place (_?=) it is running itself.
!macro FindRunning UN
Function ${UN}FindRunning
  Exch $0 ; DIR
  Push $1
  Push $2
  StrCpy $R9 ""
  FindFirst $1 $2 "$0\*.exe"
  ${DoWhile} $2 != ""
    ${If} $2 != "Uninstall.exe"
      ClearErrors
      FileOpen $R7 "$0\$2" a
      ${If} ${Errors}
        StrCpy $R9 $2
        ${Break}
      ${EndIf}
      FileClose $R7
    ${EndIf}
    FindNext $1 $2
  ${Loop}
  FindClose $1
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Says so and gives up when a program of ours in DIR runs. Silent: no
; question, the exit code says it (2).
Function ${UN}RefuseWhileRunning
  Exch $0 ; DIR
  Push $0
  Call ${UN}FindRunning
  ${If} $R9 != ""
    MessageBox MB_OK|MB_ICONSTOP "$(StillRunning)" /SD IDOK
    Pop $0
    SetErrorLevel 2 ; the uninstaller's Abort alone leaves 0
    Abort
  ${EndIf}
  Pop $0
FunctionEnd
!macroend
!insertmacro FindRunning ""
!insertmacro FindRunning "un."

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "$(Needs64Bit)" /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  !insertmacro MUI_LANGDLL_DISPLAY
  Push $INSTDIR
  Call RefuseWhileRunning
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MUI_UNGETLANGUAGE
  Push $INSTDIR
  Call un.RefuseWhileRunning
FunctionEnd

; An older (or the same) version goes first, by its own uninstaller, so
; that no file of it stays behind that this version no longer has.
Function RemoveOlder
  ReadRegStr $R8 HKLM "${UNINSTKEY}" "InstallLocation"
  ${If} $R8 == ""
  ${OrIfNot} ${FileExists} "$R8\Uninstall.exe"
    Return
  ${EndIf}
  Push $R8
  Call RefuseWhileRunning
  ; _? runs it in place and waits for it; it leaves itself and the folder.
  ClearErrors
  ExecWait '"$R8\Uninstall.exe" /S _?=$R8' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    MessageBox MB_OK|MB_ICONSTOP "$(OldNotRemoved)" /SD IDOK
    Abort
  ${EndIf}
  Delete "$R8\Uninstall.exe"
  RMDir "$R8"
FunctionEnd

Section "Install"
  ; The program may have been started while the pages were open.
  Push $INSTDIR
  Call RefuseWhileRunning
  Call RemoveOlder
  ; Every file of the installed tree, folder by folder (made from STAGE).
  !include "${LISTS}/files.nsh"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${LONGNAME}.lnk" "$INSTDIR\tavrix.exe" "" "$INSTDIR\tavrix.exe" 0
  CreateShortcut "$SMPROGRAMS\${LOGNAME}.lnk" "$INSTDIR\tavrix-log.exe" "" "$INSTDIR\tavrix.exe" 0
  CreateShortcut "$SMPROGRAMS\${DEMONAME}.lnk" "$INSTDIR\tavrix-demo.exe" "" "$INSTDIR\tavrix-demo.exe" 0
  CreateShortcut "$SMPROGRAMS\${RECORDNAME}.lnk" "$INSTDIR\tavrix-record.exe" "" "$INSTDIR\tavrix.exe" 0
  CreateShortcut "$SMPROGRAMS\${GUIDENAME}.lnk" "$INSTDIR\panduan-kabel.html"

  ; Apps & features (Add/Remove Programs)
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${LONGNAME}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "Tavrix developers"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\tavrix.exe,0"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTKEY}" "InstallerLanguage" $LANGUAGE
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${LONGNAME}.lnk"
  Delete "$SMPROGRAMS\${LOGNAME}.lnk"
  Delete "$SMPROGRAMS\${DEMONAME}.lnk"
  Delete "$SMPROGRAMS\${RECORDNAME}.lnk"
  Delete "$SMPROGRAMS\${GUIDENAME}.lnk"
  ; Only what was installed: a folder the user chose may hold other files.
  !include "${LISTS}/unfiles.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
