// player.h - the click-script player of the project's tests: it plays the
// sample host's answer files (samples/answers/*.txt, "main: custom", ...) on
// the library's real dialogs through the autopilot's CBT hook, and takes the
// pictures of the dialogs. setup_autopilot.dll gives it to setuphost.exe for
// --answers and --screenshots, nsis_answers.dll to the NSIS sample setup.
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

// Where the player's lines go; each module that holds the player has one.
void playerPrint(const char *format, ...) __attribute__((format(printf, 1, 2)));

// answer_player.cpp: reads playerRun.script (false, with the reason printed,
// when a line means nothing) and answers every dialog of this thread from
// then on, until stopPlayer.
bool startPlayer();
void stopPlayer();
// The entry the host calls now: a message box during DeleteShareDLL is the
// shared-file question.
void setPlayerEntry(const char *entry);
void printDialogsSeen();
// The language bit the script's "language:" line names, 0 if none.
int scriptLanguage();

// picture.cpp: "<run>-<nn>-<name>.bmp" of the window in playerRun.pictureDir.
bool capturePicture(HWND window, const char *name);
