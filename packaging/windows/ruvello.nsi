; Ruvello's Windows installer, made on Windows (docs/windows.md) with
;   makensis -NOCD -DBINDIR=<build>/bin -DRESOURCES=<repository>/resources
;            -DOUTFILE=<build>/ruvello-2.0-beta-setup.exe ruvello.nsi
;
; It installs the three programs into Program Files\Ruvello, puts a shortcut
; "Ruvello" to the configuration panel in the user's Start menu and one to the
; reminder service in the user's Startup folder (so the service starts at each
; log-on), registers the uninstaller with Windows and starts the service.
; The uninstaller ends a running service first (its program file is in use
; while it runs), then removes the programs, the shortcuts and the
; registration. The user's data folder (the alarm lists) is left alone.
; Both run silently with /S.

Unicode true
; A 64-bit installer for 64-bit programs: it needs no 32-bit layer of Windows
; (nor of Wine) and sees the 64-bit registry and Program Files.
Target amd64-unicode

!ifndef BINDIR
  !error "BINDIR (the folder of the built programs) must be defined with -D"
!endif
!ifndef RESOURCES
  !error "RESOURCES (the folder of ruvello.ico) must be defined with -D"
!endif
!ifndef OUTFILE
  !error "OUTFILE (the installer to write) must be defined with -D"
!endif

!define NAME "Ruvello"
!define VERSION "2.0 beta"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ruvello"
!define SERVICE "ruvelloservice.exe"
!define STARTUPLINK "$SMSTARTUP\Ruvello service.lnk"
!define MENULINK "$SMPROGRAMS\Ruvello.lnk"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Ruvello"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${RESOURCES}\ruvello.ico"
UninstallIcon "${RESOURCES}\ruvello.ico"
ShowInstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Ends every running reminder service (taskkill /F: the service has no
; window to ask to close), then waits until its program file can be written,
; which the system allows only once the process has ended. A service that
; outlives the first attempt (or one started meanwhile from the Startup
; folder) gets another, five in all, two seconds apart.
!macro endservice un
Function ${un}endservice
  StrCpy $1 0
  ${un}endservice_kill:
    IfFileExists "$INSTDIR\${SERVICE}" 0 ${un}endservice_done
    nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM ${SERVICE}'
    Pop $0
    StrCpy $2 0
  ${un}endservice_wait:
    ClearErrors
    FileOpen $3 "$INSTDIR\${SERVICE}" a
    IfErrors 0 ${un}endservice_free
    IntOp $2 $2 + 1
    IntCmp $2 20 0 ${un}endservice_sleep 0
    IntOp $1 $1 + 1
    IntCmp $1 5 ${un}endservice_done ${un}endservice_kill ${un}endservice_done
  ${un}endservice_sleep:
    Sleep 100
    Goto ${un}endservice_wait
  ${un}endservice_free:
    FileClose $3
  ${un}endservice_done:
FunctionEnd
!macroend
!insertmacro endservice ""
!insertmacro endservice "un."

Section "Ruvello"
  SetShellVarContext current
  ; An older copy's service would hold its program file.
  Call endservice
  SetOutPath "$INSTDIR"
  File "${BINDIR}\ruvelloconfig.exe"
  File "${BINDIR}\ruvelloservice.exe"
  File "${BINDIR}\ruvellomsgbox.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "${MENULINK}" "$INSTDIR\ruvelloconfig.exe" "" "$INSTDIR\ruvelloconfig.exe" 0
  CreateDirectory "$SMSTARTUP"
  CreateShortcut "${STARTUPLINK}" "$INSTDIR\${SERVICE}" "" "$INSTDIR\${SERVICE}" 0

  SetRegView 64
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\ruvelloconfig.exe"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1

  ; Started now as it will be at each log-on; it refuses a second copy itself.
  Exec '"$INSTDIR\${SERVICE}"'
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.endservice
  ; A program still in use (an open panel or message box) is removed at the
  ; next restart instead.
  Delete /REBOOTOK "$INSTDIR\ruvelloservice.exe"
  Delete /REBOOTOK "$INSTDIR\ruvelloconfig.exe"
  Delete /REBOOTOK "$INSTDIR\ruvellomsgbox.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  Delete "${MENULINK}"
  Delete "${STARTUPLINK}"
  SetRegView 64
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
