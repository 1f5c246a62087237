; lumoria.nsi - Lumoria's setup as an NSIS script that drives dialogint.dll,
; the sample for setup authors who write their installers with NSIS.
;
; The installer carries the setup media (install.ini, setup.lay, the files),
; the library and its resource module, and unpacks them into its own
; temporary folder, where the library may write install.ini. It then calls
; the library's entries through the System plug-in, in the host's order:
;
;   .onInit   setupInstall, HaveKeyDialog, initLanguage, then dodialog (or
;             networkInstall with /NETWORK): the library's dialogs stand in
;             for NSIS's own pages and show before the installer's window.
;   Section   copies every file that install.ini now lists, following the
;             PERCENT figures on NSIS's progress bar; registers shared files;
;             writes the uninstaller; IntegInstall.
;   Uninstall IntegDeinstall, DeleteShareDLL for each shared file no program
;             uses any more, unLoadDriver; removes what was copied and the
;             product's registry keys.
;
; Over an installed Lumoria, HaveKeyDialog shows the reinstall dialog:
; modify (the installed install.ini is changed in place, added files are
; copied and dropped ones removed), reinstall, or remove (the installed
; uninstaller runs).
;
; Build (a 32-bit Unicode installer; the library gets ANSI texts):
;   makensis -DBIN_DIR=<folder of dialogint.dll, luinsres.dll and media\> lumoria.nsi
; Optional defines: MEDIA_DIR (default BIN_DIR\media), INTEGRATION_DIR (the
; integration modules <prefix>pnint.dll and fixint.dll), OUTFILE, and
; TARGET_AMD64: a 64-bit installer around the x86_64 library (BIN_DIR then
; names the x86_64 build's folder).
;
; Command line of the installer: /NETWORK (a server copy), /TARGET=<folder>
; (the folder offered), and for unattended setup:
;   /S /ANSWERS=<file>  replays the answer file: no dialog, no window
;   /RECORD=<file>      the dialogs show; the choices go into the file
;   /LOG=<file>         the library's setup log (record and replay always log,
;                       to a new %TEMP%\lumoria-setup-<date>-<n>.log when none is named)
; /S alone replays an empty answer file: every question takes its silent
; answer or, where there is none, the setup fails and the log says why.
; The uninstaller takes /S, /ANSWERS=, /RECORD= and /LOG= the same way.
; Exit codes, as deployment tools read them: 0 done, 1602 cancelled (or
; nothing to do), 1603 failed.

!ifdef TARGET_AMD64
    Target amd64-unicode
!else
    Unicode true
!endif
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include StrFunc.nsh
!include WinMessages.nsh
!include hostsetupinfo.nsh
!include answers.nsh

; The package's layout: this script in samples\nsis\, the library in bin\.
!ifndef BIN_DIR
    !define BIN_DIR ..\..\bin
!endif
!ifndef MEDIA_DIR
    !define MEDIA_DIR ${BIN_DIR}\media
!endif
!ifndef OUTFILE
    !define OUTFILE lumoria-setup.exe
!endif

!define PRODUCT_KEY "SOFTWARE\Jor\Lumoria"
!define MAKER_KEY "SOFTWARE\Jor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumoria"
!define SHARED_DLLS_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define CONTEXT_MENU_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2e}"
!define PROPERTY_SHEET_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2f}"
; What the installer copied, for the uninstaller and a later modification.
!define FILE_LOG "install-log.ini"
!define EXIT_DONE 0
!define EXIT_STOPPED 1602
!define EXIT_FAILED 1603
; NSIS's progress bar (control 1004 of the instfiles page) runs 0..30000.
!define PROGRESS_PER_PERCENT 300

Name "Lumoria"
OutFile "${OUTFILE}"
!ifdef TARGET_AMD64
    InstallDir "$PROGRAMFILES64\Lumoria"
!else
    InstallDir "$PROGRAMFILES\Lumoria"
!endif
ShowInstDetails show
ShowUninstDetails show
AutoCloseWindow true

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

${StrStr}

Var Record          ; the HostSetupInfo record, from System::Alloc
Var Library         ; the handle of dialogint.dll
Var WorkDir         ; the unpacked media the library works on
Var Network         ; 1: /NETWORK, a server copy with networkInstall
Var CopyFiles       ; 1: the section copies what install.ini lists
Var Modifying       ; 1: HaveKeyDialog chose to modify the installation
Var SetupIni        ; the install.ini the library wrote its lists into
Var Layout
Var Failures        ; files that could not be copied or removed
Var SharedNames     ; "|NAME|NAME|": layout names marked SYSTEM
Var AnswerFile      ; the answer file replayed or recorded
Var AnswerMode      ; ANSWERS_OFF, ANSWERS_RECORD or ANSWERS_REPLAY
Var LogFile         ; the setup log a run names with /LOG=

; ---------------------------------------------------------------------------
; Unattended setup: the library records or replays the answers itself, so
; the script only hands it the file before the first entry. UN: "" or "un.".
; Out: $0 = 1 when the answers and the log can be used, else 0 (the reason
; in $1).

