; The Windows installer: makensis -DPASTA=<program folder> -DLISTA=<its files, as Delete lines>
; -DVERSAO=<x.y> -DSAIDA=<setup.exe>
; (the build runs it; see cmake/windows.cmake). A 64-bit installer for a 64-bit
; program: it installs into Program Files, adds the Start-menu entry, opens .key
; layout files with the window, and registers its uninstaller in Add/Remove Programs.
; Silent: vantora-config-setup.exe /S [/D=folder]; uninstall.exe /S.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
!define MUI_ICON "vantora-config.ico"
!define MUI_UNICON "vantora-config.ico"
!include "MUI2.nsh"

!define NOME "Configurador do Teclado Vantora"
!define CHAVE "Software\Microsoft\Windows\CurrentVersion\Uninstall\vantora-config"
!define CLASSE "Vantora.Layout"

Name "${NOME}"
OutFile "${SAIDA}"
InstallDir "$PROGRAMFILES64\Vantora"
InstallDirRegKey HKLM "${CHAVE}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "vantora-config ${VERSAO}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "PortugueseBR"

Section
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${PASTA}/*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${NOME}.lnk" "$INSTDIR\vantora-config.exe"

    WriteRegStr HKLM "Software\Classes\.key" "" "${CLASSE}"
    WriteRegStr HKLM "Software\Classes\${CLASSE}" "" "Layout do teclado Vantora"
    WriteRegStr HKLM "Software\Classes\${CLASSE}\DefaultIcon" "" "$INSTDIR\vantora-config.exe,0"
    WriteRegStr HKLM "Software\Classes\${CLASSE}\shell\open\command" "" '"$INSTDIR\vantora-config.exe" "%1"'
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    WriteRegStr HKLM "${CHAVE}" "DisplayName" "${NOME}"
    WriteRegStr HKLM "${CHAVE}" "DisplayVersion" "${VERSAO}"
    WriteRegStr HKLM "${CHAVE}" "Publisher" "vantora-config"
    WriteRegStr HKLM "${CHAVE}" "DisplayIcon" "$INSTDIR\vantora-config.exe"
    WriteRegStr HKLM "${CHAVE}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${CHAVE}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${CHAVE}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${CHAVE}" "NoModify" 1
    WriteRegDWORD HKLM "${CHAVE}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${NOME}.lnk"
    ; only what the installer put there: files the user saved in the folder stay
    !include "${LISTA}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    ReadRegStr $0 HKLM "Software\Classes\.key" ""
    StrCmp $0 "${CLASSE}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.key"
    DeleteRegKey HKLM "Software\Classes\${CLASSE}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
    DeleteRegKey HKLM "${CHAVE}"
SectionEnd
