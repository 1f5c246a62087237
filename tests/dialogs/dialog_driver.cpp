// dialog_driver.cpp - test media and the catalogue build in front of the
// installer dialogs.
#include "dialog_driver.h"

#include <string.h>

#include "catalogue/catalogue.h"
#include "catalogue/file_lists.h"
#include "catalogue/selection.h"
#include "dialogint.h"
#include "dialogs/component_list.h"
#include "dialogs/main_dialog.h"
#include "dialogs/options_dialog.h"
#include "dialogs/dialog_toolkit.h"
#include "luinsres_ids.h"
#include "registry/previous_install.h"
#include "state/host_record.h"
#include "state/module_lifecycle.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "steps/step_sets.h"
#include "support/test_support.h"

namespace {

// L1 viewer engine; L2..L4 the viewers PLAIN, JWRITE1, QUILL, which the last
// two share L5 with; L6 the spreadsheet filters' shared file, L7 and L8 theirs;
// L9..L11 the integrations; L12, L13 manual and read-me; L14 the conversion
// tool.
const int32_t fileSizes[] = {0,     100000, 20000, 30000, 40000, 5000, 7000, 11000,
                             13000, 3000,   4000,  6000,  50000, 1000, 60000};
constexpr int FILE_COUNT = 14;

const char *const componentSections =
    "[VIEWENGINE32]\r\nFILE1=L1\r\n"
    "[PLAINvV]\r\nFILE1=L2\r\n"
    "[JWRITE1vV]\r\nFILE1=L3\r\nFILE2=L5\r\n"
    "[QUILLvV]\r\nFILE1=L4\r\nFILE2=L5\r\n"
    "[ANYSPREADSHEET]\r\nFILE1=L6\r\n"
    "[SPREADJSHEET]\r\nFILE1=L7\r\n"
    "[SPREADGRIDWISE]\r\nFILE1=L8\r\n"
    "[JORNOTES]\r\nFILE1=L10\r\n"
    "[JORMAIL]\r\nFILE1=L9\r\n"
    "[JORPLAN]\r\nFILE1=L11\r\n"
    "[MANUAL]\r\nFILE1=L12\r\n"
    "[README]\r\nSubDir=S\r\nFILE1=L13\r\n"
    "[CONVTOOL]\r\nFILE1=L14\r\n";

std::string catalogueSections(const DialogMedia &media)
{
    std::string text =
        "[VIEWENGINEINFO]\r\nInfo1=1,VIEWENGINE,jordocve.dll,all,0,1,0,app,0,0,0\r\nInfo1Default=S\r\n"
        "[VWPINFO]\r\n"
        "Info1=1,PLAIN,jordocve.dll,txt,3,1,0,doc,0,0,3\r\n"
        "Info2=1,JWRITE1,vwjorw.flt,jw1,13,1,0,doc,0,0,13\r\n"
        "Info3=1,QUILL,vwquill.flt,qpd,20,1,1,doc,0,0,20\r\n"
        "Info1Default=S\r\nInfo2Default=S\r\nInfo3Default=U\r\n"
        "[SPREADSHEETINFO]\r\n"
        "Info1=1,JSHEET,ssjsheet.flt,jsh,90,1,0,wkb,0,0,1\r\n"
        "Info2=1,GRIDWISE,ssgrid.flt,grw,41,1,0,wkb,0,0,2\r\n"
        "Info1Default=S\r\nInfo2Default=U\r\n"
        // JORNOTES has no module on the media; its default S keeps it marked
        // unavailable through the defaults.
        "[INTEGRATIONINFO]\r\n"
        "Info1=1,JORNOTES,z,2\r\n"
        "Info2=1,JORMAIL,a,1\r\n"
        "Info3=1,JORPLAN,c,3\r\n"
        "Info1Default=S\r\nInfo2Default=S\r\nInfo3Default=U\r\n"
        "[MANUALINFO]\r\n"
        "Info1=1,MANUAL,manual.jw2,jw2,0,0,0,doc,0,0,1\r\n"
        "Info3=1,README,readme.txt,txt,0,0,0,doc,0,0,3\r\n"
        "Info1Default=S\r\nInfo2Default=U\r\nInfo3Default=U\r\n";
    if (media.withConvTool)
        text += "[CONVTOOLINFO]\r\nInfo1=1,CONVTOOL,lucnvt.exe,all,0,1,1,app,0,0,0\r\nInfo1Default=S\r\n";
    return text;
}

std::string layoutText()
{
    std::string text = "[DISKS]\r\nFILENUM=" + std::to_string(FILE_COUNT) + "\r\n[SIZEFILES]\r\n";
    for (int n = 1; n <= FILE_COUNT; n++)
        text += "FILE" + std::to_string(n) + "=" + std::to_string(fileSizes[n]) + "\r\n";
    text += "[LOGICALFILE]\r\n";
    for (int n = 1; n <= FILE_COUNT; n++)
        text += "L" + std::to_string(n) + "=FILE" + std::to_string(n) + "\r\n";
    return text + componentSections;
}

void copyInto(char *field, size_t cap, const std::string &text) { copyText(field, cap, text.c_str()); }

BOOL fakeDiskQuery(const char *root, int64_t *freeBytes)
{
    fakeDiskQueries++;
    lastQueriedRoot = root;
    *freeBytes = fakeFreeBytes;
    return TRUE;
}

BOOL (*const systemDiskQuery)(const char *, int64_t *) = queryDiskFreeSpace;

} // namespace

