// answer_player.cpp - the click-script player. An answer file says, one line
// per showing of a dialog, what a user would do in it:
//
//     <dialog>: <step>; <step>; ...
//
// The autopilot (the test rig's CBT hook) hands the player every dialog and
// message box as it opens, from inside its modal loop; the player tells which
// dialog it is by its controls, takes the next line written for that dialog,
// photographs it when pictures are asked for, and plays the steps. The
// library's progress dialog ends by itself and is only photographed. A
// dialog the file does not answer is closed (a box with its default button),
// counted, and fails the run, so that an unattended run never hangs.
#include "player.h"

#include <stdio.h>
#include <string.h>

#include <vector>

#include "autopilot/autopilot.h"
#include "dialogint.h"
#include "luinsres_ids.h"
#include "state/text.h"

enum DialogKind {
    KIND_LANGUAGE,
    KIND_REINSTALL,
    KIND_MAIN,
    KIND_OPTIONS,
    KIND_NETWORK,
    KIND_BOX,
    KIND_SHARED,
    KIND_PROGRESS,
    KIND_UNKNOWN,
    KIND_COUNT
};

// The names of the dialogs in answer files, in DialogKind order; the progress
// dialog takes no answers.
constexpr const char *kindNames[KIND_COUNT] = {"language", "reinstall", "main",     "options", "network",
                                               "box",      "shared",    "progress", "unknown"};

struct AnswerLine {
    int kind;
    int lineNumber;
    int used;
    char steps[400];
};
constexpr int MAX_ANSWER_LINES = 64;

// One dialog the run met, for the summary.
struct DialogMet {
    int kind;
    int answered;      // 1 answered, 0 not, -1 needs no answer
    char caption[64];
    char answer[80];
};
constexpr int MAX_DIALOGS_MET = 80;

static AnswerLine answerLines[MAX_ANSWER_LINES];
static int answerLineCount;
static DialogMet dialogsMet[MAX_DIALOGS_MET];
static int dialogsMetCount;
// The entry being called, copied: a caller may pass a temporary text.
static char answerContext[32];
static bool answering;

// A dialog that has not ended this long after its last step is closed.
constexpr DWORD DIALOG_WATCHDOG_MS = 30000;

static bool isDecimal(const char *text)
{
    if (!*text)
        return false;
    for (; *text; text++)
        if (*text < '0' || *text > '9')
            return false;
    return true;
}

static char *trim(char *text)
{
    while (*text == ' ' || *text == '\t')
        text++;
    size_t n = strlen(text);
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t' || text[n - 1] == '\r' || text[n - 1] == '\n'))
        text[--n] = 0;
    return text;
}

static int kindByName(const char *name)
{
    for (int k = 0; k < KIND_COUNT; k++)
        if (equalsNoCase(name, kindNames[k]))
            return k;
    return -1;
}

static bool addSteps(int kind, const struct AnswerLine &line, std::vector<DialogStep> *steps);

static bool readAnswerFile(const char *path)
{
    FILE *file = fopen(path, "r");
    if (!file) {
        playerPrint("answers: cannot read the answer file %s", path);
        return false;
    }
    char line[512];
    int number = 0;
    bool good = true;
    answerLineCount = 0;
    while (fgets(line, sizeof line, file)) {
        number++;
        char *hash = strchr(line, '#');
        if (hash)
            *hash = 0;
        char *text = trim(line);
        if (!text[0])
            continue;
        char *colon = strchr(text, ':');
        if (colon)
            *colon = 0;
        // "setup: network" asks for a network installation, as --network does.
        if (colon && equalsNoCase(trim(text), "setup")) {
            if (equalsNoCase(trim(colon + 1), "network"))
                playerRun.networkAsked = 1;
            else if (!equalsNoCase(trim(colon + 1), "dialogs")) {
                playerPrint("answers: %s line %d: setup is \"dialogs\" or \"network\"", path, number);
                good = false;
            }
            continue;
        }
        int kind = colon ? kindByName(trim(text)) : -1;
        if (kind < 0 || kind == KIND_PROGRESS || kind == KIND_UNKNOWN) {
            playerPrint("answers: %s line %d: expected \"<dialog>: <steps>\" with a dialog of language, reinstall, "
                        "main, options, network, box, shared, or \"setup: network\"",
                        path, number);
            good = false;
            continue;
        }
        if (answerLineCount >= MAX_ANSWER_LINES) {
            playerPrint("answers: %s: more than %d answers", path, MAX_ANSWER_LINES);
            good = false;
            break;
        }
        AnswerLine &a = answerLines[answerLineCount++];
        a.kind = kind;
        a.lineNumber = number;
        a.used = 0;
        if (!copyText(a.steps, sizeof a.steps, trim(colon + 1))) {
            playerPrint("answers: %s line %d is too long", path, number);
            good = false;
        }
        // Every step is checked now, before setup starts.
        std::vector<DialogStep> steps;
        if (!addSteps(kind, a, &steps) || steps.empty()) {
            if (steps.empty())
                playerPrint("answers: %s line %d has no steps", path, number);
            good = false;
        }
    }
    fclose(file);
    return good;
}