!macro TakeAnswerSwitches UN
    ${${UN}GetParameters} $R9
    StrCpy $AnswerMode ${ANSWERS_OFF}
    StrCpy $AnswerFile ""
    ClearErrors
    ${${UN}GetOptions} $R9 "/LOG=" $LogFile
    ClearErrors
    ${${UN}GetOptions} $R9 "/ANSWERS=" $R0
    ${IfNot} ${Errors}
        StrCpy $AnswerMode ${ANSWERS_REPLAY}
        StrCpy $AnswerFile $R0
    ${Else}
        ClearErrors
        ${${UN}GetOptions} $R9 "/RECORD=" $R0
        ${IfNot} ${Errors}
            StrCpy $AnswerMode ${ANSWERS_RECORD}
            StrCpy $AnswerFile $R0
        ${ElseIf} ${Silent}
            ; /ASK: the setup that started this uninstaller asks its
            ; person the questions a silent run would answer.
            ClearErrors
            ${${UN}GetOptions} $R9 "/ASK" $R0
            ${If} ${Errors}
                StrCpy $AnswerMode ${ANSWERS_REPLAY}
                StrCpy $AnswerFile "$PLUGINSDIR\silent-answers.ini"
                FileOpen $R0 $AnswerFile w
                FileClose $R0
            ${EndIf}
        ${EndIf}
    ${EndIf}
    StrCpy $0 1
    ${If} $LogFile != ""
        System::Call 'dialogint::setupLogFile(m "$LogFile") i .r0'
        StrCpy $1 "The setup log $LogFile cannot be written."
    ${EndIf}
    ${If} $0 = 1
    ${AndIf} $AnswerMode <> ${ANSWERS_OFF}
        System::Call 'dialogint::setupAnswers(m "$AnswerFile", i $AnswerMode) i .r0'
        StrCpy $1 "The answer file $AnswerFile cannot be used."
    ${EndIf}
!macroend

; The switches a setup passes on to the installed uninstaller it starts.
; Out: $R0.
!define REMOVAL_ANSWERS "$PLUGINSDIR\removal-answers.ini"
Function UninstallerSwitches
    ${If} $AnswerMode = ${ANSWERS_REPLAY}
        StrCpy $R0 '/S /ANSWERS="$AnswerFile"'
    ${ElseIf} $AnswerMode = ${ANSWERS_RECORD}
        ; A recording starts its file anew: the uninstaller records into a
        ; file of its own, which KeepRemovalAnswers adds to the setup's.
        StrCpy $R0 '/S /RECORD="${REMOVAL_ANSWERS}"'
    ${Else}
        StrCpy $R0 '/S /ASK'
    ${EndIf}
    ${If} $LogFile != ""
        StrCpy $R0 '$R0 /LOG="$LogFile"'
    ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; Leaving the installer from .onInit

!macro LeaveSetup CODE
    SetErrorLevel ${CODE}
    !insertmacro AnswersCheck
    Call ReleaseLibrary
    Quit
!macroend

!macro FailSetup TEXT
    MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
    !insertmacro LeaveSetup ${EXIT_FAILED}
!macroend

; A record text that must fit its slot, or the setup fails.
!macro FillRecordText OFFSET TEXT
    !insertmacro RecordSetText $Record ${OFFSET} "${TEXT}"
    ${If} ${Errors}
        !insertmacro FailSetup "The path is too long for the setup library: ${TEXT}"
    ${EndIf}
!macroend

; ---------------------------------------------------------------------------
; The language

