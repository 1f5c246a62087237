// dialog_screenshots.cpp - shows each installer dialog on the display, one
// after the other, on the test media of the dialog tests, and has
// scripts/screenshots.sh photograph it. For each picture the program writes
// "<name>.ready" into the handshake folder (its first argument) with the
// window's rectangle "left top width height", and waits, still serving the
// dialog's messages, until the script has written "<name>.done". A second
// argument names the language (en, fr, de, es) whose resource module
// media\lang\<code>\luinsres.dll the dialogs then come from.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "autopilot/autopilot.h"
#include "catalogue/selection.h"
#include "dialogs/dialog_driver.h"
#include "luinsres_ids.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

std::string handshake;
int failures;

// The folder the main dialog shows on a system of another script.
struct SystemFolder {
    UINT codePage;
    const wchar_t *folder;
};
const SystemFolder kSystemFolders[] = {
    {932, L"C:\\\u30eb\u30e2\u30ea\u30a2"},
    {1251, L"C:\\\u041b\u044e\u043c\u043e\u0440\u0438\u044f"},
};

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DialogAction askForPicture(const std::string &name)
{
    return inspect([name](HWND window) {
        RECT r;
        GetWindowRect(window, &r);
        std::string ready = handshake + name + ".ready";
        FILE *f = fopen(ready.c_str(), "w");
        if (!f) {
            failures++;
            return;
        }
        fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        fclose(f);
    });
}

DialogStep pictureTaken(const std::string &name)
{
    std::string done = handshake + name + ".done";
    return waitUntil([done](HWND) { return exists(done); }, 30000);
}

std::vector<DialogStep> photograph(const std::string &name, std::vector<DialogStep> before, DialogAction after)
{
    std::vector<DialogStep> steps = std::move(before);
    steps.push_back(pauseFor(400));  // the dialog paints, the display catches up
    steps.push_back(askForPicture(name));
    steps.push_back(pictureTaken(name));
    steps.push_back(after);
    return steps;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: dialog_screenshots <handshake folder> [en|fr|de|es]\n");
        return 2;
    }
    handshake = withSeparator(argv[1]);

    resetCoreState();
    std::string media = makeTempDir("screenshots");
    writeDialogMedia(media);
    if (argc > 2 && !copyFileTo(exeDir() + "media\\lang\\" + argv[2] + "\\luinsres.dll", media + "luinsres.dll")) {
        fprintf(stderr, "dialog_screenshots: no resource module for the language %s\n", argv[2]);
        return 1;
    }
    if (!openDialogSetup(media)) {
        fprintf(stderr, "dialog_screenshots: the resource module does not load\n");
        return 1;
    }
    // What a user would see: the usual folder on a drive with room to spare,
    // named in the system's own letters, as the host hands it over in the
    // system's code page.
    const wchar_t *folder = L"C:\\Lumoria";
    for (const SystemFolder &f : kSystemFolders)
        if (f.codePage == GetACP())
            folder = f.folder;
    WideCharToMultiByte(CP_ACP, 0, folder, -1, setupState->installDir, sizeof setupState->installDir, nullptr,
                        nullptr);
    useFakeDisk(1234567890LL);
    autopilotStart();

    // The main dialog.
    autopilotQueue(sequence(photograph("main-dialog", {}, closeWindow())));
    runMainDialog();

    // The category list with the spreadsheet filters highlighted.
    computeSelection(SELECT_DEFAULTS);
    setupState->currentCategory = GROUP_SPREADSHEET;
    autopilotQueue(sequence(photograph("category-list", {}, closeWindow())));
    runOptionsPage(CATEGORIES);

    // The viewers, two of which share a file; the third highlighted.
    autopilotQueue(sequence(photograph("detail-viewers", {selectEntry(IDC_OPTIONS_LIST, 2)}, closeWindow())));
    runOptionsPage(GROUP_VWP);

    // The integrations: the first has no module and cannot be installed.
    autopilotQueue(sequence(photograph("detail-integrations", {selectEntry(IDC_OPTIONS_LIST, 1)}, closeWindow())));
    runOptionsPage(GROUP_INTEGRATION);

    // The space warning of the main dialog's standard button.
    useFakeDisk(100000);
    autopilotQueue(sequence({pressButton(IDC_MAIN_STANDARD), closeWindow()}));
    autopilotQueue(sequence(photograph("space-warning", {}, pressButton(IDOK))));
    runMainDialog();

    autopilotStop();
    closeDialogSetup();
    for (const DialogSeen &seen : autopilotLog()) {
        for (const std::string &note : seen.notes)
            fprintf(stderr, "dialog_screenshots: %s: %s\n", seen.caption.c_str(), note.c_str());
        failures += (int)seen.notes.size() + seen.unexpected;
    }
    return failures ? 1 : 0;
}
