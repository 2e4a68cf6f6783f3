; The per-user installer, one per architecture. tools/release.sh builds it:
;   makensis -DARCH=x64|arm64 -DEXE=Lumenfold.exe -DICON=lumenfold.ico -DOUTFILE=setup.exe [-DSIGN=command]
; Debian's NSIS has no ARM64 stub, so both installers are x64 programs (Windows on ARM64 runs them
; emulated); they differ only in the executable they carry.
; Exit codes: 0 installed, 1 cancelled, 2 the same or a newer version is installed (asked; refused
; when silent), 3 the running copy did not quit, 4 an ARM64 installer on another machine.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include FileFunc.nsh
!include LogicLib.nsh
!include MUI2.nsh
!include WordFunc.nsh
!include x64.nsh

; The version comes from the executable itself: version.h stays its one source.
!getdllversion "${EXE}" VERSION_
!define VERSION "${VERSION_1}.${VERSION_2}.${VERSION_3}.${VERSION_4}"
; The old-version review leaves alone any folder that holds this file.
!define UNINSTALLER "Uninstall Lumenfold.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumenfold"
!define HOST_CLASS "Lumenfold.Windows.Host"
!define NOT_QUIT "Lumenfold 没有退出，未作更改。 / Lumenfold did not quit; nothing was changed."
!define NOT_ARM64 "此安装程序适用于 ARM64 版 Windows。 / This installer is for Windows on ARM64."
!define ASK_OVER "已安装 Lumenfold $0。仍要安装 ${VERSION} 吗？ / Lumenfold $0 is installed. Install ${VERSION} over it?"

!ifdef SIGN
  !finalize '"${SIGN}" "%1"'
  !uninstfinalize '"${SIGN}" "%1"'
!endif

Name "Lumenfold"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Lumenfold"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}"
VIAddVersionKey ProductName "Lumenfold"
VIAddVersionKey CompanyName "Lumenfold"
VIAddVersionKey LegalCopyright "© Lumenfold"
VIAddVersionKey FileDescription "Lumenfold Setup (${ARCH})"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Lumenfold.exe"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

Var Restart

; Its settings are saved on the way out, so the new copy finds the user's skylights. The new
; executable asks, from the temporary folder: an older one may be missing. A function, so that
; this copy does not count in the space the program needs.
Function QuitRunningCopy
  FindWindow $0 "${HOST_CLASS}"
  ${If} $0 <> 0
    StrCpy $Restart 1
    InitPluginsDir
    File "/oname=$PLUGINSDIR\Lumenfold.exe" "${EXE}"
    ExecWait '"$PLUGINSDIR\Lumenfold.exe" --quit' $1
    ${If} $1 <> 0
      MessageBox MB_ICONSTOP "${NOT_QUIT}" /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Lumenfold" SecProgram
  SectionIn RO
  Call QuitRunningCopy
  SetOutPath "$INSTDIR"
  File "/oname=Lumenfold.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "$SMPROGRAMS\Lumenfold.lnk" "$INSTDIR\Lumenfold.exe"
  ; Unchecked on a reinstall: the sign-in start goes away.
  Delete "$SMSTARTUP\Lumenfold.lnk"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Lumenfold"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Lumenfold"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lumenfold.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The program writes no registry: starting at sign-in is this shortcut alone.
Section "开机登录时启动 / Start Lumenfold when I sign in" SecStartup
  CreateShortCut "$SMSTARTUP\Lumenfold.lnk" "$INSTDIR\Lumenfold.exe"
SectionEnd

Section "-Restart"
  ${If} $Restart == 1
    Exec '"$INSTDIR\Lumenfold.exe"'
  ${EndIf}
SectionEnd

Function .onInit
  !if ${ARCH} == arm64
    ${IfNot} ${IsNativeARM64}
      MessageBox MB_ICONSTOP "${NOT_ARM64}" /SD IDOK
      SetErrorLevel 4
      Quit
    ${EndIf}
  !endif
  ; Keep the user's earlier choice of starting at sign-in.
  ${If} ${FileExists} "$INSTDIR\Lumenfold.exe"
  ${AndIfNot} ${FileExists} "$SMSTARTUP\Lumenfold.lnk"
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
  ClearErrors
  ${GetFileVersion} "$INSTDIR\Lumenfold.exe" $0
  ${IfNot} ${Errors}
    ${VersionCompare} "$0" "${VERSION}" $1
    ${If} $1 != 2
      MessageBox MB_YESNO|MB_ICONQUESTION "${ASK_OVER}" /SD IDNO IDYES proceed
      SetErrorLevel 2
      Quit
      proceed:
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; Asks whichever copy runs to save and quit (0 also when none runs): its file must be free.
  ${If} ${FileExists} "$INSTDIR\Lumenfold.exe"
    ExecWait '"$INSTDIR\Lumenfold.exe" --quit' $0
    ${If} $0 <> 0
      MessageBox MB_ICONSTOP "${NOT_QUIT}" /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
  ${EndIf}
  ; Only what the installer wrote: the settings folder (%LOCALAPPDATA%\Lumenfold) is the user's.
  Delete "$INSTDIR\Lumenfold.exe"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Lumenfold.lnk"
  Delete "$SMSTARTUP\Lumenfold.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