; $0 = the result of initLanguage (1 or more). Out: $0 = the language bit to
; install, 0 when the user cancelled the language dialog.
; The library has decided: one bit in the result is a language settled (in
; its dialog, or without asking), and then the record's languageFlags names
; it (the system's own, the only one offered, or English); several bits in
; the result mean Cancel.
Function ChooseLanguage
    Push $1
    IntOp $1 $0 - 1
    IntOp $1 $1 & $0
    ${If} $1 <> 0
        StrCpy $0 0
    ${Else}
        !insertmacro RecordGetInt $Record ${HSI_languageFlags} $0
    ${EndIf}
    Pop $1
FunctionEnd

; The shared-file answers a recording uninstaller wrote, added to the
; setup's answer file, so that a replay of the setup removes the same way.
Function KeepRemovalAnswers
    System::Alloc 32768
    Pop $R9
    System::Call 'kernel32::GetPrivateProfileSectionA(m "SharedFiles", p $R9, i 32768, m "${REMOVAL_ANSWERS}") i .r0'
    StrCpy $R8 $R9
    ${Do}
        System::Call '*$R8(&m1024 .r1)'
        ${IfThen} $1 == "" ${|} ${ExitDo} ${|}
        ${WordFind} $1 "=" "+1{" $R2
        ${WordFind} $1 "=" "+1}" $R3
        WriteINIStr $AnswerFile "SharedFiles" $R2 $R3
        StrLen $R0 $1
        IntPtrOp $R8 $R8 + $R0
        IntPtrOp $R8 $R8 + 1
    ${Loop}
    System::Free $R9
FunctionEnd

; ---------------------------------------------------------------------------
; The library's part: everything the user decides, before NSIS's window

; Before anything is loaded: modules asked for by name come from the system
; folder only, never from the folder the installer was started from (often
; Downloads, where anything may lie beside it) or along PATH. Windows
; without the call (no KB2533623) goes on with its own search order.
!define LOAD_LIBRARY_SEARCH_SYSTEM32 0x800
!macro SystemDllsOnly
    System::Call 'kernel32::SetDefaultDllDirectories(i ${LOAD_LIBRARY_SEARCH_SYSTEM32}) i .r0'
!macroend

Function .onInit
    !insertmacro SystemDllsOnly
    SetErrorLevel ${EXIT_FAILED}
    InitPluginsDir
    StrCpy $WorkDir "$PLUGINSDIR\media"
    StrCpy $SetupIni "$WorkDir\install.ini"
    StrCpy $Layout "$WorkDir\setup.lay"

    ${GetParameters} $R9
    ClearErrors
    ${GetOptions} $R9 "/NETWORK" $R0
    ${IfNot} ${Errors}
        StrCpy $Network 1
    ${EndIf}
    ClearErrors
    ${GetOptions} $R9 "/TARGET=" $R0
    ${IfNot} ${Errors}
    ${AndIf} $R0 != ""
        StrCpy $INSTDIR $R0
    ${EndIf}

    ; The media, the library, its resource module and the integration
    ; modules, unpacked together: the library finds its modules in sourceDir.
    SetOutPath $WorkDir
    File /r "${MEDIA_DIR}\*"
    File "${BIN_DIR}\dialogint.dll"
    File "${BIN_DIR}\luinsres.dll"
    !ifdef INTEGRATION_DIR
        File "${INTEGRATION_DIR}\*pnint.dll"
        File "${INTEGRATION_DIR}\fixint.dll"
    !endif
    !insertmacro AnswersStart ""
    ; SetOutPath made the media the current folder, which NSIS could then
    ; not delete at the end.
    SetOutPath $TEMP

    ; Loaded once for the whole run: the library keeps its state between
    ; the entries, and System::Call finds it by its name from now on.
    System::Call 'kernel32::LoadLibraryW(w "$WorkDir\dialogint.dll") p .r0'
    StrCpy $Library $0
    ${If} $0 P= 0
        !insertmacro FailSetup "dialogint.dll could not be loaded."
    ${EndIf}
    !insertmacro TakeAnswerSwitches ""
    ${If} $0 <> 1
        !insertmacro FailSetup "$1"
    ${EndIf}

    !insertmacro RecordNew $Record
    !insertmacro FillRecordText ${HSI_setupIniPath} "$SetupIni"
    !insertmacro FillRecordText ${HSI_layoutFilePath} "$Layout"
    !insertmacro FillRecordText ${HSI_sourceDir} "$WorkDir\"
    ; A workstation runs Lumoria from the folder the setup was started from.
    !insertmacro FillRecordText ${HSI_serverDir} "$EXEDIR\"
    !insertmacro FillRecordText ${HSI_installDir} "$INSTDIR"
    ; "Windows 3.x" would ask for the 16-bit viewer engine.
    !insertmacro RecordSetTextSized $Record ${HSI_platformName} ${HSI_PLATFORM_SLOT} "Windows NT"
    !insertmacro RecordSetInt $Record ${HSI_networkInstallMode} $Network

    ; 1. setupInstall (owner, server folder, source folder): 1 go on, 0 stop.
    System::Call 'dialogint::setupInstall(p $HWNDPARENT, m "$EXEDIR\", m "$WorkDir\") i .r0'
    ${If} $0 <> ${SETUP_GO_ON}
        !insertmacro LeaveSetup ${EXIT_FAILED}
    ${EndIf}

    ; 2. HaveKeyDialog (owner, workstation flag out, record): an earlier
    ;    installation and what to do with it; its folder lands in installDir.
    System::Call 'dialogint::HaveKeyDialog(p $HWNDPARENT, *i 0 r1, p $Record) i .r0'
    ${Switch} $0
        ${Case} ${RESULT_NO_ANSWER}
            ; A replay without a usable answer: the setup log names it.
            !insertmacro LeaveSetup ${EXIT_FAILED}
        ${Case} ${HAVEKEY_STOP}
            ; The user declined, or the resource module did not load.
            !insertmacro LeaveSetup ${EXIT_STOPPED}
        ${Case} ${HAVEKEY_UPDATE_NOT_POSSIBLE}
            ; The library has told the user already.
            !insertmacro LeaveSetup ${EXIT_STOPPED}
        ${Case} ${HAVEKEY_REMOVE}
            !insertmacro RecordGetText $Record ${HSI_installDir} $INSTDIR
            Call RunInstalledUninstaller
            !insertmacro LeaveSetup $0
        ${Case} ${HAVEKEY_MODIFY}
            ; The installed install.ini holds the selection to change; the
            ; library rewrites its lists in place.
            !insertmacro RecordGetText $Record ${HSI_installDir} $INSTDIR
            !insertmacro RecordSetInt $Record ${HSI_maintenanceMode} 1
            StrCpy $Modifying 1
            ${If} ${FileExists} "$INSTDIR\install.ini"
                StrCpy $SetupIni "$INSTDIR\install.ini"
                !insertmacro FillRecordText ${HSI_setupIniPath} "$SetupIni"
            ${EndIf}
            ${Break}
        ${Case} ${HAVEKEY_UPDATE_SAME_VERSION}
            !insertmacro RecordGetText $Record ${HSI_installDir} $INSTDIR
            !insertmacro RecordSetInt $Record ${HSI_upgradeMode} 1
            !insertmacro FillRecordText ${HSI_installedIniPath} "$INSTDIR\install.ini"
            !insertmacro FillRecordText ${HSI_installedLayoutFilePath} "$INSTDIR\setup.lay"
            ${Break}
        ${Case} ${HAVEKEY_NEW_INSTALL}
        ${Case} ${HAVEKEY_REINSTALL}
        ${Case} ${HAVEKEY_OLDER_KIND_ACCEPTED}
            ${Break}
        ${Default}
            !insertmacro FailSetup "The setup library answered $0 to HaveKeyDialog."
    ${EndSwitch}
    ; HaveKeyDialog has put what it found into previousInstallState.

    ; 3. initLanguage (owner, record): -1 no resources, else see ChooseLanguage.
    System::Call 'dialogint::initLanguage(p $HWNDPARENT, p $Record) i .r0'
    ${If} $0 < 0    ; -1 no resources, -3 no answer
        !insertmacro LeaveSetup ${EXIT_FAILED}
    ${EndIf}
    Call ChooseLanguage
    ${If} $0 = 0
        !insertmacro LeaveSetup ${EXIT_STOPPED}
    ${EndIf}
    !insertmacro RecordSetInt $Record ${HSI_languageFlags} $0

    ; 4. networkInstall or dodialog (owner, record).
    StrCpy $CopyFiles 1
    ${If} $Network = 1
        ; 1 installed, 0 cancelled, -1 no resources, -3 no answer.
        System::Call 'dialogint::networkInstall(p $HWNDPARENT, p $Record) i .r0'
        ${If} $0 = 0
            !insertmacro LeaveSetup ${EXIT_STOPPED}
        ${ElseIf} $0 <> 1
            !insertmacro LeaveSetup ${EXIT_FAILED}
        ${EndIf}
    ${Else}
        System::Call 'dialogint::dodialog(p $HWNDPARENT, p $Record) i .r0'
        ${Switch} $0
            ${Case} ${DODIALOG_STANDARD}     ; or, modifying: the change confirmed
            ${Case} ${DODIALOG_CUSTOM}
                ${Break}
            ${Case} ${DODIALOG_WORKSTATION}
                ; Lumoria runs from the server folder: nothing to copy.
                StrCpy $CopyFiles 0
                ${Break}
            ${Case} ${DODIALOG_CANCELLED}
            ${Case} ${DODIALOG_MAINTENANCE_CANCELLED}
                !insertmacro LeaveSetup ${EXIT_STOPPED}
            ${Case} ${DODIALOG_NO_CATALOGUE}
                !insertmacro FailSetup "The setup media are damaged: the component list could not be built."
            ${Default}
                ; -1: the resource module did not load; the library said so.
                ; -3: a replay without a usable answer; the log says which.
                !insertmacro LeaveSetup ${EXIT_FAILED}
        ${EndSwitch}
    ${EndIf}
    ; The folder the user chose, in its short form.
    !insertmacro RecordGetText $Record ${HSI_installDir} $INSTDIR
    !insertmacro AnswersStop
FunctionEnd

; HaveKeyDialog's "remove": the uninstaller that this script left in the
; installation does the removal; it runs in place (_?=) so that the
; installer can wait for it. Out: $0 = the exit code.
Function RunInstalledUninstaller
    ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
        MessageBox MB_OK|MB_ICONSTOP "No uninstaller of Lumoria was found in $INSTDIR." /SD IDOK
        StrCpy $0 ${EXIT_FAILED}
        Return
    ${EndIf}
    !insertmacro AnswersStop
    Call UninstallerSwitches
    ClearErrors
    ExecWait '"$INSTDIR\uninstall.exe" $R0 ${ANSWERS_OPTION} _?=$INSTDIR' $0
    ${If} ${Errors}
        StrCpy $0 ${EXIT_FAILED}
    ${ElseIf} $AnswerMode = ${ANSWERS_RECORD}
        Push $0
        Call KeepRemovalAnswers
        Pop $0
    ${EndIf}
    ${If} $0 = ${EXIT_DONE}
        Delete "$INSTDIR\uninstall.exe"
        RMDir "$INSTDIR"
    ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; The file log: install-log.ini in the installation folder, [Files] Count,
; and per file i Name<i> (logical name), Path<i> (full path, empty once
; removed), Shared<i> (1: counted in SharedDLLs by this installer).

; $R0 = path. Out: $R1 = its entry number, 0 when it is not logged.
Function FindLoggedPath
    Push $R2
    Push $R3
    ReadINIStr $R2 "$INSTDIR\${FILE_LOG}" "Files" "Count"
    IntOp $R2 $R2 + 0
    StrCpy $R1 1
    ${While} $R1 <= $R2
        ReadINIStr $R3 "$INSTDIR\${FILE_LOG}" "Files" "Path$R1"
        ${IfThen} $R3 == $R0 ${|} ${Break} ${|}
        IntOp $R1 $R1 + 1
    ${EndWhile}
    ${IfThen} $R1 > $R2 ${|} StrCpy $R1 0 ${|}
    Pop $R3
    Pop $R2
FunctionEnd

; $R0 = path, $R4 = logical name: logged once, however often copied.
Function LogCopiedFile
    Call FindLoggedPath
    ${If} $R1 = 0
        ReadINIStr $R1 "$INSTDIR\${FILE_LOG}" "Files" "Count"
        IntOp $R1 $R1 + 1
        WriteINIStr "$INSTDIR\${FILE_LOG}" "Files" "Count" $R1
        WriteINIStr "$INSTDIR\${FILE_LOG}" "Files" "Path$R1" $R0
    ${EndIf}
    WriteINIStr "$INSTDIR\${FILE_LOG}" "Files" "Name$R1" $R4
FunctionEnd

; ---------------------------------------------------------------------------
; The copy engine. install.ini lists the files under one running number n in
; SETUPFILES, INSTALLFILES, SAMPLEFILES and NOTEFILES, with SIZEFILES and
; PERCENT under the same n; each entry is a logical name that the layout file
; turns into a file on the media: LOGICALFILE <name> = FILE<m>, FILENAMES
; FILE<m> = path relative to the layout file.
; Called from the section, so that NSIS leaves its progress bar to PERCENT.

Function CopyListedFiles
    FindWindow $R8 "#32770" "" $HWNDPARENT
    GetDlgItem $R8 $R8 1004
    SendMessage $R8 ${PBM_SETPOS} 0 0
    ReadINIStr $R9 $SetupIni "INSTALLFILES" "NUMFILES"
    IntOp $R9 $R9 + 0
    ReadINIStr $R0 $SetupIni "INSTALLFILES" "SIZEFILES"
    DetailPrint "Copying $R9 files ($R0 bytes) into $INSTDIR"
    StrCpy $R7 1
    ${While} $R7 <= $R9
        ; The section that lists file n, and the folder it goes to. The
        ; setup files' numbers stay counted when their section is dropped.
        StrCpy $R5 ""
        ReadINIStr $R4 $SetupIni "SETUPFILES" "FILE$R7"
        ${If} $R4 != ""
            StrCpy $R5 "$INSTDIR\SETUP"
        ${Else}
            ReadINIStr $R4 $SetupIni "INSTALLFILES" "FILE$R7"
            ${If} $R4 != ""
                StrCpy $R5 "$INSTDIR"
            ${Else}
                ReadINIStr $R4 $SetupIni "SAMPLEFILES" "FILE$R7"
                ${If} $R4 != ""
                    StrCpy $R5 "$INSTDIR\SAMPLES"
                ${Else}
                    ReadINIStr $R4 $SetupIni "NOTEFILES" "FILE$R7"
                    ${If} $R4 != ""
                        StrCpy $R5 "$INSTDIR\NOTES"
                    ${EndIf}
                ${EndIf}
            ${EndIf}
        ${EndIf}
        ${If} $R5 != ""
            ReadINIStr $R6 $SetupIni "PERCENT" "FILE$R7"
            ReadINIStr $R2 $Layout "LOGICALFILE" $R4
            ReadINIStr $R3 $Layout "FILENAMES" $R2
            ${If} $R3 == ""
                DetailPrint "$R4 has no place on the media"
                IntOp $Failures $Failures + 1
            ${Else}
                ${GetFileName} $R3 $R1
                StrCpy $R0 "$R5\$R1"
                CreateDirectory $R5
                ClearErrors
                CopyFiles /SILENT /FILESONLY "$WorkDir\$R3" $R0
                ${If} ${Errors}
                ${OrIfNot} ${FileExists} $R0
                    DetailPrint "Could not copy $WorkDir\$R3 to $R0"
                    IntOp $Failures $Failures + 1
                ${Else}
                    SetFileAttributes $R0 NORMAL
                    DetailPrint "$R6%  $R4  $R0"
                    Call LogCopiedFile
                ${EndIf}
            ${EndIf}
            IntOp $R6 $R6 * ${PROGRESS_PER_PERCENT}
            SendMessage $R8 ${PBM_SETPOS} $R6 0
        ${EndIf}
        IntOp $R7 $R7 + 1
    ${EndWhile}
FunctionEnd

; A modification: REMOVEFILES names the files no longer wanted, by logical
; name without the language mark ("README" stands for "*1README" too).
Function RemoveUnwantedFiles
    ReadINIStr $R9 $SetupIni "REMOVEFILES" "NUMFILES"
    IntOp $R9 $R9 + 0
    ReadINIStr $R8 "$INSTDIR\${FILE_LOG}" "Files" "Count"
    IntOp $R8 $R8 + 0
    StrCpy $R7 1
    ${While} $R7 <= $R9
        ReadINIStr $R6 $SetupIni "REMOVEFILES" "FILE$R7"
        StrCpy $R1 1
        ${While} $R1 <= $R8
            ReadINIStr $R4 "$INSTDIR\${FILE_LOG}" "Files" "Name$R1"
            ReadINIStr $R0 "$INSTDIR\${FILE_LOG}" "Files" "Path$R1"
            ReadINIStr $R3 "$INSTDIR\${FILE_LOG}" "Files" "Shared$R1"
            StrCpy $R2 $R4 1
            ${If} $R2 == "*"
                StrCpy $R4 $R4 "" 2
            ${EndIf}
            ${If} $R6 != ""
            ${AndIf} $R4 == $R6
            ${AndIf} $R0 != ""
            ${AndIf} $R3 != 1
                ClearErrors
                Delete $R0
                ${If} ${Errors}
                    DetailPrint "Could not remove $R0"
                    IntOp $Failures $Failures + 1
                ${Else}
                    DetailPrint "Removed $R0"
                    WriteINIStr "$INSTDIR\${FILE_LOG}" "Files" "Path$R1" ""
                ${EndIf}
            ${EndIf}
            IntOp $R1 $R1 + 1
        ${EndWhile}
        IntOp $R7 $R7 + 1
    ${EndWhile}
FunctionEnd

; ---------------------------------------------------------------------------
; Shared files. The layout file marks them with a second field "SYSTEM" in
; the component sections ("WPCOMMON,SYSTEM"). Each one copied is counted in
; Windows' shared-file list (HKLM ...\SharedDLLs, value = the file's path,
; a DWORD use count); the uninstaller counts it down.

