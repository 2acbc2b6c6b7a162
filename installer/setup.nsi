; The setup program of the release: Rewyn (the player control, in both
; bitnesses, with its player program), Lumora, and Ostra (32-bit, the
; bitness of the remote-function controls it hosts). Built by CMake with
; makensis -DVERSION= -DPUBLISHER= -DBIN32= -DBIN64= -DICON= -DOUTFILE=.
Unicode true
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define PRODUCT "DVR Desktop Client"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\DVRDesktopClient"
!define FILE_CLASS "Rewyn.BackupFile"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
InstallDir "$PROGRAMFILES64\${PRODUCT}"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Folder32  ; Ostra and the 32-bit control

!macro Register REGSVR32 DLL
  ExecWait '"${REGSVR32}" /s "${DLL}"' $0
  ${If} $0 != 0
    DetailPrint "regsvr32 could not register ${DLL} ($0)"
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

; The player control and what it loads, into the current output folder.
!macro PlayerFiles BIN
  File "${BIN}\Rewyn.dll"
  File "${BIN}\Lumora.dll"
  File "${BIN}\framix.dll"
  File "${BIN}\auralis.dll"
  File "${BIN}\capstan.dll"
!macroend
!macro un.PlayerFiles DIR
  Delete "${DIR}\Rewyn.dll"
  Delete "${DIR}\Lumora.dll"
  Delete "${DIR}\framix.dll"
  Delete "${DIR}\auralis.dll"
  Delete "${DIR}\capstan.dll"
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Section
  ${DisableX64FSRedirection}
  StrCpy $Folder32 "$PROGRAMFILES32\${PRODUCT}"

  ; 64-bit: the player control and the player program.
  SetOutPath "$INSTDIR"
  !insertmacro PlayerFiles "${BIN64}"
  File "/oname=Rewyn Player.exe" "${BIN64}\playerhost.exe"
  File "/oname=BackupFile.ico" "${ICON}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro Register "$SYSDIR\regsvr32.exe" "$INSTDIR\Rewyn.dll"

  ; 32-bit: the player control for 32-bit containers, Lumora's backup data set, Ostra.
  SetOutPath "$Folder32"
  !insertmacro PlayerFiles "${BIN32}"
  File "${BIN32}\LumoraBackup.dll"
  File "${BIN32}\Ostra.exe"
  File "${BIN32}\Velmora.dll"
  File "${BIN32}\Corvane.dll"
  File "${BIN32}\Hostwell.dll"
  !insertmacro Register "$WINDIR\SysWOW64\regsvr32.exe" "$Folder32\Rewyn.dll"

  ; Ostra keeps its site list in CONFIG beside it. A standard user cannot
  ; write under Program Files, so this one folder lets the Users group
  ; change what it holds.
  CreateDirectory "$Folder32\CONFIG"
  nsExec::Exec '"$SYSDIR\icacls.exe" "$Folder32\CONFIG" /grant *S-1-5-32-545:(OI)(CI)M'
  Pop $0

  ; The .am4 file type opens in the player.
  WriteRegStr HKCR ".am4" "" "${FILE_CLASS}"
  WriteRegStr HKCR "${FILE_CLASS}" "" "Backup file"
  WriteRegStr HKCR "${FILE_CLASS}\DefaultIcon" "" "$INSTDIR\BackupFile.ico"
  WriteRegStr HKCR "${FILE_CLASS}\shell\open\command" "" '"$INSTDIR\Rewyn Player.exe" "%1"'

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Ostra Site Manager.lnk" "$Folder32\Ostra.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Rewyn Backup Player.lnk" "$INSTDIR\Rewyn Player.exe" "" \
                 "$INSTDIR\BackupFile.ico"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$Folder32" "/S=0K" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\BackupFile.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

; Removes what the setup made and nothing else: CONFIG keeps the user's
; site list (and goes only when empty).
Section "Uninstall"
  ${DisableX64FSRedirection}
  StrCpy $Folder32 "$PROGRAMFILES32\${PRODUCT}"
  ExecWait '"$SYSDIR\regsvr32.exe" /u /s "$INSTDIR\Rewyn.dll"'
  ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" /u /s "$Folder32\Rewyn.dll"'

  !insertmacro un.PlayerFiles "$INSTDIR"
  Delete "$INSTDIR\Rewyn Player.exe"
  Delete "$INSTDIR\BackupFile.ico"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  !insertmacro un.PlayerFiles "$Folder32"
  Delete "$Folder32\LumoraBackup.dll"
  Delete "$Folder32\Ostra.exe"
  Delete "$Folder32\Velmora.dll"
  Delete "$Folder32\Corvane.dll"
  Delete "$Folder32\Hostwell.dll"
  RMDir "$Folder32\CONFIG"
  RMDir "$Folder32"

  ReadRegStr $0 HKCR ".am4" ""
  ${If} $0 == "${FILE_CLASS}"
    DeleteRegKey HKCR ".am4"
  ${EndIf}
  DeleteRegKey HKCR "${FILE_CLASS}"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\Ostra Site Manager.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Rewyn Backup Player.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
