; The setup program of Pyraxis and Tolmera. Built by the build (makensis), which passes
; STAGE_DIR (the folder of the programs to ship and devices.xml), SOURCE_DIR and OUT_FILE.
; Silent runs: "PyraxisSetup.exe /S [/D=folder]" and "Uninstall.exe /S".

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!ifndef STAGE_DIR | SOURCE_DIR | OUT_FILE
    !error "makensis needs /DSTAGE_DIR=..., /DSOURCE_DIR=... and /DOUT_FILE=..."
!endif

; The version is the one the programs carry in their version resource.
!getdllversion "${STAGE_DIR}/pyraxis.exe" PROGRAM_VERSION_
!define VERSION "${PROGRAM_VERSION_1}.${PROGRAM_VERSION_2}.${PROGRAM_VERSION_3}.${PROGRAM_VERSION_4}"

!define PRODUCT "Pyraxis"
!define PUBLISHER "Quorvant Corp."
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define START_MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PUBLISHER}"

; The programs' resources carry no copyright line, so neither does the setup's.
!pragma warning disable 9100
VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${SOURCE_DIR}/res/pyraxis.ico"
!define MUI_UNICON "${SOURCE_DIR}/res/pyraxis.ico"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Start-menu entries and the uninstall entry are the machine's, as the programs are.
Function .onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Function un.onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Section "Programs"
    ; devices.xml is read from the program's own folder, so it lies beside pyraxis.exe.
    SetOutPath "$INSTDIR"
    File "${STAGE_DIR}/pyraxis.exe"
    File "${STAGE_DIR}/tolmera.exe"
    File "${STAGE_DIR}/devices.xml"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateDirectory "${START_MENU_FOLDER}"
    CreateShortcut "${START_MENU_FOLDER}\Pyraxis.lnk" "$INSTDIR\pyraxis.exe"
    CreateShortcut "${START_MENU_FOLDER}\Tolmera.lnk" "$INSTDIR\tolmera.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pyraxis.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the setup put there, file by file: the user's settings (under the user's
; registry keys), logs (in the local application-data folder) and setpoint files are
; theirs, and a folder that still holds something of theirs stays.
Section "Uninstall"
    Delete "$INSTDIR\pyraxis.exe"
    Delete "$INSTDIR\tolmera.exe"
    Delete "$INSTDIR\devices.xml"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"

    Delete "${START_MENU_FOLDER}\Pyraxis.lnk"
    Delete "${START_MENU_FOLDER}\Tolmera.lnk"
    RMDir "${START_MENU_FOLDER}"

    ; Last, so that a missing entry tells that the removal has finished.
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
