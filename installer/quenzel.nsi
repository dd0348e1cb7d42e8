; Quenzel's installer: per user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Quenzel, where the settings file beside the
; program stays writable. scripts/package makes it with:
;   VERSION        the project version (CMakeLists.txt)
;   TARGET         x86-unicode for the release; amd64-unicode for the install
;                  test on machines that cannot run 32-bit programs
;   SOURCE_DIR_64  the x86_64 program folder (Quenzel.exe, language.exe, lang, help)
;   SOURCE_DIR_32  the i686 program folder; the release carries both and
;                  installs the build the running Windows suits
;   OUTFILE        the installer to write
; The file is UTF-8 text (scripts/package passes -INPUTCHARSET UTF8).

!ifndef VERSION | TARGET | SOURCE_DIR_64 | OUTFILE
    !error "scripts/package defines VERSION, TARGET, SOURCE_DIR_64 and OUTFILE"
!endif
; A 32-bit installer starts on every Windows, so it must carry the i686 build.
!if "${TARGET}" == "x86-unicode"
!ifndef SOURCE_DIR_32
    !error "the x86-unicode installer needs SOURCE_DIR_32 as well"
!endif
!endif

Target ${TARGET}
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Quenzel"
!define PUBLISHER "Quenzel project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenzel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The log-on start's Run value, as the folder-drives page writes it.
!define RUN_VALUE "Quenzel"
; The Send To entries, named in the installer's language; the uninstaller
; removes the entries of every language.
!define SENDTO_CRYPT "$SENDTO\$(SendToCrypt).lnk"
!define SENDTO_SHRED "$SENDTO\$(SendToShred).lnk"
!define SENDTO_CRYPT_EN "Quenzel (encrypt or decrypt)"
!define SENDTO_SHRED_EN "Quenzel (shred)"
!define SENDTO_CRYPT_DE "Quenzel (ver- oder entschlüsseln)"
!define SENDTO_SHRED_DE "Quenzel (schreddern)"
; Written and removed again in the chosen folder before it is taken.
!define WRITE_PROBE "Quenzel-write-test.tmp"
; The tabs the Send To entries open: the file page and the shredder page.
!define FILE_TAB "1"
!define SHRED_TAB "4"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quenzel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"
!include "WinVer.nsh"
!include "WordFunc.nsh"

!define MUI_ICON "${__FILEDIR__}/../res/art/icon10.ico"
!define MUI_UNICON "${__FILEDIR__}/../res/art/icon10.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quenzel.exe"
; The finish page's second check box, off by default: the command line
; quenzel-cli.exe on the user's PATH (the uninstaller takes it off again).
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(AddToPath)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION AddFolderToPath
!define MUI_UNCOMPONENTSPAGE_NODESC

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckInstallFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString SettingsSection ${LANG_ENGLISH} "Also remove my settings (Quenzel.ini)"
LangString SettingsSection ${LANG_GERMAN} "Auch meine Einstellungen entfernen (Quenzel.ini)"
LangString SendToCrypt ${LANG_ENGLISH} "${SENDTO_CRYPT_EN}"
LangString SendToCrypt ${LANG_GERMAN} "${SENDTO_CRYPT_DE}"
LangString SendToShred ${LANG_ENGLISH} "${SENDTO_SHRED_EN}"
LangString SendToShred ${LANG_GERMAN} "${SENDTO_SHRED_DE}"
LangString FolderNotWritable ${LANG_ENGLISH} "Quenzel cannot write to this folder:$\r$\n$INSTDIR$\r$\n$\r$\nQuenzel keeps its settings file beside the program, so it needs a folder you can write to without administrator rights (not Program Files). Choose another folder."
LangString FolderNotWritable ${LANG_GERMAN} "Quenzel kann in diesen Ordner nicht schreiben:$\r$\n$INSTDIR$\r$\n$\r$\nQuenzel speichert seine Einstellungsdatei neben dem Programm und braucht deshalb einen Ordner, in den Sie ohne Administratorrechte schreiben können (nicht Programme). Wählen Sie einen anderen Ordner."

LangString AddToPath ${LANG_ENGLISH} "Add quenzel-cli (the command line) to my PATH"
LangString AddToPath ${LANG_GERMAN} "quenzel-cli (die Befehlszeile) meinem PATH hinzufügen"