; Out: $SharedNames = "|NAME|NAME|", every name marked SYSTEM in any section.
Function CollectSharedNames
    StrCpy $SharedNames "|"
    System::Alloc 32768
    Pop $R9
    System::Call 'kernel32::GetPrivateProfileSectionNamesA(p $R9, i 32768, m "$Layout") i .r0'
    StrCpy $R8 $R9
    ${Do}
        System::Call '*$R8(&m256 .r1)'
        ${IfThen} $1 == "" ${|} ${ExitDo} ${|}
        StrCpy $R7 1
        ${Do}
            ReadINIStr $R0 $Layout $1 "FILE$R7"
            ${IfThen} $R0 == "" ${|} ${ExitDo} ${|}
            ClearErrors
            ${WordFind} $R0 "," "E+2" $R2
            ${IfNot} ${Errors}
                ${WordFind} $R2 " " "+1" $R2    ; without the spaces around it
                ${If} $R2 == "SYSTEM"
                    ${WordFind} $R0 "," "+1" $R3
                    ${WordFind} $R3 " " "+1" $R3
                    StrCpy $R2 $R3 1
                    ${If} $R2 == "*"
                        StrCpy $R3 $R3 "" 1
                    ${EndIf}
                    StrCpy $SharedNames "$SharedNames$R3|"
                ${EndIf}
            ${EndIf}
            IntOp $R7 $R7 + 1
        ${Loop}
        StrLen $R0 $1
        IntPtrOp $R8 $R8 + $R0
        IntPtrOp $R8 $R8 + 1
    ${Loop}
    System::Free $R9
