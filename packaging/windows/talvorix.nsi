; The Windows installer, talvorix-VERSION-setup.exe: a per-user install (no
; administrator) of what the zip holds, into %LOCALAPPDATA%\Programs\Talvorix, with
; Hungarian pages. It adds two Start-menu entries (the dialog, and the dialog watching
; the user's Downloads folder), a "Küldés" (Send To) entry and an entry in Apps; the
; uninstaller removes each of them and every file it installed.
; Made by the talvorix-installer target (packaging/CMakeLists.txt):
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.93 -DVERSION4=0.93.0.0 -DSTAGE=DIR
;            -DICON=talvorix.ico -DOUTFILE=talvorix-0.93-setup.exe talvorix.nsi
; STAGE is the zip's unpacked folder (packaging/windows/make_zip.cmake).
; packaging/test-installer.sh installs, upgrades and removes it under Wine.

!ifndef VERSION
  !error "talvorix.nsi: -DVERSION=... is not given"
!endif
!ifndef VERSION4
  !error "talvorix.nsi: -DVERSION4=... is not given"
!endif
!ifndef STAGE
  !error "talvorix.nsi: -DSTAGE=... is not given"
!endif
!ifndef ICON
  !error "talvorix.nsi: -DICON=... is not given"
!endif
!ifndef OUTFILE
  !error "talvorix.nsi: -DOUTFILE=... is not given"
!endif

; A 64-bit installer for the 64-bit programs; it also runs where only 64-bit Wine is.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user
; Crisp at any display scaling, as the programs it installs.
ManifestDPIAwareness "PerMonitorV2, PerMonitor"
ManifestSupportedOS all

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Talvorix"
; Where Explorer keeps the current path of the user's Downloads known folder.
!define SHELL_FOLDERS_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
!define DOWNLOADS_FOLDER_ID "{374DE290-123F-4565-9164-39C4925E467B}"
!define WATCH_SHORTCUT "Talvorix – Letöltések figyelése.lnk"

Name "Talvorix ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Talvorix"
; An upgrade goes where the copy it replaces is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Talvorix ${VERSION}"

VIProductVersion ${VERSION4}
VIFileVersion ${VERSION4}
VIAddVersionKey /LANG=1038 "ProductName" "Talvorix"
VIAddVersionKey /LANG=1038 "CompanyName" "Talvorix"
VIAddVersionKey /LANG=1038 "FileDescription" "Talvorix ${VERSION} telepítő"
VIAddVersionKey /LANG=1038 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1038 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1038 "OriginalFilename" "talvorix-${VERSION}-setup.exe"
VIAddVersionKey /LANG=1038 "LegalCopyright" "(c) 2026 a Talvorix csapata, MIT licenc"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; In the register of NSIS's own Hungarian pages; the stock text speaks of restarting,
; which a per-user install never needs.
!define MUI_WELCOMEPAGE_TEXT "A Talvorix ${VERSION} telepítése következik, csak az Ön \
  felhasználója számára; rendszergazdai jog nem szükséges hozzá.$\r$\n$\r$\nHa fut a Talvorix \
  valamelyik programja, előbb zárja be.$\r$\n$\r$\nKattintson a Tovább-ra a folytatáshoz."
!define MUI_FINISHPAGE_RUN "$INSTDIR\talvorix.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\OLVASSEL.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Hungarian"

Section "Talvorix"
  ; A copy already installed is removed first by its own uninstaller (files, shortcuts,
  ; Apps entry), so an upgrade leaves one copy and one Apps entry even when the files
  ; or the folder changed. `_?=` runs it in place and waits for it; it then leaves
  ; itself, removed here.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    DetailPrint "Az előző változat eltávolítása: $0"
    ExecWait '"$0\uninstall.exe" /S _?=$0' $1
    ${If} $1 != 0
      ; A program of the installed copy runs; the copy is left as it was.
      MessageBox MB_OK|MB_ICONSTOP "Az előző változat nem távolítható el, mert fut egy \
        programja. Zárja be a Talvorixot, és indítsa újra a telepítőt." /SD IDOK
      Abort "Az előző változat nem távolítható el: fut egy programja."
    ${EndIf}
    Delete "$0\uninstall.exe"
    RMDir "$0"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}/talvorix.exe"
  File "${STAGE}/talvorix-send.exe"
  File "${STAGE}/talvorix-cli.exe"
  File "${STAGE}/OLVASSEL.txt"
  File "${STAGE}/LICENSE.txt"
  ; The page in the browser, when the package was built with it.
  !if /FileExists "${STAGE}/talvorix.html"
  File "${STAGE}/talvorix.html"
  !endif
  SetOutPath "$INSTDIR\minta"
  File "${STAGE}/minta/fordulo-112.html"
  ; The shortcuts start in the program's folder.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The Downloads folder as it is now; a player who moves it later installs again.
  ReadRegStr $1 HKCU "${SHELL_FOLDERS_KEY}" "${DOWNLOADS_FOLDER_ID}"
  ${If} $1 == ""
    StrCpy $1 "$PROFILE\Downloads"
  ${EndIf}
  CreateShortcut "$SMPROGRAMS\Talvorix.lnk" "$INSTDIR\talvorix.exe"
  CreateShortcut "$SMPROGRAMS\${WATCH_SHORTCUT}" "$INSTDIR\talvorix.exe" '"$1"'
  ; Explorer adds the chosen file or folder to the command line: a new dialog opens on
  ; it, whether or not another one runs.
  CreateShortcut "$SENDTO\Talvorix.lnk" "$INSTDIR\talvorix.exe"

  ${GetSize} "$INSTDIR" "/S=0K" $2 $3 $4
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Talvorix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\talvorix.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Stops the uninstall while the program runs, before anything is removed: the player
; closes it and retries, or cancels (silently: cancels, exit code 2). A running
; program's file cannot be opened for writing.
!macro WAIT_UNTIL_CLOSED name
  ${Do}
    ${IfNot} ${FileExists} "$INSTDIR\${name}"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\${name}" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "A ${name} program fut. Zárja be, majd próbálja újra." /SD IDCANCEL IDCANCEL`
      Abort "A ${name} program fut, ezért a Talvorix nem távolítható el."
    ${EndIf}
  ${Loop}
!macroend

; File by file: whatever else the player put into the folder stays, and so does the
; folder then.
Section "Uninstall"
  !insertmacro WAIT_UNTIL_CLOSED talvorix.exe
  !insertmacro WAIT_UNTIL_CLOSED talvorix-cli.exe
  !insertmacro WAIT_UNTIL_CLOSED talvorix-send.exe

  Delete "$SMPROGRAMS\Talvorix.lnk"
  Delete "$SMPROGRAMS\${WATCH_SHORTCUT}"
  Delete "$SENDTO\Talvorix.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  Delete "$INSTDIR\talvorix.exe"
  Delete "$INSTDIR\talvorix-cli.exe"
  Delete "$INSTDIR\talvorix-send.exe"
  Delete "$INSTDIR\OLVASSEL.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\talvorix.html"
  Delete "$INSTDIR\minta\fordulo-112.html"
  RMDir "$INSTDIR\minta"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; Made by the install when no other program had used it; kept while it holds anything.
  RMDir "$LOCALAPPDATA\Programs"
SectionEnd