; The user's PATH, in the user's part of the registry.
!define ENVIRONMENT_KEY "Environment"
!define PATH_VALUE "Path"

Var ChosenLanguage
; "64" or "32": the build this Windows gets.
Var Bits

; Windows on ARM runs x86_64 programs from Windows 11 (build 22000) on;
; before that it runs only 32-bit ones.
!define FIRST_ARM_BUILD_WITH_X64 22000

Function .onInit
!ifdef SOURCE_DIR_32
    StrCpy $Bits "32"
    ${If} ${RunningX64}
        StrCpy $Bits "64"
        ${If} ${IsNativeARM64}
        ${AndIfNot} ${AtLeastBuild} ${FIRST_ARM_BUILD_WITH_X64}
            StrCpy $Bits "32"
        ${EndIf}
    ${EndIf}
!else
    StrCpy $Bits "64"
!endif
FunctionEnd

; The directory page's Next: the folder is taken only when a file can be
; written in it, so a folder such as Program Files is refused at once
; instead of failing halfway through the copying. A folder made for the
; probe is removed again when it stays empty.
Function CheckInstallFolder
    StrCpy $1 ""
    ${IfNot} ${FileExists} "$INSTDIR\*.*"
        StrCpy $1 "made"
        CreateDirectory "$INSTDIR"
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\${WRITE_PROBE}" w
    ${If} ${Errors}
        ${If} $1 == "made"
            RMDir "$INSTDIR"
        ${EndIf}
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(FolderNotWritable)"
        Abort
    ${EndIf}
    FileClose $0
    Delete "$INSTDIR\${WRITE_PROBE}"
FunctionEnd

; The language the user chose with language.exe: the name in the
; [LANGUAGE] section of lang\default.lng, read before an update.
Function RememberLanguage
    ReadINIStr $ChosenLanguage "$INSTDIR\lang\default.lng" "LANGUAGE" "1"
FunctionEnd

; After an update the chosen language gets this version's texts: the
; shipped file of the same name is copied over default.lng. A language
; file the user made, which no shipped file names, is left alone.
Function RenewChosenLanguage
    ${If} $ChosenLanguage == ""
        Return
    ${EndIf}
    FindFirst $0 $1 "$INSTDIR\lang\*.lng"
    ${DoWhile} $1 != ""
        ${If} $1 != "default.lng"
            ReadINIStr $2 "$INSTDIR\lang\$1" "LANGUAGE" "1"
            ${If} $2 == $ChosenLanguage
                CopyFiles /SILENT "$INSTDIR\lang\$1" "$INSTDIR\lang\default.lng"
                ${Break}
            ${EndIf}
        ${EndIf}
        FindNext $0 $1
    ${Loop}
    FindClose $0
FunctionEnd

; Puts the program folder at the end of the user's PATH, unless it is there,
; and tells running programs (Explorer) that the environment changed.
Function AddFolderToPath
    ReadRegStr $0 HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}"
    ClearErrors
    ${WordFind} ";$0;" ";$INSTDIR;" "E+1{" $1
    ${IfNot} ${Errors}
        Return ; on it already
    ${EndIf}
    ${If} $0 == ""
        StrCpy $0 "$INSTDIR"
    ${Else}
        StrCpy $0 "$0;$INSTDIR"
    ${EndIf}
    WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}" "$0"
    SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
FunctionEnd

Section "Quenzel" SecProgram
    SectionIn RO
    SetShellVarContext current
    Call RememberLanguage
    SetOutPath "$INSTDIR"
    ; The same folder for both builds: an update from the i686 copy to the
    ; x86_64 one replaces the programs and keeps everything else.
!ifdef SOURCE_DIR_32
    ${If} $Bits == "64"
        File "${SOURCE_DIR_64}/Quenzel.exe"
        File "${SOURCE_DIR_64}/language.exe"
        File "${SOURCE_DIR_64}/quenzel-cli.exe"
    ${Else}
        File "${SOURCE_DIR_32}/Quenzel.exe"
        File "${SOURCE_DIR_32}/language.exe"
        File "${SOURCE_DIR_32}/quenzel-cli.exe"
    ${EndIf}