FunctionEnd

; Every logged file whose name is marked shared and that is not counted yet.
Function RegisterSharedFiles
    Call CollectSharedNames
    ReadINIStr $R9 "$INSTDIR\${FILE_LOG}" "Files" "Count"
    IntOp $R9 $R9 + 0
    StrCpy $R7 1
    ${While} $R7 <= $R9
        ReadINIStr $R4 "$INSTDIR\${FILE_LOG}" "Files" "Name$R7"
        ReadINIStr $R0 "$INSTDIR\${FILE_LOG}" "Files" "Path$R7"
        ReadINIStr $R3 "$INSTDIR\${FILE_LOG}" "Files" "Shared$R7"
        ; "*1WPCOMMON" in a list stands for "WPCOMMON".
        StrCpy $R2 $R4 1
        ${If} $R2 == "*"
            StrCpy $R4 $R4 "" 2
        ${EndIf}
        ${StrStr} $R2 $SharedNames "|$R4|"
        ${If} $R0 != ""
        ${AndIf} $R3 != 1
        ${AndIf} $R2 != ""
            ClearErrors
            ReadRegDWORD $R1 HKLM "${SHARED_DLLS_KEY}" $R0
            IntOp $R1 $R1 + 1
            WriteRegDWORD HKLM "${SHARED_DLLS_KEY}" $R0 $R1
            WriteINIStr "$INSTDIR\${FILE_LOG}" "Files" "Shared$R7" 1
            DetailPrint "Shared file $R0: use count $R1"
        ${EndIf}
        IntOp $R7 $R7 + 1
    ${EndWhile}
