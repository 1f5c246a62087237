// player.h - the click-script player of the project's tests: it plays the
// sample host's answer files (samples/answers/*.txt, "main: custom", ...) on
// the library's real dialogs through the autopilot's CBT hook, and takes the
// pictures of the dialogs. setup_autopilot.dll carries it into setuphost.exe
// as a window hook (play_setup.exe starts the host with it), nsis_answers.dll
// into the NSIS sample setup.
// One state block, playerRun; the module that holds the player says where
// its lines go (playerPrint).
#pragma once

#include <windows.h>

constexpr int PLAYER_PATH = 260;

struct PlayerRun {
    char script[PLAYER_PATH];      // the answer file played
    char pictureDir[PLAYER_PATH];  // empty: no pictures
    char runName[16];              // "setup" or "removal": the pictures' first word
    int networkAsked;              // the script's "setup: network"
    int unanswered;                // dialogs or steps the script did not answer
    int pictureCount;
};

extern PlayerRun playerRun;

// What play_setup.exe hands the host's process through its environment, and
// what the player there hands back when the process ends.
constexpr char PLAYER_SCRIPT_VARIABLE[] = "DIALOGINT_PLAYER_SCRIPT";
constexpr char PLAYER_PICTURES_VARIABLE[] = "DIALOGINT_PLAYER_PICTURES";
constexpr char PLAYER_RUN_VARIABLE[] = "DIALOGINT_PLAYER_RUN";
constexpr char PLAYER_REPORT_VARIABLE[] = "DIALOGINT_PLAYER_REPORT";  // a mapping's handle, in decimal
struct PlayerReport {
    int playing;     // the script was read and the player woke
    int unanswered;  // dialogs or steps the script did not answer
};

// Where the player's lines go; each module that holds the player has one.
void playerPrint(const char *format, ...) __attribute__((format(printf, 1, 2)));

// answer_player.cpp: reads playerRun.script only, to check it before a run
// (sets networkAsked); false with the reason printed.
bool readScript();
// Reads playerRun.script (false, with the reason printed,
// when a line means nothing) and answers every dialog of this thread from
// then on, until stopPlayer.
bool startPlayer();
void stopPlayer();
// The entry the host calls now, for a host that says it: a message box
// during DeleteShareDLL is the shared-file question. Without it, a Yes/No
// box that no window owns is (DeleteShareDLL has no window to give it).
void setPlayerEntry(const char *entry);
void printDialogsSeen();

// picture.cpp: "<run>-<nn>-<name>.bmp" of the window in playerRun.pictureDir.
bool capturePicture(HWND window, const char *name);