!else
    File "${SOURCE_DIR_64}/Quenzel.exe"
    File "${SOURCE_DIR_64}/language.exe"
    File "${SOURCE_DIR_64}/quenzel-cli.exe"
!endif
    SetOutPath "$INSTDIR\lang"
    File "${SOURCE_DIR_64}/lang/english.lng"
    File "${SOURCE_DIR_64}/lang/german.lng"
    ; A first install gets the default language; an update keeps the choice.
    SetOverwrite off
    File "${SOURCE_DIR_64}/lang/default.lng"
    SetOverwrite on
    Call RenewChosenLanguage
    SetOutPath "$INSTDIR\help"
    File "${SOURCE_DIR_64}/help/*.chm"
    SetOutPath "$INSTDIR"
    ; Quenzel.ini is never shipped: the user's settings stay as they are.

    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortCut "$SMPROGRAMS\Quenzel.lnk" "$INSTDIR\Quenzel.exe" "" "$INSTDIR\Quenzel.exe" 0
    CreateShortCut "${SENDTO_CRYPT}" "$INSTDIR\Quenzel.exe" "${FILE_TAB}" "$INSTDIR\Quenzel.exe" 0
    CreateShortCut "${SENDTO_SHRED}" "$INSTDIR\Quenzel.exe" "${SHRED_TAB}" "$INSTDIR\Quenzel.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ($Bits-bit)"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quenzel.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "https://quenzel.example.org"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Takes the program folder off the user's PATH (every entry naming it, in
; any case), leaving the other entries as they were; a PATH left empty goes.
Function un.RemoveFolderFromPath
    ReadRegStr $0 HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}"
    ClearErrors
    ${WordFind} ";$0;" ";$INSTDIR;" "E+1{" $1
    ${If} ${Errors}
        Return ; not on it
    ${EndIf}
    ${WordReplace} ";$0;" ";$INSTDIR;" ";" "+" $1
    ${WordReplace} "$1" ";$INSTDIR;" ";" "+" $1
    StrCpy $1 "$1" "" 1 ; the ";" put before
    StrCpy $1 "$1" -1   ; and after
    ${If} $1 == ""
        DeleteRegValue HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}"
    ${Else}
        WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}" "$1"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
FunctionEnd

Section "un.Quenzel" UnSecProgram
    SectionIn RO
    SetShellVarContext current
    Delete "$INSTDIR\Quenzel.exe"
    Delete "$INSTDIR\language.exe"
    Delete "$INSTDIR\quenzel-cli.exe"
    Call un.RemoveFolderFromPath
    Delete "$INSTDIR\lang\default.lng"
    Delete "$INSTDIR\lang\english.lng"
    Delete "$INSTDIR\lang\german.lng"
    RMDir "$INSTDIR\lang"
    Delete "$INSTDIR\help\quenzel.chm"
    Delete "$INSTDIR\help\quenzel-de.chm"
    RMDir "$INSTDIR\help"
    Delete "$SMPROGRAMS\Quenzel.lnk"
    Delete "$SENDTO\${SENDTO_CRYPT_EN}.lnk"
    Delete "$SENDTO\${SENDTO_SHRED_EN}.lnk"
    Delete "$SENDTO\${SENDTO_CRYPT_DE}.lnk"
    Delete "$SENDTO\${SENDTO_SHRED_DE}.lnk"

    ; The next log-on would start a missing program: the Run value goes when
    ; it starts this copy, and stays when it starts another one.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 == '"$INSTDIR\Quenzel.exe" -x'
        DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Delete "$INSTDIR\Uninstall.exe"
SectionEnd

; The settings file and the copies the program keeps of it when it converts
; one ("Quenzel.ini.bak", "Quenzel.ini.1.bak", ...).
Section /o "un.$(SettingsSection)" UnSecSettings
    Delete "$INSTDIR\Quenzel.ini"
    Delete "$INSTDIR\Quenzel.ini.bak"
    Delete "$INSTDIR\Quenzel.ini.*.bak"
SectionEnd

; Runs last: the folder goes only when nothing of the user's is left in it.
Section "-un.Folder"
    RMDir "$INSTDIR"
SectionEnd