FunctionEnd

; ---------------------------------------------------------------------------
; The installation

Function InstallLumoria
    FindWindow $R8 "#32770" "" $HWNDPARENT
    GetDlgItem $R8 $R8 1004
    ; A folder that cannot be made (a file of that name, a drive that is not
    ; there) fails the setup before anything is registered.
    ClearErrors
    CreateDirectory $INSTDIR
    ${If} ${Errors}
    ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
        DetailPrint "The installation folder $INSTDIR cannot be made"
        IntOp $Failures $Failures + 1
        Return
    ${EndIf}
    ${If} $CopyFiles = 1
        Call CopyListedFiles
        ${If} $Modifying = 1
            Call RemoveUnwantedFiles
        ${EndIf}
        Call RegisterSharedFiles
        ; The installed install.ini holds the selection and the space used,
        ; from which a later setup starts; the layout file belongs with it.
        ${If} $SetupIni != "$INSTDIR\install.ini"
            CopyFiles /SILENT $SetupIni "$INSTDIR\install.ini"
        ${EndIf}
        CopyFiles /SILENT $Layout "$INSTDIR\setup.lay"
    ${Else}
        DetailPrint "Workstation installation: Lumoria runs from the server folder; no files are copied"
    ${EndIf}
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; A server copy is set up on each workstation, not on the server: it is
    ; not registered, and its uninstaller leaves this machine's settings.
    WriteINIStr "$INSTDIR\${FILE_LOG}" "Setup" "Network" "$Network"
    ${If} $Network != 1
        WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Lumoria"
        WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Jor"
        WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
        ; Quoted: an unquoted path with a space would let Windows try
        ; "C:\Program.exe" first. Deployment tools run the quiet command.
        WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
        WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
        ; IntegInstall (ignored, ignored, record): switches on each
        ; integration whose byte has bit 1 set (as dodialog left it) and
        ; writes the modules' answers back into integrationResults.
        System::Call 'dialogint::IntegInstall(i 0, i 0, p $Record) i .r0'
        !insertmacro RecordGetByte $Record 0 $1
        !insertmacro RecordGetByte $Record 1 $2
        !insertmacro RecordGetByte $Record 2 $3
        DetailPrint "IntegInstall: integration bytes $1 $2 $3 ..."
    ${EndIf}
    SendMessage $R8 ${PBM_SETPOS} 30000 0
