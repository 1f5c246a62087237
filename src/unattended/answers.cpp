// answers.cpp - the questions the entries ask through the answer file (its
// mode and path are state/answer_mode's, set by the setupAnswers entry), and
// the answers noted while recording until the entry that asked them ends.
// Owns the answer file; the components of a selection are
// component_answers.cpp's.
#include "answers.h"

#include <string.h>

#include "component_answers.h"
#include "catalogue/choices.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/options_dialog.h"
#include "luinsres_ids.h"
#include "state/setup_log.h"
#include "state/new_file.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/path_text.h"

namespace {

// Answers noted while recording, written when the entry that asked ends: the
// answer file is written after the entry's own files, so that it can never
// stand in the way of install.ini.
constexpr int NOTED_ANSWERS = 16;
constexpr size_t SECTION_BYTES = 16;

struct NotedAnswer {
    char section[SECTION_BYTES];
    char key[PATH_BYTES];
    char value[PATH_BYTES];
};

NotedAnswer noted[NOTED_ANSWERS];
int notedCount;
bool componentsNoted;

// The installation folder's edit takes 199 characters.
constexpr size_t FOLDER_CHARACTERS = 199;
constexpr size_t ANSWER_BYTES = 64;
constexpr size_t REASON_BYTES = 320;

void note(const char *section, const char *key, const char *value)
{
    int slot = 0;
    // A key may name a file by its path: compared by character.
    while (slot < notedCount && !(equalsNoCase(noted[slot].section, section) && samePathText(noted[slot].key, key)))
        slot++;
    if (slot == NOTED_ANSWERS) {
        logLine("answer %s/%s=%s not recorded: too many answers in one entry", section, key, value);
        return;
    }
    if (slot == notedCount)
        notedCount++;
    copyText(noted[slot].section, sizeof noted[slot].section, section);
    copyText(noted[slot].key, sizeof noted[slot].key, key);
    copyText(noted[slot].value, sizeof noted[slot].value, value);
}

const char *nameOf(const Question &q, int value)
{
    for (int i = 0; i < q.nameCount; i++)
        if (q.names[i].value == value)
            return q.names[i].name;
    return nullptr;
}

bool valueOf(const Question &q, const char *name, int *value)
{
    for (int i = 0; i < q.nameCount; i++)
        if (equalsNoCase(q.names[i].name, name)) {
            *value = q.names[i].value;
            return true;
        }
    return false;
}

// ---------------------------------------------------------------------------
// Folders

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The rules the main dialog's folder must meet to be created as typed: at
// most 199 characters, a drive letter, a colon and a backslash, no character
// a file name cannot hold, a drive that exists, and no file where a folder
// of the path must be. Null, or what is wrong.
const char *folderProblem(const char *folder)
{
    size_t length = strlen(folder);
    if (length > FOLDER_CHARACTERS)
        return "longer than 199 characters";
    if (length < 3 || !isDriveLetter(folder[0]) || folder[1] != ':' || folder[2] != '\\')
        return "not a full path on a drive (X:\\...)";
    // By character: the second byte of a double-byte character may be any
    // of these.
    for (const char *p = folder + 2; *p; p = nextChar(p)) {
        unsigned char c = (unsigned char)*p;
        if (c < 32 || strchr("<>\"|?*:/", c))
            return "a character no folder name can hold";
    }
    char root[4] = {folder[0], ':', '\\', 0};
    UINT type = GetDriveTypeA(root);
    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
        return "no such drive";
    char prefix[PATH_BYTES];
    for (const char *p = folder + 3;; p = nextChar(p)) {
        if (*p != '\\' && *p != 0)
            continue;
        size_t i = (size_t)(p - folder);
        copyText(prefix, i + 1 < sizeof prefix ? i + 1 : sizeof prefix, folder);
        DWORD attributes = GetFileAttributesA(prefix);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return "a file stands where a folder of the path must be";
        if (!*p)
            break;
    }
    return nullptr;
}

// Replay: the folder of the answer, from the file or as the dialog would
// have shown it. False, logged, when it cannot be used.
bool takeFolder(const FolderAnswer &f)
{
    char folder[PATH_BYTES];
    int length = readIniText(answersFile(), "Setup", f.key, "", folder, sizeof folder);
    if (length == 0) {
        logLine("answer %s=%s (default: the folder the host proposed)", f.key, f.folder);
        copyText(folder, sizeof folder, f.folder);
    } else {
        logLine("answer %s=%s (from the answer file)", f.key, folder);
    }
    if (const char *problem = folderProblem(folder)) {
        logLine("%s \"%s\" cannot be used: %s; setup stops (-3)", f.key, folder, problem);
        return false;
    }
    copyText(f.folder, PATH_BYTES, folder);
    return true;
}

int replayQuestion(const Question &q)
{
    char text[ANSWER_BYTES];
    int value = q.fallback;
    readIniText(answersFile(), "Setup", q.key, "", text, sizeof text);
    if (!text[0]) {
        if (q.fallback == NO_ANSWER) {
            logLine("%s: no answer in the answer file, and a person would have been asked; setup stops (-3)",
                    q.key);
            return NO_ANSWER;
        }
        copyText(text, sizeof text, nameOf(q, q.fallback) ? nameOf(q, q.fallback) : "");
        logLine("answer %s=%s (default: %s)", q.key, text, q.fallbackReason ? q.fallbackReason : "not named");
    } else if (!valueOf(q, text, &value)) {
        char expected[REASON_BYTES] = "";
        for (int i = 0; i < q.nameCount; i++) {
            appendText(expected, sizeof expected, i ? "|" : "");
            appendText(expected, sizeof expected, q.names[i].name);
        }
        logLine("%s=%s is no answer (%s); setup stops (-3)", q.key, text, expected);
        return NO_ANSWER;
    } else {
        logLine("answer %s=%s (from the answer file)", q.key, text);
    }
    if (q.folder && value != q.folder->notWithAnswer && !takeFolder(*q.folder))
        return NO_ANSWER;
    if (q.take) {
        if (const char *reason = q.take(value)) {
            logLine("%s=%s cannot be taken: %s; setup stops (-3)", q.key, text, reason);
            return NO_ANSWER;
        }
    }
    return value;
}


// A recording starts a new file; the profile layer keeps this line. It goes
// into a new file beside the answer file, which it then replaces: whatever
// stood under the answer file's name is replaced, never written through.
bool startRecordedFile(const char *path)
{
    static const char header[] = "; Lumoria setup answers, recorded by dialogint\r\n";
    DWORD error = ERROR_SUCCESS;
    if (replaceWithBytes(path, header, sizeof header - 1, &error))
        return true;
    SetLastError(error);
    return false;
}

bool canRead(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

const char *modeName(int32_t mode)
{
    return mode == ANSWERS_RECORD ? "record" : mode == ANSWERS_REPLAY ? "replay" : "off";
}

} // namespace

// ---------------------------------------------------------------------------


int answerQuestion(const Question &q, HWND owner, AskPerson ask)
{
    if (replaying())
        return replayQuestion(q);
    int value = ask(owner);
    const char *name = nameOf(q, value);
    if (!name)
        return value;
    logLine("answer %s=%s (from the person)", q.key, name);
    if (!recording())
        return value;
    note("Setup", q.key, name);
    if (q.folder && value != q.folder->notWithAnswer)
        note("Setup", q.folder->key, q.folder->folder);
    return value;
}

// The person's answer: the category list and, for each Details, the detail
// page of currentCategory, until the category list ends with anything but
// Details; returns that end.
static int showOptionsDialog(HWND owner)
{
    return (int)runDialog(DLG_OPTIONS, owner, optionsDlgProc);
}

static void showDetailPage(HWND owner, int category)
{
    beginDetailPage(category);
    setupState->optionsPage = category;
    showOptionsDialog(owner);
    endDetailPage(category);
}

static int runOptionsDialogs(HWND owner, int group)
{
    SetupState &s = *setupState;
    for (;;) {
        s.optionsPage = group;
        int end = showOptionsDialog(owner);
        if (end != OPTIONS_DETAILS)
            return end;
        if (hasDetailPage(s.currentCategory))
            showDetailPage(owner, s.currentCategory);
        group = CATEGORIES;
    }
}

int answerComponents(HWND owner)
{
    if (replaying())
        return replayComponents();
    int end = runOptionsDialogs(owner, CATEGORIES);
    if (end == OPTIONS_ACCEPTED) {
        logLine("components chosen by the person in the options dialogs");
        componentsNoted = recording();
    } else if (setupState->maintenanceMode) {
        // A modification whose options dialog was cancelled keeps the
        // installation as it is.
        logLine("answer Kind=cancel (from the person: the modification was cancelled)");
        if (recording())
            note("Setup", "Kind", "cancel");
    }
    return end;
}

int answerSharedFile(const char *valueName, const WCHAR *message, const WCHAR *caption)
{
    const char *name = valueName && valueName[0] ? valueName : "";
    if (!replaying()) {
        int remove = showBoxW(nullptr, message, caption, MB_YESNO) == IDYES ? 1 : 0;
        logLine("answer SharedFiles/%s=%s (from the person)", name, remove ? "remove" : "keep");
        if (recording() && name[0])
            note("SharedFiles", name, remove ? "remove" : "keep");
        return remove;
    }
    char text[ANSWER_BYTES] = "";
    if (name[0])
        readIniText(answersFile(), "SharedFiles", name, "", text, sizeof text);
    // A file written by hand may name the file alone; the value name holds
    // the installation's folder, which differs from machine to machine.
    const char *slash = lastSeparator(name);
    const char *fileName = slash ? slash + 1 : name;
    if (!text[0] && fileName != name && fileName[0])
        readIniText(answersFile(), "SharedFiles", fileName, "", text, sizeof text);
    if (equalsNoCase(text, "remove")) {
        logLine("answer SharedFiles/%s=remove (from the answer file)", name);
        return 1;
    }
    if (equalsNoCase(text, "keep"))
        logLine("answer SharedFiles/%s=keep (from the answer file)", name);
    else if (text[0])
        logLine("SharedFiles/%s=%s is no answer (keep|remove): the file is kept", name, text);
    else
        logLine("SharedFiles/%s: not named in the answer file: the file is kept", name);
    return 0;
}



void saveRecordedAnswers()
{
    if (!recording() || (notedCount == 0 && !componentsNoted))
        return;
    beginProfileWork();
    for (int i = 0; i < notedCount; i++)
        writeIniText(answersFile(), noted[i].section, noted[i].key, noted[i].value);
    if (componentsNoted)
        writeComponentAnswers(answersFile());
    if (endProfileWork())
        logLine("answers recorded in %s", answersFile());
    else
        logLine("answers could not be recorded in %s", answersFile());
    notedCount = 0;
    componentsNoted = false;
}

int startAnswers(const char *path, int32_t mode)
{
    notedCount = 0;
    componentsNoted = false;
    if (mode == ANSWERS_OFF) {
        if (replaying() || recording())
            logLine("setupAnswers: answers off");
        setAnswerMode(ANSWERS_OFF, "");
        stopSetupLog();
        return 1;
    }
    setAnswerMode(ANSWERS_OFF, "");
    stopSetupLog();
    char full[PATH_BYTES];
    DWORD length = path && path[0] && strnlen(path, PATH_BYTES) < PATH_BYTES
                       ? GetFullPathNameA(path, sizeof full, full, nullptr)
                       : 0;
    bool usable = length > 0 && length < sizeof full &&
                  (mode == ANSWERS_RECORD ? startRecordedFile(full) : mode == ANSWERS_REPLAY && canRead(full));
    if (!usable) {
        DWORD error = GetLastError();
        logFailure(error, "setupAnswers: %s %s", modeName(mode), path ? path : "(none)");
        return 0;
    }
    setAnswerMode(mode, full);
    startSetupLog();
    logLine("setupAnswers: %s %s: 1", modeName(mode), answersFile());
    return 1;
}
