; The Windows installer and its uninstaller, from this one script (the build runs both;
; see cmake/windows.cmake):
;   makensis -DDESINSTALADOR -DSAIDA=<uninstall.exe> <common> vantora-config.nsi
;   makensis -DDESINSTALADOR_EXE=<uninstall.exe> -DSAIDA=<setup.exe> <common> vantora-config.nsi
; <common>: -DPASTA=<program folder> -DLISTA=<its files, as NSIS macros> -DVERSAO=<x.y>
; -DVERSAO_RC=<x.y.z.w> -DEMPRESA=<publisher> -DCOPYRIGHT=<line> -DCONTATO=<e-mail>
; -DLICENCA=<LICENSE>.
; A 64-bit installer for a 64-bit program. For every user of the computer (Program
; Files, administrator) or for the one installing only (%LOCALAPPDATA%\Programs, no
; administrator rights): the programs, the README, the manuals as text and the example
; layouts, the web page, the Start-menu entries (the window, "Prompt do Vantora", a console
; where vantora-prog is found, and the web page), .key files opened with the window
; (taking the type's default program only when it has none) and the uninstaller in
; Add/Remove Programs.
; Silent: vantora-config-setup.exe /S [/AllUsers | /CurrentUser] [/D=folder];
; uninstall.exe /S, which fails (exit status 2), removing nothing, while a program of
; the folder runs.
;
; The uninstaller is an ordinary NSIS program rather than NSIS's own uninstaller, which
; always ends with status 0 (it hands the work to a copy of itself and does not wait).
; Run from the folder it checks that no program of the folder runs, then hands the
; removal to a copy of itself in %TEMP% (/apaga=folder), which removes the folder
; uninstall.exe included once it has ended, and removes itself at the next restart.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define NOME "Configurador do Teclado Vantora"
!define CHAVE "Software\Microsoft\Windows\CurrentVersion\Uninstall\vantora-config"
!define CLASSE "Vantora.Layout"
!define PROMPT "Prompt do Vantora"
!define PAGINA "Configurador do Teclado Vantora no navegador"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_NOUNINSTALL
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "Vantora"
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${CHAVE}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${CHAVE}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MUI_ICON "vantora-config.ico"
!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "${LISTA}"

Name "${NOME}"
OutFile "${SAIDA}"
BrandingText "${EMPRESA} - vantora-config ${VERSAO}"
VIProductVersion "${VERSAO_RC}"
VIAddVersionKey /LANG=1046 "ProductName" "${NOME}"
VIAddVersionKey /LANG=1046 "CompanyName" "${EMPRESA}"
VIAddVersionKey /LANG=1046 "FileVersion" "${VERSAO}"
VIAddVersionKey /LANG=1046 "ProductVersion" "${VERSAO}"
VIAddVersionKey /LANG=1046 "LegalCopyright" "${COPYRIGHT}"

Var EmUso

!ifdef DESINSTALADOR
    VIAddVersionKey /LANG=1046 "FileDescription" "Desinstalador do ${NOME}"
    Caption "$(^UninstallCaption)"
    SubCaption 3 "$(^UninstallingSubCaption)"
    SubCaption 4 "$(^UnCompletedSubCaption)"
    !define MUI_PAGE_HEADER_TEXT "Desinstalando"
    !define MUI_PAGE_HEADER_SUBTEXT "Aguarde enquanto o ${NOME} é removido do computador."
    !define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "Desinstalação concluída"
    !define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "O ${NOME} foi removido do computador."
    !define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "Desinstalação interrompida"
    !define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "O ${NOME} não foi removido."
    !insertmacro MUI_PAGE_INSTFILES
!else
    VIAddVersionKey /LANG=1046 "FileDescription" "Instalador do ${NOME}"
    !define MUI_FINISHPAGE_RUN
    !define MUI_FINISHPAGE_RUN_FUNCTION Inicia
    !insertmacro MUI_PAGE_WELCOME
    !insertmacro MUI_PAGE_LICENSE "${LICENCA}"
    !insertmacro MULTIUSER_PAGE_INSTALLMODE
    !insertmacro MUI_PAGE_DIRECTORY
    !insertmacro MUI_PAGE_INSTFILES
    !insertmacro MUI_PAGE_FINISH
!endif
!insertmacro MUI_LANGUAGE "PortugueseBR"

; EmUso becomes the file given on the stack when Windows will not let it be written:
; a program (or a DLL) that is running.
Function EmUso
    Exch $0
    ${If} $EmUso == ""
    ${AndIf} ${FileExists} $0
        ClearErrors
        FileOpen $1 $0 a
        ${If} ${Errors}
            StrCpy $EmUso $0
        ${Else}
            FileClose $1
        ${EndIf}
    ${EndIf}
    Pop $0
FunctionEnd

; Nothing is written or removed while a program of the folder runs: its files would stay
; behind, with nothing left to remove them. Asks to close it and try again; cancelled
; (always, when silent), ends with status 2.
!macro FECHADOS ACAO
    ${Do}
        StrCpy $EmUso ""
        !insertmacro VANTORA_EM_USO
        ${If} $EmUso == ""
            ${Break}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "O ${NOME} (ou o vantora-prog) está aberto: feche-o e clique em Repetir.$\r$\n$\r$\nArquivo em uso: $EmUso" /SD IDCANCEL IDRETRY +3
        SetErrorLevel 2
        Abort "Nada foi ${ACAO}: feche o ${NOME} e tente de novo."
    ${Loop}
!macroend

!ifndef DESINSTALADOR

Function .onInit
    !insertmacro MULTIUSER_INIT
FunctionEnd

; The window started from the finish page as the user, not as the administrator the
; installer may run as: Explorer starts it.
Function Inicia
    ${If} $MultiUser.InstallMode == "AllUsers"
        Exec '"$WINDIR\explorer.exe" "$INSTDIR\vantora-config.exe"'
    ${Else}
        Exec '"$INSTDIR\vantora-config.exe"'
    ${EndIf}
FunctionEnd

Section
    !insertmacro FECHADOS "instalado"
    SetOutPath "$INSTDIR"
    File /r "${PASTA}/*"
    File "/oname=uninstall.exe" "${DESINSTALADOR_EXE}"
    CreateShortcut "$SMPROGRAMS\${NOME}.lnk" "$INSTDIR\vantora-config.exe"
    ; cmd with the folder at the head of its PATH, in the user's own folder
    CreateShortcut "$SMPROGRAMS\${PROMPT}.lnk" "$SYSDIR\cmd.exe" \
        '/k "set "PATH=$INSTDIR;%PATH%" & cd /d "%USERPROFILE%" & vantora-prog --help"' "$SYSDIR\cmd.exe" 0
!if /FileExists "${PASTA}/web/index.html"
    ; the web page, opened by the browser that opens web pages
    CreateShortcut "$SMPROGRAMS\${PAGINA}.lnk" "$INSTDIR\web\index.html"
!endif

    ; .key files: our type among those offered to open them; their default program
    ; only when they have none (for this user, whatever the computer's default is)
    WriteRegStr SHCTX "Software\Classes\${CLASSE}" "" "Layout do teclado Vantora"
    WriteRegStr SHCTX "Software\Classes\${CLASSE}\DefaultIcon" "" "$INSTDIR\vantora-config.exe,0"
    WriteRegStr SHCTX "Software\Classes\${CLASSE}\shell\open\command" "" '"$INSTDIR\vantora-config.exe" "%1"'
    WriteRegStr SHCTX "Software\Classes\.key\OpenWithProgids" "${CLASSE}" ""
    ${If} $MultiUser.InstallMode == "AllUsers"
        ReadRegStr $0 HKLM "Software\Classes\.key" ""
    ${Else}
        ReadRegStr $0 HKCR ".key" ""
    ${EndIf}
    ${If} $0 == ""
        WriteRegStr SHCTX "Software\Classes\.key" "" "${CLASSE}"
    ${EndIf}
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    WriteRegStr SHCTX "${CHAVE}" "DisplayName" "${NOME}"
    WriteRegStr SHCTX "${CHAVE}" "DisplayVersion" "${VERSAO}"
    WriteRegStr SHCTX "${CHAVE}" "Publisher" "${EMPRESA}"
    WriteRegStr SHCTX "${CHAVE}" "Contact" "${CONTATO}"
    WriteRegStr SHCTX "${CHAVE}" "HelpLink" "mailto:${CONTATO}"
    WriteRegStr SHCTX "${CHAVE}" "Readme" "$INSTDIR\doc\README.txt"
    WriteRegStr SHCTX "${CHAVE}" "DisplayIcon" "$INSTDIR\vantora-config.exe"
    WriteRegStr SHCTX "${CHAVE}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${CHAVE}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${CHAVE}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${CHAVE}" "NoModify" 1
    WriteRegDWORD SHCTX "${CHAVE}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD SHCTX "${CHAVE}" "EstimatedSize" $0
SectionEnd

!else

; The installation this uninstaller belongs to (the folder $INSTDIR): the hive whose
; entry names that folder, for this user or for every user.
Function Modo
    ReadRegStr $0 HKCU "${CHAVE}" "InstallLocation"
    ReadRegStr $1 HKLM "${CHAVE}" "InstallLocation"
    ${If} $0 == $INSTDIR
        Call MultiUser.InstallMode.CurrentUser
    ${ElseIf} $1 == $INSTDIR
        ${If} $MultiUser.Privileges != "Admin"
        ${AndIf} $MultiUser.Privileges != "Power"
            MessageBox MB_OK|MB_ICONSTOP "O ${NOME} foi instalado para todos os usuários: só um administrador pode desinstalá-lo." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
        Call MultiUser.InstallMode.AllUsers
    ${EndIf}
FunctionEnd

Function .onInit
    !insertmacro MULTIUSER_INIT
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/apaga=" $R1
    ${If} ${Errors}
        ; run from the folder: check, then hand the removal to a copy in %TEMP%
        StrCpy $INSTDIR $EXEDIR
        Call Modo
        ${IfNot} ${Silent}
            MessageBox MB_YESNO|MB_ICONQUESTION "Remover o ${NOME} deste computador?" IDYES +3
            SetErrorLevel 1
            Quit
        ${EndIf}
        StrCpy $EmUso ""
        !insertmacro VANTORA_EM_USO
        ${While} $EmUso != ""
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "O ${NOME} (ou o vantora-prog) está aberto: feche-o e clique em Repetir.$\r$\n$\r$\nArquivo em uso: $EmUso" /SD IDCANCEL IDRETRY +3
            SetErrorLevel 2
            Quit
            StrCpy $EmUso ""
            !insertmacro VANTORA_EM_USO
        ${EndWhile}
        GetTempFileName $0
        CopyFiles /SILENT "$EXEPATH" $0
        ClearErrors
        ${If} ${Silent}
            Exec '"$0" /S /apaga="$INSTDIR"'
        ${Else}
            Exec '"$0" /apaga="$INSTDIR"'
        ${EndIf}
        ${If} ${Errors}
            SetErrorLevel 2
        ${Else}
            SetErrorLevel 0
        ${EndIf}
        Quit
    ${EndIf}
    StrCpy $INSTDIR $R1
    Call Modo
FunctionEnd

Section
    ; the uninstaller in the folder ends as soon as it has started this copy
    ${For} $1 1 300
        StrCpy $EmUso ""
        Push "$INSTDIR\uninstall.exe"
        Call EmUso
        ${IfThen} $EmUso == "" ${|} ${Break} ${|}
        Sleep 100
    ${Next}
    !insertmacro FECHADOS "desinstalado"

    Delete "$SMPROGRAMS\${NOME}.lnk"
    Delete "$SMPROGRAMS\${PROMPT}.lnk"
    Delete "$SMPROGRAMS\${PAGINA}.lnk"
    ; only what the installer put there: files the user saved in the folder stay
    !insertmacro VANTORA_APAGA
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    ; .key files as they were before: our type taken out, their default program given
    ; back to none only while it is still ours
    DeleteRegValue SHCTX "Software\Classes\.key\OpenWithProgids" "${CLASSE}"
    DeleteRegKey /ifempty /ifnovalues SHCTX "Software\Classes\.key\OpenWithProgids"
    ReadRegStr $0 SHCTX "Software\Classes\.key" ""
    ${If} $0 == "${CLASSE}"
        DeleteRegValue SHCTX "Software\Classes\.key" ""
    ${EndIf}
    DeleteRegKey /ifempty /ifnovalues SHCTX "Software\Classes\.key"
    DeleteRegKey SHCTX "Software\Classes\${CLASSE}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
    DeleteRegKey SHCTX "${CHAVE}"
    ; this copy, in %TEMP%, at the next restart
    Delete /REBOOTOK "$EXEPATH"
SectionEnd

!endif