FunctionEnd

; The library and the record go before NSIS deletes its temporary folder,
; which a loaded module would keep.
!macro ReleaseLibrary UN
Function ${UN}ReleaseLibrary
    ${If} $Library P<> 0
        System::Call 'kernel32::FreeLibrary(p $Library)'
        StrCpy $Library 0
    ${EndIf}
    ${If} $Record P<> 0
        System::Free $Record
        StrCpy $Record 0
    ${EndIf}
FunctionEnd
!macroend
!insertmacro ReleaseLibrary ""
!insertmacro ReleaseLibrary "un."

Function .onInstSuccess
    Call ReleaseLibrary
FunctionEnd

Function .onInstFailed
    Call ReleaseLibrary
FunctionEnd

Section "Lumoria"
    Call InstallLumoria
    ${If} $Failures > 0
        DetailPrint "$Failures file(s) could not be copied or removed"
        SetErrorLevel ${EXIT_FAILED}
    ${Else}
        SetErrorLevel ${EXIT_DONE}
    ${EndIf}
    !insertmacro AnswersCheck
SectionEnd

; ---------------------------------------------------------------------------
; The uninstaller: runs from the installation folder, with its own copy of
; the library; the installation's install.ini and setup.lay stand in for the
; media's.

; Each shared file is counted down; when no program uses it any more the
; user decides with DeleteShareDLL, whose "yes" removes the SharedDLLs value.
Function un.ReleaseSharedFiles
    ReadINIStr $R9 "$INSTDIR\${FILE_LOG}" "Files" "Count"
    IntOp $R9 $R9 + 0
    StrCpy $R7 $R9
    ${While} $R7 > 0
        ReadINIStr $R0 "$INSTDIR\${FILE_LOG}" "Files" "Path$R7"
        ReadINIStr $R3 "$INSTDIR\${FILE_LOG}" "Files" "Shared$R7"
        ${If} $R0 != ""
        ${AndIf} $R3 == 1
            ClearErrors
            ReadRegDWORD $R1 HKLM "${SHARED_DLLS_KEY}" $R0
            ${If} ${Errors}
                StrCpy $R1 0
            ${EndIf}
            ${If} $R1 > 1
                IntOp $R1 $R1 - 1
                WriteRegDWORD HKLM "${SHARED_DLLS_KEY}" $R0 $R1
                DetailPrint "Shared file $R0 is still used by $R1 other program(s): kept"
                WriteINIStr "$INSTDIR\${FILE_LOG}" "Files" "Path$R7" ""
            ${Else}
                ; A zero count until the user decides.
                ${If} $R1 = 1
                    WriteRegDWORD HKLM "${SHARED_DLLS_KEY}" $R0 0
                ${EndIf}
                ${GetFileName} $R0 $R2
                !insertmacro AnswersContext "DeleteShareDLL"
                ; DeleteShareDLL (insert text, answer out, value name,
                ; resource folder): answer 1 remove, 0 keep.
                System::Call 'dialogint::DeleteShareDLL(m "$R2", *i -1 r1, m "$R0", m "$PLUGINSDIR\") i .r0'
                !insertmacro AnswersContext ""
                ${If} $1 = 1
                    WriteINIStr "$INSTDIR\${FILE_LOG}" "Files" "Shared$R7" 0
                ${Else}
                    DetailPrint "Kept shared file $R0"
                    WriteINIStr "$INSTDIR\${FILE_LOG}" "Files" "Path$R7" ""
                ${EndIf}
            ${EndIf}
        ${EndIf}
        IntOp $R7 $R7 - 1
    ${EndWhile}
