/* dialogint.h - the host interface of dialogint.dll, Lumoria's installer
 * support library. The setup host includes this header: it declares the
 * record the host and the library exchange, every exported entry with its
 * arguments, and the result codes the entries return. All entries use the
 * standard Windows calling convention and are exported undecorated. */
#ifndef DIALOGINT_H
#define DIALOGINT_H

#include <windows.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The record the host owns and passes to dodialog, networkInstall,
 * HaveKeyDialog, initLanguage, IntegInstall and IntegDeinstall. Its layout is
 * fixed: packed, little-endian 32-bit integers, zero-terminated texts that
 * must fit their slot with the terminator. It holds no pointers, so it is the
 * same on 32-bit and 64-bit builds. */
#pragma pack(push, 1)
typedef struct HostSetupInfo {
    unsigned char integrationResults[50]; /*    0 out: one status byte per integration */
    int32_t upgradeMode;                  /*   50 in  */
    int32_t maintenanceMode;              /*   54 in  */
    int32_t addOnMode;                    /*   58 in  */
    int32_t readmeChoice;                 /*   62 out */
    int32_t manualChoice;                 /*   66 out */
    int32_t convToolChoice;               /*   70 out */
    int32_t viewEngineChoice;             /*   74 out */
    int32_t networkInstallMode;           /*   78 in, read by initLanguage only */
    int32_t languageFlags;                /*   82 in; out from initLanguage: the language to install */
    char installDir[200];                 /*   86 in/out */
    char setupIniPath[200];               /*  286 in  */
    char installedIniPath[200];           /*  486 in  */
    char layoutFilePath[200];             /*  686 in  */
    char installedLayoutFilePath[200];    /*  886 in  */
    char sourceDir[200];                  /* 1086 in, ends with a separator */
    char serverDir[200];                  /* 1286 in  */
    char platformName[30];                /* 1486 in, "Windows 3.x" = 16-bit platform */
    int32_t previousInstallState;         /* 1516 in; out from HaveKeyDialog: what it found */
} HostSetupInfo;                          /* 1520 bytes */
#pragma pack(pop)

/* Language bits of languageFlags. */
enum {
    LANGUAGE_ENGLISH = 1,
    LANGUAGE_FRENCH = 2,
    LANGUAGE_GERMAN = 4,
    LANGUAGE_SPANISH = 8,
    LANGUAGE_JAPANESE = 16,
    LANGUAGE_RUSSIAN = 32
};

/* setupInstall */
enum { SETUP_STOP = 0, SETUP_GO_ON = 1 };

/* dodialog */
enum {
    DODIALOG_CANCELLED = 0,
    DODIALOG_STANDARD = 1,
    DODIALOG_CUSTOM = 2,
    DODIALOG_WORKSTATION = 3,
    DODIALOG_MAINTENANCE_CANCELLED = 10,
    DODIALOG_NO_RESOURCES = -1,
    DODIALOG_NO_CATALOGUE = -2
};

/* HaveKeyDialog */
enum {
    HAVEKEY_STOP = 0,
    HAVEKEY_NEW_INSTALL = 1,
    HAVEKEY_REMOVE = 2,
    HAVEKEY_REINSTALL = 3,
    HAVEKEY_MODIFY = 4,
    HAVEKEY_UPDATE_SAME_VERSION = 5,
    HAVEKEY_UPDATE_NOT_POSSIBLE = 6,
    HAVEKEY_OLDER_KIND_ACCEPTED = 7
};

/* installerDlg kinds and answers */
enum {
    INSTALLERDLG_YES_NO = 1,
    INSTALLERDLG_YES_NO_DEFAULT_NO = 2,
    INSTALLERDLG_YES = 1,
    INSTALLERDLG_NO = 2,
    INSTALLERDLG_NO_RESOURCES = -1
};

int WINAPI setupInstall(HWND owner, const char *serverDir, const char *sourceDir);
int WINAPI dodialog(HWND owner, HostSetupInfo *record);
int WINAPI HaveKeyDialog(HWND owner, int32_t *workstationFlag, HostSetupInfo *record);
int WINAPI initLanguage(HWND owner, HostSetupInfo *record);
int WINAPI networkInstall(HWND owner, HostSetupInfo *record);
int WINAPI installerDlg(HWND owner, int kind, const char *text, const char *resourceDir);
int WINAPI installLoadStr(int stringNumber, char *buffer, const char *resourceDir);
int WINAPI IntegInstall(int32_t ignored1, int32_t ignored2, HostSetupInfo *record);
int WINAPI IntegDeinstall(int32_t ignored1, int32_t ignored2, HostSetupInfo *record);
int WINAPI DeleteShareDLL(const char *insertText, int32_t *answer, const char *valueName, const char *sourceDir);
int WINAPI LoadLaunch(const char *directory);
int WINAPI unLoadDriver(int32_t ignored);

/* Unattended setup: an answer file that the host names before the other
 * entries. Recording shows the dialogs as usual and writes each choice into
 * the file; replaying shows nothing at all and takes each choice from it.
 * 1 when the file can be used (replay: readable; record: its folder
 * writable), else 0 and answers stay off. */
enum { ANSWERS_OFF = 0, ANSWERS_RECORD = 1, ANSWERS_REPLAY = 2 };
int WINAPI setupAnswers(const char *path, int32_t mode);

/* Every entry that asks a person: a replay whose answer file has no usable
 * answer for a question stops with this result and writes nothing. */
enum { RESULT_NO_ANSWER = -3 };

/* The setup log: the file every later entry appends its decisions and
 * failures to, one timestamped line each. Null or empty names none. 1 when
 * the file can be written, 0 otherwise (then no log is named). */
int WINAPI setupLogFile(const char *path);

INT_PTR WINAPI MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR WINAPI optionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR WINAPI LangDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR WINAPI networkProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR WINAPI ReinstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR WINAPI WaitDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#ifdef __cplusplus
}
#endif

#endif
