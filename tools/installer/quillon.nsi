; Quillon's installer, one per architecture; tools/package makes it with
;   makensis -DVERSION=2.1.0 -DARCH=x64|x86 -DSTAGE=<folder holding the installed files> -DOUTFILE=<exe> quillon.nsi
; makensis works in the folder of this script: the icon is found from there, STAGE should be absolute.
; A per-machine install under Program Files (the 64-bit installer into the native one), a Start-menu shortcut,
; an uninstaller and the entry of Programs and Features. The entry's key name is fixed, so installing over an
; older version overwrites its files and leaves one entry. /S installs or uninstalls silently.

!ifndef VERSION | ARCH | STAGE | OUTFILE
    !error "VERSION, ARCH, STAGE and OUTFILE must be defined (see tools/package)"
!endif

!if "${ARCH}" == "x64"
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
    !define ENTRY_NAME "Quillon (64-bit)"
!else
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES"
    !define ENTRY_NAME "Quillon"
!endif
!define COMPANY "Orvanta Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"

!include "MUI2.nsh"
!include "FileFunc.nsh"

Name "Quillon ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
InstallDir "${PROGRAM_FILES}\Quillon"
; An upgrade goes where the version before it was installed.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${COMPANY}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Quillon"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "Quillon ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) ${COMPANY}"

!define MUI_ICON "../../resources/quillon.ico"
!define MUI_UNICON "../../resources/quillon.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillon.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The registry view of the entry: the native one for the 64-bit installer.
!macro EntryView
    !if "${ARCH}" == "x64"
        SetRegView 64
    !endif
!macroend

Function .onInit
    !insertmacro EntryView
FunctionEnd

Function un.onInit
    !insertmacro EntryView
FunctionEnd

Section
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${STAGE}/Quillon.exe"
    File "${STAGE}/quillon-find.exe"
    File "${STAGE}/tamsel.chm"
    File "${STAGE}/README.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Quillon.lnk" "$INSTDIR\Quillon.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${ENTRY_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillon.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer wrote. The user's settings and search history under HKCU\Software\Orvanta\Quillon
; stay, as they do when a program is uninstalled to be installed again.
Section "Uninstall"
    SetShellVarContext all
    Delete "$INSTDIR\Quillon.exe"
    Delete "$INSTDIR\quillon-find.exe"
    Delete "$INSTDIR\tamsel.chm"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Quillon.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