FunctionEnd

Function un.RemoveLoggedFiles
    ReadINIStr $R9 "$INSTDIR\${FILE_LOG}" "Files" "Count"
    IntOp $R9 $R9 + 0
    StrCpy $R7 1
    ${While} $R7 <= $R9
        ReadINIStr $R0 "$INSTDIR\${FILE_LOG}" "Files" "Path$R7"
        ${If} $R0 != ""
            Delete $R0
            ${If} ${FileExists} $R0
                DetailPrint "Could not remove $R0"
                IntOp $Failures $Failures + 1
            ${EndIf}
        ${EndIf}
        IntOp $R7 $R7 + 1
    ${EndWhile}
    Delete "$INSTDIR\${FILE_LOG}"
    Delete "$INSTDIR\install.ini"
    Delete "$INSTDIR\setup.lay"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR\SETUP"
    RMDir "$INSTDIR\SAMPLES"
    RMDir "$INSTDIR\NOTES"
    RMDir "$INSTDIR"
FunctionEnd

; No entry of the library removes the configuration: the uninstaller does.
Function un.RemoveProductRegistry
    DeleteRegKey HKLM "${PRODUCT_KEY}"
    DeleteRegKey HKCU "${PRODUCT_KEY}"
    DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
    DeleteRegKey /ifempty HKCU "${MAKER_KEY}"
    DeleteRegKey HKCR "CLSID\${CONTEXT_MENU_ID}"
    DeleteRegKey HKCR "CLSID\${PROPERTY_SHEET_ID}"
    DeleteRegKey HKCR "*\shellex\ContextMenuHandlers\${CONTEXT_MENU_ID}"
    DeleteRegKey HKCR "*\shellex\PropertySheetHandlers\${PROPERTY_SHEET_ID}"
    DeleteRegValue HKLM "${RUN_KEY}" "lxldmgr"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
FunctionEnd

Function un.onInit
    !insertmacro SystemDllsOnly
    SetErrorLevel ${EXIT_FAILED}
FunctionEnd

Section "Uninstall"
    SetErrorLevel ${EXIT_FAILED}
    InitPluginsDir
    SetOutPath $PLUGINSDIR
    File "${BIN_DIR}\dialogint.dll"
    File "${BIN_DIR}\luinsres.dll"
    !ifdef INTEGRATION_DIR
        File "${INTEGRATION_DIR}\*pnint.dll"
        File "${INTEGRATION_DIR}\fixint.dll"
    !endif
    !insertmacro AnswersStart "un."
    SetOutPath $TEMP
    System::Call 'kernel32::LoadLibraryW(w "$PLUGINSDIR\dialogint.dll") p .r0'
    StrCpy $Library $0
    ${If} $0 P= 0
        DetailPrint "dialogint.dll could not be loaded"
        !insertmacro AnswersStop
        Abort
    ${EndIf}
    !insertmacro TakeAnswerSwitches "un."
    ${If} $0 <> 1
        DetailPrint "$1"
        !insertmacro AnswersStop
        Call un.ReleaseLibrary
        Abort
    ${EndIf}
    !insertmacro RecordNew $Record
    !insertmacro RecordSetText $Record ${HSI_setupIniPath} "$INSTDIR\install.ini"
    !insertmacro RecordSetText $Record ${HSI_layoutFilePath} "$INSTDIR\setup.lay"
    !insertmacro RecordSetText $Record ${HSI_sourceDir} "$PLUGINSDIR\"
    !insertmacro RecordSetText $Record ${HSI_installDir} "$INSTDIR"
    ${If} ${Errors}
        DetailPrint "The installation's path is too long for the setup library"
        !insertmacro AnswersStop
        Call un.ReleaseLibrary
        Abort
    ${EndIf}
    System::Call 'dialogint::setupInstall(p $HWNDPARENT, m "$EXEDIR\", m "$PLUGINSDIR\") i .r0'
    ReadINIStr $Network "$INSTDIR\${FILE_LOG}" "Setup" "Network"

    ; IntegDeinstall (ignored, ignored, record): asks every integration
    ; module for its status and switches off each one that is on.
    ${If} $Network != 1
        System::Call 'dialogint::IntegDeinstall(i 0, i 0, p $Record) i .r0'
    ${EndIf}
    Call un.ReleaseSharedFiles
    ; unLoadDriver: running parts of Lumoria hear "Lumoria deinstall".
    System::Call 'dialogint::unLoadDriver(i 0) i .r0'

    Call un.RemoveLoggedFiles
    ${If} $Network != 1
        Call un.RemoveProductRegistry
    ${EndIf}
    Call un.ReleaseLibrary
    ${If} $Failures > 0
        SetErrorLevel ${EXIT_FAILED}
    ${Else}
        SetErrorLevel ${EXIT_DONE}
    ${EndIf}
    !insertmacro AnswersCheck
SectionEnd