// The next line for a dialog of this kind. The shared-file question is
// asked once per file: its last line answers every further one.
static const AnswerLine *nextAnswer(int kind)
{
    const AnswerLine *last = nullptr;
    for (int i = 0; i < answerLineCount; i++) {
        if (answerLines[i].kind != kind)
            continue;
        if (!answerLines[i].used) {
            answerLines[i].used = 1;
            return &answerLines[i];
        }
        last = &answerLines[i];
    }
    return kind == KIND_SHARED ? last : nullptr;
}

static bool isListBox(HWND dialog, int id)
{
    char name[32] = "";
    HWND control = GetDlgItem(dialog, id);
    return control && GetClassNameA(control, name, sizeof name) && equalsNoCase(name, "ListBox");
}

static bool isSharedFileQuestion(HWND box)
{
    if (answerContext[0])
        return strcmp(answerContext, "DeleteShareDLL") == 0;
    return !GetWindow(box, GW_OWNER) && GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO);
}

static int classify(HWND dialog, const DialogSeen &seen)
{
    if (seen.messageBox)
        return isSharedFileQuestion(dialog) ? KIND_SHARED : KIND_BOX;
    if (GetDlgItem(dialog, IDC_PROGRESS_MESSAGE))
        return KIND_PROGRESS;
    if (GetDlgItem(dialog, IDC_MAIN_DIRECTORY))
        return GetDlgItem(dialog, IDC_MAIN_STANDARD) ? KIND_MAIN : KIND_NETWORK;
    if (isListBox(dialog, IDC_OPTIONS_LIST))
        return KIND_OPTIONS;
    if (GetDlgItem(dialog, IDC_LANGUAGE_SPANISH))
        return KIND_LANGUAGE;
    if (GetDlgItem(dialog, IDC_REINSTALL_REMOVE))
        return KIND_REINSTALL;
    return KIND_UNKNOWN;
}

static const char *pictureName(HWND dialog, int kind)
{
    if (kind == KIND_OPTIONS)
        return IsWindowVisible(GetDlgItem(dialog, IDC_OPTIONS_DETAILS)) ? "categories" : "details";
    if (kind == KIND_SHARED)
        return "shared-file";
    if (kind == KIND_BOX)
        return "message";
    return kindNames[kind];
}

static void answerFailed(const char *what, const char *detail)
{
    playerPrint("answers: %s %s", what, detail);
    playerRun.unanswered++;
}

static void dismiss(HWND dialog, bool messageBox);

// A step that cannot be played closes its dialog: the run must not go on
// with a choice the answer file did not make.
static void stepFailed(HWND dialog, const char *what, const char *detail)
{
    answerFailed(what, detail);
    dismiss(dialog, false);
}

