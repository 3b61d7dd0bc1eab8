; The Valkorine Debuger's installer. Built by scripts/package, which passes
;   VERSION   the program's version, four numbers (from its version resource)
;   STAGE     the folder holding the files to install
;   OUTFILE   the installer to write
; Installs for the current user or for every user of the machine (the choice is offered to an
; administrator; /CurrentUser or /AllUsers on the command line), adds a Start-menu shortcut and
; registers an uninstaller with Windows. /S installs silently, /D=DIR (last) picks the folder.

Unicode true
!define APPNAME "Valkorine Debuger"
!define PUBLISHER "Valkorine"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VkDebuger"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "VkDebuger"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTKEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTKEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh

Name "${APPNAME}"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
RequestExecutionLevel user ; raised by MultiUser for an administrator

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APPNAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${APPNAME} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${STAGE}\VkDebuger.ico"
!define MUI_UNICON "${STAGE}\VkDebuger.ico"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\VkDebuger.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ; MULTIUSER_INIT sets the folder of the install mode: a folder given with /D= comes first.
  StrCpy $0 $INSTDIR
  !insertmacro MULTIUSER_INIT
  StrCmp $0 "" +2
  StrCpy $INSTDIR $0
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Valkorine Debuger"
  SetOutPath "$INSTDIR"
  File "${STAGE}\VkDebuger.exe"
  File "${STAGE}\vktool.exe"
  File "${STAGE}\GridSample.exe"
  File "${STAGE}\ReadMe.txt"
  SetOutPath "$INSTDIR\client"
  File "${STAGE}\client\vktrace.h"
  SetOutPath "$INSTDIR\samples"
  File "${STAGE}\samples\sample_engine.c"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${APPNAME}.lnk" "$INSTDIR\VkDebuger.exe"

  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "${APPNAME}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\VkDebuger.exe"
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${APPNAME}.lnk"
  Delete "$INSTDIR\VkDebuger.exe"
  Delete "$INSTDIR\vktool.exe"
  Delete "$INSTDIR\GridSample.exe"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\client\vktrace.h"
  Delete "$INSTDIR\samples\sample_engine.c"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR\client"
  RMDir "$INSTDIR\samples"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTKEY}"
SectionEnd
