// answers.h - unattended setup: the answer file that is recorded from a
// person's choices or replayed in their place. The entries and drivers ask
// this file for an answer; they never learn how the answer came about.
//
// Off (the default) and recording, a question runs the dialog that asks the
// person; recording also notes the answer and writes it into the answer
// file when the entry ends. Replaying, no window of any kind is made: the
// answer comes from the file, is checked as the dialog would have checked
// it, and is then made as the dialog's handler would have made it.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "dialogint.h"
#include "state/answer_mode.h"

// One named answer of a question, as the file writes it.
struct AnswerName {
    const char *name;
    int value;
};

// The folder that goes with an answer (the installation folder of the main
// dialog, the server folder of the network dialog): replaying, it is taken
// from the file (else the folder the dialog would have shown) and checked
// before the answer is made; recording, it is written beside the answer.
struct FolderAnswer {
    const char *key;
    char *folder;              // the setup's folder, PATH_BYTES long
    int notWithAnswer;         // an answer that carries no folder (cancel)
};

struct Question {
    const char *key;                  // in [Setup]
    const AnswerName *names;
    int nameCount;
    int fallback;                     // when the file names none; NO_ANSWER: required
    const char *fallbackReason;       // logged with the fallback
    // Replay: checks the file's answer and makes it as the dialog's handler
    // would. Returns null, or the reason the answer cannot be taken.
    const char *(*take)(int answer);
    const FolderAnswer *folder;       // null when none goes with the answer
};

// The person's answer: runs the dialog, returns what it ended with.
typedef int (*AskPerson)(HWND owner);

// The answer to one question: from the person (the dialog runs), noted when
// recording; or from the file when replaying (NO_ANSWER, logged with the
// key or the reason, when the file has no usable one).
int answerQuestion(const Question &question, HWND owner, AskPerson ask);

// The selection of a custom installation or of a modification: the options
// dialogs, or the file's [Components] and group sections applied through
// the catalogue as the dialogs apply a person's clicks. Returns the options
// dialog's end (OPTIONS_ACCEPTED when accepted) or NO_ANSWER.
int answerComponents(HWND owner);

// A shared file's question at removal: 1 remove, 0 keep. Replaying, a file
// that the answer file does not name is kept.
int answerSharedFile(const char *valueName, const WCHAR *message, const WCHAR *caption);

// End of an entry that asked: what was recorded goes into the answer file,
// through the profile layer's atomic writer.
void saveRecordedAnswers();

// The answer file the host names, and how it is used (setupAnswers): 1 when
// the file can be used (replay: readable; record: a new file could be put in
// its place), else 0 and answers stay off. Off closes the default log.
int startAnswers(const char *path, int32_t mode);