// Closing a dialog nobody answered: a box with its default button, any other
// dialog with its Close command.
static void dismiss(HWND dialog, bool messageBox)
{
    if (messageBox) {
        LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
        clickButton(dialog, HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK);
    } else {
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

// The list position of an entry of the options dialog: a number is its line
// in the list, counted from 1 (on the category list, the category's number),
// which holds in every language; any other text is the entry's own text, as
// older answer files name it.
static int entryPosition(HWND dialog, const char *entry)
{
    HWND list = GetDlgItem(dialog, IDC_OPTIONS_LIST);
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (isDecimal(entry)) {
        int line = parseDecimal(entry);
        return line >= 1 && line <= count ? line - 1 : -1;
    }
    for (int p = 0; p < count; p++) {
        char text[128] = "";
        if (SendMessageA(list, LB_GETTEXTLEN, p, 0) < (LRESULT)sizeof text)
            SendMessageA(list, LB_GETTEXT, p, (LPARAM)text);
        if (equalsNoCase(text, entry))
            return p;
    }
    return -1;
}

// A click on an entry highlights it; a click on the highlighted entry, which
// is the list's current one, selects or deselects it.
static void highlightEntry(HWND dialog, int position)
{
    if (SendMessageA(GetDlgItem(dialog, IDC_OPTIONS_LIST), LB_GETCURSEL, 0, 0) != position)
        selectListEntry(dialog, IDC_OPTIONS_LIST, position);
}

static DialogStep entryStep(const char *entry, bool toggle)
{
    std::string wanted = entry;
    return inspect([wanted, toggle](HWND dialog) {
        int p = entryPosition(dialog, wanted.c_str());
        if (p < 0) {
            stepFailed(dialog, "no entry in the list named", wanted.c_str());
            return;
        }
        highlightEntry(dialog, p);
        if (toggle)
            selectListEntry(dialog, IDC_OPTIONS_LIST, p);
    });
}

static DialogStep languageStep(int buttonId, const char *name)
{
    std::string language = name;
    return inspect([buttonId, language](HWND dialog) {
        HWND button = GetDlgItem(dialog, buttonId);
        if (!button || !IsWindowEnabled(button)) {
            stepFailed(dialog, "this setup does not offer the language", language.c_str());
            return;
        }
        CheckRadioButton(dialog, IDC_LANGUAGE_ENGLISH, IDC_LANGUAGE_SPANISH, buttonId);
        clickButton(dialog, IDOK);
    });
}

struct NamedButton {
    int kind;  // -1: any dialog
    const char *word;
    int id;
};
constexpr NamedButton namedButtons[] = {
    {-1, "ok", IDOK},
    {-1, "cancel", IDCANCEL},
    {-1, "yes", IDYES},
    {-1, "no", IDNO},
    {KIND_REINSTALL, "modify", IDC_REINSTALL_MODIFY},
    {KIND_REINSTALL, "reinstall", IDC_REINSTALL_REINSTALL},
    {KIND_REINSTALL, "remove", IDC_REINSTALL_REMOVE},
    {KIND_MAIN, "standard", IDC_MAIN_STANDARD},
    {KIND_MAIN, "custom", IDC_MAIN_CUSTOM},
    {KIND_MAIN, "workstation", IDC_MAIN_WORKSTATION},
};

struct NamedLanguage {
    const char *word;
    int id;
    int bit;  // in languageFlags
};
constexpr NamedLanguage namedLanguages[] = {
    {"english", IDC_LANGUAGE_ENGLISH, LANGUAGE_ENGLISH},
    {"german", IDC_LANGUAGE_GERMAN, LANGUAGE_GERMAN},
    {"french", IDC_LANGUAGE_FRENCH, LANGUAGE_FRENCH},
    {"spanish", IDC_LANGUAGE_SPANISH, LANGUAGE_SPANISH},
};

// One step of an answer line; false when the words mean nothing for the kind.
static bool addStep(int kind, char *step, std::vector<DialogStep> *steps)
{
    char *argument = step;
    while (*argument && *argument != ' ' && *argument != '\t')
        argument++;
    if (*argument)
        *argument++ = 0;
    argument = trim(argument);
    const char *verb = step;

    for (const NamedButton &b : namedButtons)
        if ((b.kind < 0 || b.kind == kind) && equalsNoCase(verb, b.word) && !argument[0]) {
            steps->push_back(pressButton(b.id));
            return true;
        }
    if (kind == KIND_LANGUAGE)
        for (const NamedLanguage &l : namedLanguages)
            if (equalsNoCase(verb, l.word)) {
                steps->push_back(languageStep(l.id, l.word));
                return true;
            }
    if (equalsNoCase(verb, "close") && !argument[0]) {
        steps->push_back(closeWindow());
        return true;
    }
    if (equalsNoCase(verb, "press") && argument[0]) {
        steps->push_back(pressButton(parseDecimal(argument)));
        return true;
    }
    if (equalsNoCase(verb, "wait") && argument[0]) {
        steps->push_back(pauseFor((DWORD)parseDecimal(argument)));
        return true;
    }
    if ((kind == KIND_MAIN || kind == KIND_NETWORK) && equalsNoCase(verb, "directory") && argument[0]) {
        steps->push_back(typeText(IDC_MAIN_DIRECTORY, argument));
        return true;
    }
    if (kind == KIND_OPTIONS && equalsNoCase(verb, "toggle") && argument[0]) {
        steps->push_back(entryStep(argument, true));
        return true;
    }
    if (kind == KIND_OPTIONS && equalsNoCase(verb, "details") && argument[0]) {
        steps->push_back(entryStep(argument, false));
        steps->push_back(pressButton(IDC_OPTIONS_DETAILS));
        return true;
    }
    return false;
}

static bool addSteps(int kind, const AnswerLine &line, std::vector<DialogStep> *steps)
{
    char text[sizeof line.steps];
    copyText(text, sizeof text, line.steps);
    bool good = true;
    for (char *step = text; step;) {
        char *next = strchr(step, ';');
        if (next)
            *next++ = 0;
        char *words = trim(step);
        if (words[0] && !addStep(kind, words, steps)) {
            playerPrint("answers: line %d: \"%s\" means nothing in the %s dialog", line.lineNumber, words,
                        kindNames[kind]);
            good = false;
        }
        step = next;
    }
    return good;
}

static DialogMet *noteDialog(HWND dialog, int kind)
{
    if (dialogsMetCount >= MAX_DIALOGS_MET)
        return nullptr;
    DialogMet &m = dialogsMet[dialogsMetCount++];
    m.kind = kind;
    m.answered = 0;
    m.answer[0] = 0;
    GetWindowTextA(dialog, m.caption, sizeof m.caption);
    return &m;
}

static DialogAction pictureOf(HWND dialog, int kind)
{
    std::string name = pictureName(dialog, kind);
    return inspect([name](HWND d) { capturePicture(d, name.c_str()); });
}

static void onDialog(HWND dialog, DialogSeen &seen)
{
    // One action waits for every dialog: the next is queued at once.
    autopilotQueue(onDialog);
    int kind = classify(dialog, seen);
    DialogMet *met = noteDialog(dialog, kind);
    bool pictures = playerRun.pictureDir[0] != 0;

    std::vector<DialogStep> steps;
    if (kind == KIND_PROGRESS) {
        if (met)
            met->answered = -1;
        if (pictures)
            sequence({pauseFor(200), pictureOf(dialog, kind)})(dialog, seen);
        return;
    }

    std::vector<DialogStep> answer;
    const AnswerLine *line = kind == KIND_UNKNOWN ? nullptr : nextAnswer(kind);
    if (line && addSteps(kind, *line, &answer) && !answer.empty()) {
        if (met) {
            met->answered = 1;
            copyText(met->answer, sizeof met->answer, line->steps);
        }
    } else {
        answerFailed("nothing answers the dialog", seen.messageBox ? seen.text.c_str() : seen.caption.c_str());
        bool box = seen.messageBox;
        // A shared file nobody decided about stays: other programs may need it.
        if (kind == KIND_SHARED)
            answer.assign(1, pressButton(IDNO));
        else
            answer.assign(1, inspect([box](HWND d) { dismiss(d, box); }));
    }
    // The picture shows the dialog as the answer left it, just before the
    // step that ends it; the dialog has painted and the display caught up.
    steps.push_back(pauseFor(300));
    steps.insert(steps.end(), answer.begin(), answer.end() - 1);
    if (pictures) {
        steps.push_back(pauseFor(300));
        steps.push_back(pictureOf(dialog, kind));
    }
    steps.push_back(answer.back());
    // A dialog that stays open after its answer is closed after a while.
    bool box = seen.messageBox;
    steps.push_back(waitUntil([](HWND) { return false; }, DIALOG_WATCHDOG_MS));
    steps.push_back(inspect([box](HWND d) {
        answerFailed("the dialog did not end after its answer:", "closed");
        dismiss(d, box);
    }));
    sequence(steps)(dialog, seen);
}

bool readScript() { return readAnswerFile(playerRun.script); }

bool startPlayer()
{
    dialogsMetCount = 0;
    playerRun.unanswered = 0;
    playerRun.pictureCount = 0;
    if (!readAnswerFile(playerRun.script))
        return false;
    autopilotStart();
    autopilotQueue(onDialog);
    answering = true;
    return true;
}

void stopPlayer()
{
    if (!answering)
        return;
    autopilotStop();
    answering = false;
}

void setPlayerEntry(const char *entry)
{
    copyText(answerContext, sizeof answerContext, entry ? entry : "");
}

void printDialogsSeen()
{
    if (!answering && dialogsMetCount == 0)
        return;
    playerPrint("Dialogs shown: %d", dialogsMetCount);
    for (int i = 0; i < dialogsMetCount; i++) {
        const DialogMet &m = dialogsMet[i];
        playerPrint("  %-9s %-40s %s", kindNames[m.kind], m.caption,
                    m.answered > 0 ? m.answer : m.answered < 0 ? "(ends by itself)" : "(not answered)");
    }
    // One answer file serves both runs; only a setup notes what it did not need.
    for (int i = 0; i < answerLineCount && strcmp(playerRun.runName, "setup") == 0; i++)
        if (!answerLines[i].used && answerLines[i].kind != KIND_SHARED && answerLines[i].kind != KIND_LANGUAGE)
            playerPrint("  answer of line %d (%s) not needed: that dialog did not show",
                        answerLines[i].lineNumber, kindNames[answerLines[i].kind]);
}
