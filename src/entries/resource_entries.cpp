// resource_entries.cpp - the host's message box and string entries,
// installerDlg and installLoadStr: each loads the resource module of the
// folder it is given for the length of its call only.
#include "dialogint.h"
#include "dialogs/dialog_toolkit.h"
#include "luinsres_ids.h"
#include "state/answer_mode.h"
#include "state/module_lifecycle.h"
#include "state/module_path.h"
#include "state/setup_log.h"
#include "state/setup_state.h"

constexpr int ENTRY_CAPTION_BYTES = 256;
// The host's buffer for installLoadStr holds 200 bytes.
constexpr int HOST_STRING_BYTES = 200;

struct MessageKind {
    int kind;
    UINT style;
};

static constexpr MessageKind messageKinds[] = {
    {INSTALLERDLG_YES_NO, MB_TASKMODAL | MB_YESNO | MB_ICONQUESTION},
    {INSTALLERDLG_YES_NO_DEFAULT_NO, MB_TASKMODAL | MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2},
};
static constexpr UINT STOP_BOX_STYLE = MB_TASKMODAL | MB_ICONHAND;

static UINT styleOfKind(int kind)
{
    for (const MessageKind &k : messageKinds)
        if (k.kind == kind)
            return k.style;
    return STOP_BOX_STYLE;
}

static int installerAnswer(int boxResult)
{
    if (boxResult == IDYES)
        return INSTALLERDLG_YES;
    if (boxResult == IDNO)
        return INSTALLERDLG_NO;
    return boxResult;
}

extern "C" int WINAPI installerDlg(HWND owner, int kind, const char *text, const char *resourceDir)
{
    takeSourceDirArgument(resourceDir);
    UINT style = styleOfKind(kind);
    registerCtl3d();
    // Unlike the other entries, no box reports a missing module here: the
    // host asks for a box, and -1 tells it none could be shown.
    if (!loadResourceModule()) {
        unregisterCtl3d();
        freeResourceModule();
        return INSTALLERDLG_NO_RESOURCES;
    }
    WCHAR caption[ENTRY_CAPTION_BYTES], message[BOX_TEXT_UNITS];
    if (LoadStringW(resourceModule, IDS_CAPTION, caption, ENTRY_CAPTION_BYTES) <= 0)
        caption[0] = 0;
    // The host's text is in the system's code page, the caption the module's.
    widenText(text, message, BOX_TEXT_UNITS);
    int answer = showBoxW(owner, message, caption, style);
    leaveExport();
    return installerAnswer(answer);
}

extern "C" int WINAPI installLoadStr(int stringNumber, char *buffer, const char *resourceDir)
{
    takeSourceDirArgument(resourceDir);
    if (!loadResourceModule()) {
        freeResourceModule();
        return -1;
    }
    int loaded = buffer ? LoadStringA(resourceModule, (UINT)stringNumber, buffer, HOST_STRING_BYTES) : 0;
    if (buffer && loaded <= 0)
        logFailure(GetLastError(), "installLoadStr: string %d", stringNumber);
    freeResourceModule();
    return loaded > 0 ? 1 : 0;
}

