// answer_mode.h - whether an answer file is in use, and how, and the window
// policy that follows from it. Every layer asks it: off and recording, a
// person sees the library's windows; replaying, no window of any kind is
// made, and every message box is logged with the answer nobody gave.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "dialogint.h"

// The answer a question has when the file gives no usable one; the entry
// then stops with RESULT_NO_ANSWER and writes nothing.
constexpr int NO_ANSWER = RESULT_NO_ANSWER;

// ANSWERS_OFF, ANSWERS_RECORD or ANSWERS_REPLAY, and the answer file's full
// path (empty when off).
void setAnswerMode(int32_t mode, const char *fullPath);
bool replaying();
bool recording();
const char *answersFile();

// Every message box of the library goes here: shown while windows may be
// shown; replaying, logged with its silent answer (OK, or the box's default
// button for a question) instead.
int showBox(HWND owner, const char *text, const char *caption, UINT style);
// The same for texts of the resource module, which reach the screen whole
// whatever the system's code page.
int showBoxW(HWND owner, const WCHAR *text, const WCHAR *caption, UINT style);
constexpr int BOX_TEXT_UNITS = 1024;
constexpr int BOX_CAPTION_UNITS = 256;

// A text of the system's code page in UTF-16, and back; what does not fit in
// cap (units or bytes, the terminator included) is cut between characters.
void widenText(const char *text, WCHAR *wide, int cap);
void narrowText(const WCHAR *wide, char *text, int cap);

// False while replaying: then no window of any kind may be made.
bool windowsAllowed();

// The result of an entry whose install.ini could not be written: today's
// result, but NO_ANSWER when replaying, since a deployment tool must see a
// failure there rather than a cancel.
int resultWhenNotSaved(int todaysResult);
