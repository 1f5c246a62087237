// removal_entries.cpp - the entries the host calls on their own around a
// deinstallation: DeleteShareDLL (the question whether a shared file goes),
// LoadLaunch (the launch module's start) and unLoadDriver (the broadcast
// that lets running parts of the product let go of their files).
#include <string.h>

#include "dialogint.h"
#include "dialogs/dialog_toolkit.h"
#include "luinsres_ids.h"
#include "registry/registry_access.h"
#include "registry/shared_files.h"
#include "entries/entry_frame.h"
#include "state/host_folders.h"
#include "state/module_lifecycle.h"
#include "state/module_path.h"
#include "state/setup_log.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "unattended/answers.h"

// The question's bounds: its format holds at most 199 characters, the
// message made from it 255, the caption 89.
constexpr int SHARED_FORMAT_BYTES = 200;
constexpr int SHARED_MESSAGE_BYTES = 256;
constexpr int CAPTION_BYTES = 90;

extern "C" int WINAPI DeleteShareDLL(const char *insertText, int32_t *answer, const char *valueName,
                                     const char *sourceDir)
{
    if (openEntryFrom(sourceDir) != 1)
        return 0;
    if (answer)
        *answer = 0;

    WCHAR format[SHARED_FORMAT_BYTES] = L"";
    WCHAR message[SHARED_MESSAGE_BYTES] = L"";
    WCHAR caption[CAPTION_BYTES] = L"";
    WCHAR insert[SHARED_MESSAGE_BYTES] = L"";
    loadResourceText(IDS_REMOVE_SHARED, format, SHARED_FORMAT_BYTES);
    // The host's text is in the system's code page.
    widenText(insertText, insert, SHARED_MESSAGE_BYTES);
    formatSharedFileMessage(message, SHARED_MESSAGE_BYTES, format, insert);
    loadResourceText(IDS_CAPTION, caption, CAPTION_BYTES);

    if (answerSharedFile(valueName, message, caption)) {
        // An empty or missing name would address the key's unnamed value,
        // which is no shared file's entry. An entry that stays in the list
        // is no removal: the host keeps the file with it.
        bool removed = !valueName || !valueName[0] || deleteRegValue(SHARED_DLLS_KEY, valueName);
        if (answer)
            *answer = removed ? 1 : 0;
    }
    closeEntry();
    logLine("DeleteShareDLL: %s: answer %d", valueName ? valueName : "(none)", answer ? (int)*answer : -1);
    return 0;
}

extern "C" int WINAPI LoadLaunch(const char *directory)
{
    char path[LAUNCH_PATH_BYTES];
    char folder[PATH_BYTES];
    // A path that does not fit is not loaded at all: a cut path could name
    // another module.
    if (!takeHostFolderArgument(folder, sizeof folder, directory) || !folder[0] ||
        !formLaunchPath(folder, path, sizeof path)) {
        logLine("LoadLaunch: %s: no usable folder: nothing loaded", directory ? directory : "(none)");
        return 0;
    }
    static const char *const outcomes[] = {"could not be loaded", "has no entry 200", "started"};
    LaunchStart start = startLaunchModule(path);
    logLine("LoadLaunch: %s %s", path, outcomes[start]);
    return 0;
}

extern "C" int WINAPI unLoadDriver(int32_t ignored)
{
    (void)ignored;
    int passedOver = broadcastUnload();
    if (passedOver >= 0)
        logLine("unLoadDriver: unload broadcast sent, %d program(s) passed over", passedOver);
    return 0;
}
