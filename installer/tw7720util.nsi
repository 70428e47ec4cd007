; Setup program of the Tallwyn TW7720 WLAN card utility (the shipping 32-bit build).
; Made by scripts/package:  makensis -DVERSION=... -DSTAGE=<folder with the files> -DOUTFILE=...
;
; Installs the utility, NIVO3.DLL, the settings-file sample, the user's guide, the card
; control tool and the debug viewer into Program Files; a Start-menu folder; start at logon
; (the current user's Run key) as a choice, checked by default; an Add/Remove Programs entry.
; Setup and uninstall first ask a running utility to end ("ELEGANT_CLOSE") so that no file
; is in use. Both run silently with /S. Silent options:
;   setup:     /NOSTARTATLOGON   do not start the utility at logon
;   uninstall: /REMOVEPROFILES   also remove the profiles stored under Tallwyn\Profile
; ARCH=win32 (default) makes a 32-bit setup for the shipping build; ARCH=win64 a 64-bit one
; for the 64-bit build (installed into the 64-bit Program Files and registry view).
!ifndef ARCH
  !define ARCH "win32"
!endif
!if "${ARCH}" == "win64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

!ifndef VERSION
  !error "VERSION must be given (-DVERSION=3.0.6.259)"
!endif
!ifndef STAGE
  !error "STAGE must name the folder with the files to install"
!endif
!ifndef OUTFILE
  !define OUTFILE "tw7720util-${VERSION}-setup.exe"
!endif

!define PRODUCT "Tallwyn TW7720 WLAN card utility"
!define PUBLISHER "Tallwyn Networks"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TW7720Utility"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "TW7720Utility"
!define PROFILE_KEY "Software\Tallwyn\Profile"
; The utility's single-instance mutex and the message that asks it to end.
!define UTILITY_MUTEX "Tallwyn TW7720 - 11G Wireless PC card"
!define CLOSE_MESSAGE "ELEGANT_CLOSE"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "win64"
  InstallDir "$PROGRAMFILES64\Tallwyn\TW7720 Utility"
!else
  InstallDir "$PROGRAMFILES\Tallwyn\TW7720 Utility"
!endif
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\tw7720util.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start the utility now"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks a running utility to end and waits until its mutex is gone (at most about 5 s), so
; that its files can be replaced or removed.
!macro EndRunningUtility un
Function ${un}EndRunningUtility
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${UTILITY_MUTEX}") p .r1'
  ${If} $1 == 0
    Return
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r1)'
  DetailPrint "Asking the running utility to end"
  System::Call 'user32::RegisterWindowMessageW(w "${CLOSE_MESSAGE}") i .r0'
  System::Call 'user32::PostMessageW(p 0xFFFF, i r0, p 0, p 0)'
  StrCpy $2 0
  ${Do}
    Sleep 200
    IntOp $2 $2 + 1
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${UTILITY_MUTEX}") p .r1'
    ${If} $1 == 0
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${LoopUntil} $2 >= 25
  DetailPrint "The utility did not end; files in use are replaced at the next restart"
FunctionEnd
!macroend
!insertmacro EndRunningUtility ""
!insertmacro EndRunningUtility "un."

Section "Utility, card library and user's guide" SecProgram
  SectionIn RO
  SetShellVarContext all
  Call EndRunningUtility
  SetOutPath "$INSTDIR"
  File "${STAGE}\tw7720util.exe"
  File "${STAGE}\NIVO3.DLL"
  File "${STAGE}\virtualcard-ctl.exe"
  File "${STAGE}\brisken-view.exe"
  File "${STAGE}\tw7720util.html"
  File "${STAGE}\tw7720util.bin.sample"
  File "${STAGE}\README.md"
  SetOutPath "$INSTDIR\guide"
  File "${STAGE}\guide\*.png"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Tallwyn TW7720"
  CreateShortCut "$SMPROGRAMS\Tallwyn TW7720\TW7720 WLAN card utility.lnk" "$INSTDIR\tw7720util.exe"
  CreateShortCut "$SMPROGRAMS\Tallwyn TW7720\User's guide.lnk" "$INSTDIR\tw7720util.html"
  CreateShortCut "$SMPROGRAMS\Tallwyn TW7720\Debug viewer.lnk" "$INSTDIR\brisken-view.exe"
  CreateShortCut "$SMPROGRAMS\Tallwyn TW7720\Uninstall.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tw7720util.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Start the utility at logon" SecStartAtLogon
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\tw7720util.exe"'
SectionEnd

Function .onInit
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOSTARTATLOGON" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecStartAtLogon}
  ${EndIf}
FunctionEnd

Section "un.Utility and its files" UnSecProgram
  SectionIn RO
  SetShellVarContext all
  Call un.EndRunningUtility
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  Delete "$INSTDIR\tw7720util.exe"
  Delete "$INSTDIR\NIVO3.DLL"
  Delete "$INSTDIR\virtualcard-ctl.exe"
  Delete "$INSTDIR\brisken-view.exe"
  Delete "$INSTDIR\tw7720util.html"
  Delete "$INSTDIR\tw7720util.bin.sample"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\guide\*.png"
  RMDir "$INSTDIR\guide"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."
  Delete "$SMPROGRAMS\Tallwyn TW7720\TW7720 WLAN card utility.lnk"
  Delete "$SMPROGRAMS\Tallwyn TW7720\User's guide.lnk"
  Delete "$SMPROGRAMS\Tallwyn TW7720\Debug viewer.lnk"
  Delete "$SMPROGRAMS\Tallwyn TW7720\Uninstall.lnk"
  RMDir "$SMPROGRAMS\Tallwyn TW7720"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; The profiles belong to the user: kept unless asked for.
Section /o "un.My stored profiles" UnSecProfiles
  DeleteRegKey HKCU "${PROFILE_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Tallwyn"
SectionEnd

Function un.onInit
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEPROFILES" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecProfiles}
  ${EndIf}
FunctionEnd
