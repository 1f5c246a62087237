; hostsetupinfo.nsh - the record a setup host and dialogint.dll exchange
; (HostSetupInfo of include/dialogint.h), for NSIS scripts.
;
; The record is 1,520 bytes, packed: little-endian 32-bit integers and
; zero-terminated ANSI texts in fixed slots. A script keeps it in memory from
; System::Alloc (zero-filled) and reads and writes each field with the System
; plug-in's structure syntax at the field's offset:
;
;   !insertmacro RecordSetText $Record ${HSI_setupIniPath} "$WorkDir\install.ini"
;   !insertmacro RecordGetText $Record ${HSI_installDir} $0
;   !insertmacro RecordSetInt  $Record ${HSI_maintenanceMode} 1
;
; Texts go to the library as ANSI (the "m" type), whatever the installer's own
; character set; a text must fit its slot with the terminator, which
; RecordSetText checks.

!ifndef HOSTSETUPINFO_NSH
!define HOSTSETUPINFO_NSH

!define HSI_SIZE 1520

; Offsets and sizes, as in include/dialogint.h.
!define HSI_integrationResults      0    ; 50 bytes, one status byte per integration
!define HSI_upgradeMode             50
!define HSI_maintenanceMode         54
!define HSI_addOnMode               58
!define HSI_readmeChoice            62
!define HSI_manualChoice            66
!define HSI_convToolChoice          70
!define HSI_viewEngineChoice        74
!define HSI_networkInstallMode      78
!define HSI_languageFlags           82
!define HSI_installDir              86   ; 200
!define HSI_setupIniPath            286  ; 200
!define HSI_installedIniPath        486  ; 200
!define HSI_layoutFilePath          686  ; 200
!define HSI_installedLayoutFilePath 886  ; 200
!define HSI_sourceDir               1086 ; 200, ends with a backslash
!define HSI_serverDir               1286 ; 200
!define HSI_platformName            1486 ; 30
!define HSI_previousInstallState    1516
!define HSI_TEXT_SLOT               200
!define HSI_PLATFORM_SLOT           30
!define HSI_INTEGRATION_BYTES       50

; Result codes, as in include/dialogint.h.
!define SETUP_GO_ON 1
!define HAVEKEY_STOP 0
!define HAVEKEY_NEW_INSTALL 1
!define HAVEKEY_REMOVE 2
!define HAVEKEY_REINSTALL 3
!define HAVEKEY_MODIFY 4
!define HAVEKEY_UPDATE_SAME_VERSION 5
!define HAVEKEY_UPDATE_NOT_POSSIBLE 6
!define HAVEKEY_OLDER_KIND_ACCEPTED 7
!define DODIALOG_CANCELLED 0
!define DODIALOG_STANDARD 1
!define DODIALOG_CUSTOM 2
!define DODIALOG_WORKSTATION 3
!define DODIALOG_MAINTENANCE_CANCELLED 10
!define DODIALOG_NO_RESOURCES -1
!define DODIALOG_NO_CATALOGUE -2
!define LANGUAGE_ENGLISH 1
!define LANGUAGE_FRENCH 2
!define LANGUAGE_GERMAN 4
!define LANGUAGE_SPANISH 8
!define LANGUAGE_JAPANESE 16
!define LANGUAGE_RUSSIAN 32
; A replay whose answer file has no usable answer (every entry that asks).
!define RESULT_NO_ANSWER -3
; setupAnswers modes.
!define ANSWERS_OFF 0
!define ANSWERS_RECORD 1
!define ANSWERS_REPLAY 2

; A new zero-filled record; its address in OUT. Free it with System::Free.
!macro RecordNew OUT
    System::Alloc ${HSI_SIZE}
    Pop ${OUT}
!macroend

!macro RecordSetInt RECORD OFFSET VALUE
    IntPtrOp $_HSI_field ${RECORD} + ${OFFSET}
    System::Call "*$_HSI_field(i ${VALUE})"
!macroend

!macro RecordGetInt RECORD OFFSET OUT
    IntPtrOp $_HSI_field ${RECORD} + ${OFFSET}
    System::Call "*$_HSI_field(i .s)"
    Pop ${OUT}
!macroend

; One byte of integrationResults.
!macro RecordGetByte RECORD INDEX OUT
    IntPtrOp $_HSI_field ${RECORD} + ${INDEX}
    System::Call "*$_HSI_field(&i1 .s)"
    Pop ${OUT}
!macroend

; A text slot of SIZE bytes (200, or 30 for platformName). A text that does
; not fit with its terminator sets the error flag and leaves the slot alone:
; the library must never work on a cut path.
!macro RecordSetTextSized RECORD OFFSET SIZE TEXT
    ClearErrors
    StrCpy $_HSI_text "${TEXT}"
    StrLen $_HSI_length $_HSI_text
    IntCmp $_HSI_length ${SIZE} +2 +3 +2
        SetErrors
        Goto +3
    IntPtrOp $_HSI_field ${RECORD} + ${OFFSET}
    System::Call "*$_HSI_field(&m${SIZE} s)" "$_HSI_text"
!macroend

!macro RecordSetText RECORD OFFSET TEXT
    !insertmacro RecordSetTextSized ${RECORD} ${OFFSET} ${HSI_TEXT_SLOT} "${TEXT}"
!macroend

!macro RecordGetText RECORD OFFSET OUT
    IntPtrOp $_HSI_field ${RECORD} + ${OFFSET}
    System::Call "*$_HSI_field(&m${HSI_TEXT_SLOT} .s)"
    Pop ${OUT}
!macroend

Var _HSI_field
Var _HSI_text
Var _HSI_length

!endif