int64_t fakeFreeBytes;
int fakeDiskQueries;
std::string lastQueriedRoot;

void useFakeDisk(int64_t freeBytes)
{
    fakeFreeBytes = freeBytes;
    fakeDiskQueries = 0;
    queryDiskFreeSpace = fakeDiskQuery;
}

void useRealDisk() { queryDiskFreeSpace = systemDiskQuery; }

int32_t mediaFileSize(int n) { return n >= 1 && n <= FILE_COUNT ? fileSizes[n] : 0; }

void writeDialogMedia(const std::string &dir, const DialogMedia &media)
{
    std::string ini = "[General]\r\n";
    if (media.installType)
        ini += std::string("TYPE=") + media.installType + "\r\n";
    ini += "OPSYSTEM=32BIT\r\n";
    if (media.network)
        ini += std::string("[Config]\r\nNetwork=") + media.network + "\r\n";
    writeTextFile(dir + "install.ini", ini + catalogueSections(media));
    writeTextFile(dir + "layout.inf", layoutText());
    installResourceModule(dir);
    for (const char *module : {"apnint.dll", "cpnint.dll"})
        copyFileTo(exeDir() + module, dir + module);
}

bool openDialogSetup(const std::string &dir)
{
    SetupState &s = *setupState;
    copyInto(s.sourceDir, sizeof s.sourceDir, dir);
    copyInto(s.setupIniPath, sizeof s.setupIniPath, dir + "install.ini");
    copyInto(s.layoutFilePath, sizeof s.layoutFilePath, dir + "layout.inf");
    copyInto(s.installDir, sizeof s.installDir, dir + "target");
    copyInto(s.platformName, sizeof s.platformName, "Windows NT");
    s.languageFlags = 1;
    s.currentCategory = 1;
    s.optionsPage = -1;
    s.fullSelectionSize = s.defaultSelectionSize = 0;
    mainDirLive = spaceUsed = previousSpaceUsed = 0;
    selectedFigureStale = 0;
    componentListDrawing = ComponentListDrawing();
    static HostSetupInfo record;
    record = HostSetupInfo();
    s.hostRecord = &record;
    if (!loadResourceModule())
        return false;

    // The progress dialog's own catalogue build, without its one-second wait.
    UINT keptPeriod = progressTimerPeriodMs;
    progressTimerPeriodMs = 1;
    int built = showProgress(nullptr, WAIT_PREPARE);
    progressTimerPeriodMs = keptPeriod;
    readWorkstationFlags(&workstationInstall);
    return built == 1;
}

void closeDialogSetup()
{
    releaseCatalogue();
    freeResourceModule();
    useRealDisk();
}

int runMainDialog(HWND owner)
{
    int templateId = setupState->upgradeMode ? DLG_MAIN_UPGRADE : DLG_MAIN;
    // As the library shows it: a Unicode dialog, whose texts reach the
    // screen whole whatever the system's code page.
    return (int)runDialog(templateId, owner, MainDialogProc);
}

int runOptionsPage(int group, HWND owner)
{
    setupState->optionsPage = group;
    return (int)runDialog(DLG_OPTIONS, owner, optionsDlgProc);
}
