; answers.nsh - the dialogs of lumoria.nsi played for the project's tests.
;
; Built with -DANSWERS_DLL=<path of nsis_answers.dll>, the installer and the
; uninstaller carry that test-only module and, when started with
; /AUTOPILOT=<script>, load it before the first entry of dialogint.dll: it
; presses the buttons of the library's dialogs as the script says, in the
; sample host's dialog-script format (docs/guide.md), and logs what it saw
; to <script>.log. A dialog the script leaves unanswered is closed and fails
; the run (exit code 1603). Without the define every macro here is empty.
; Unattended setup does not need it: /S with /ANSWERS= replays a setup in the
; library itself (lumoria.nsi).

!ifndef ANSWERS_NSH
!define ANSWERS_NSH

!ifdef ANSWERS_DLL

Var Answers
Var Unanswered
Var _ANS

; Passed on to the installed uninstaller when the setup runs it.
!define ANSWERS_OPTION '/AUTOPILOT="$Answers"'

; Starts answering the dialogs of the calling thread. UN: "" or "un.".
!macro AnswersStart UN
    ${${UN}GetParameters} $_ANS
    ClearErrors
    ${${UN}GetOptions} $_ANS "/AUTOPILOT=" $Answers
    ${If} $Answers != ""
        File "/oname=$PLUGINSDIR\nsis_answers.dll" "${ANSWERS_DLL}"
        System::Call 'kernel32::LoadLibraryW(w "$PLUGINSDIR\nsis_answers.dll") p .s'
        Pop $_ANS
        System::Call 'nsis_answers::answersStart(m "$Answers", m "$Answers.log") i .s'
        Pop $_ANS
    ${EndIf}
!macroend

; Stops answering; the dialogs left unanswered add up in $Unanswered.
!macro AnswersStop
    ${If} $Answers != ""
        System::Call 'nsis_answers::answersStop() i .s'
        Pop $_ANS
        IntOp $Unanswered $Unanswered + $_ANS
    ${EndIf}
!macroend

; The library's message boxes look alike; the answers tell DeleteShareDLL's
; question ("shared:") from the others ("box:") by this context.
!macro AnswersContext ENTRY
    ${If} $Answers != ""
        System::Call 'nsis_answers::answersContext(m "${ENTRY}")'
    ${EndIf}
!macroend

; At the end of a run: an unanswered dialog fails it.
!macro AnswersCheck
    !insertmacro AnswersStop
    ${If} $Answers != ""
        System::Call 'kernel32::GetModuleHandleW(w "nsis_answers.dll") p .s'
        Pop $_ANS
        System::Call 'kernel32::FreeLibrary(p $_ANS)'
        StrCpy $Answers ""
    ${EndIf}
    ${If} $Unanswered > 0
        DetailPrint "$Unanswered dialog(s) the answer file did not answer"
        SetErrorLevel 1603
    ${EndIf}
!macroend

!else

!define ANSWERS_OPTION ""
!macro AnswersStart UN
!macroend
!macro AnswersStop
!macroend
!macro AnswersContext ENTRY
!macroend
!macro AnswersCheck
!macroend

!endif
!endif
