// installation.cpp - the installation's files and keys: the copy engine and
// its window, install.log, shared files, and the removal. install.ini
// lists the files as FILE<n> of SETUPFILES, INSTALLFILES, SAMPLEFILES or
// NOTEFILES (one running n, with SIZEFILES and PERCENT under it): logical
// names the layout file turns into files on the media (LOGICALFILE ->
// FILE<m> -> FILENAMES). Files it marks shared ("WPCOMMON,SYSTEM") are counted
// in HKLM ...\SharedDLLs (value = the file's path, a DWORD use count); a
// removal counts them down and asks through DeleteShareDLL when none is left.
#include "host.h"

#include <shlwapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// The sections that list files to copy, and the folder below the
// installation folder where each kind goes (SETUP: the setup's own files).
static const struct {
    const char *name, *subfolder;
} listSections[] = {{"SETUPFILES", "SETUP"}, {"INSTALLFILES", ""}, {"SAMPLEFILES", "SAMPLES"}, {"NOTEFILES", "NOTES"}};

static const char INSTALL_LOG[] = "install.log";
static const char *const keptRecords[] = {INSTALL_LOG, "install.ini", "setup.lay"};
static const char SHARED_DLLS_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
static const char WINDOW_CLASS[] = "LumoriaSetupHost";
static const char PRODUCT_KEY[] = "SOFTWARE\\Jor\\Lumoria";
static const char MAKER_KEY[] = "SOFTWARE\\Jor";
static const char RUN_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The product's shell extensions under HKEY_CLASSES_ROOT: each class and the
// shell's handler entry that names it.
#define CONTEXT_MENU_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2e}"
#define PROPERTY_SHEET_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2f}"
static const char *const shellExtensionKeys[] = {
    "CLSID\\" CONTEXT_MENU_ID, "*\\shellex\\ContextMenuHandlers\\" CONTEXT_MENU_ID,
    "CLSID\\" PROPERTY_SHEET_ID, "*\\shellex\\PropertySheetHandlers\\" PROPERTY_SHEET_ID,
};

constexpr int VALUE_BYTES = 256;
constexpr int MAX_SHARED_NAMES = 64;

static HWND progressText;   // the static control inside the host's window
static char sharedNames[MAX_SHARED_NAMES][sizeof CopiedFile::logicalName];
static int sharedNameCount;

// The host's own window: hidden while the library's dialogs run (it owns
// them), shown while the host copies, naming the file and its PERCENT figure.
// The copy ends by itself: the window cannot be closed.
static LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_CLOSE ? 0 : DefWindowProcA(window, message, wParam, lParam);
}

HWND createHostWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA c = {};
    c.lpfnWndProc = hostWindowProc;
    c.hInstance = instance;
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    c.lpszClassName = WINDOW_CLASS;
    RegisterClassA(&c);
    const int width = 440, height = 110;
    HWND window = CreateWindowExA(
        0, WINDOW_CLASS, "Lumoria Setup", WS_OVERLAPPED | WS_CAPTION, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance, nullptr);
    progressText = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 16,
                                   24, width - 40, 20, window, nullptr, instance, nullptr);
    SendMessageA(progressText, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return window;
}

// percent < 0 hides the window again.
static void showCopyProgress(const char *what, int percent)
{
    HWND window = host.window;
    char text[128];
    if (window && percent < 0) {
        ShowWindow(window, SW_HIDE);
    } else if (window) {
        formatText(text, sizeof text, "Copying %s ...  %d%%", what, percent > 100 ? 100 : percent);
        SetWindowTextA(progressText, text);
        if (!IsWindowVisible(window))
            ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The file on the media that a logical name stands for (FILENAMES are
// relative to the layout file's folder), and where it goes.
static bool placesOf(int section, const char *logicalName, char *source, char *target)
{
    const char *layout = host.record.layoutFilePath;
    char fileKey[VALUE_BYTES], relative[VALUE_BYTES], folder[HOST_PATH];
    GetPrivateProfileStringA("LOGICALFILE", logicalName, "", fileKey, sizeof fileKey, layout);
    GetPrivateProfileStringA("FILENAMES", fileKey, "", relative, sizeof relative, layout);
    if (!fileKey[0] || !relative[0]) {
        printLine("setuphost: the layout file has no file on the media for %s", logicalName);
        return false;
    }
    copyText(folder, sizeof folder, layout);
    const char *slash = lastBackslash(folder);
    folder[slash ? slash - folder + 1 : 0] = 0;
    if (!joinPath(source, HOST_PATH, folder, relative) ||
        !joinPath(folder, sizeof folder, host.installDir, listSections[section].subfolder))
        return false;
    if (!makeDirectories(folder)) {
        printLine("setuphost: cannot create the folder %s", folder);
        return false;
    }
    slash = lastBackslash(source);
    return joinPath(target, HOST_PATH, folder, slash ? slash + 1 : source);
}

// Copies file n of the lists; false when it is listed but could not be copied.
static bool copyListedFile(int n, int count)
{
    const char *ini = host.record.setupIniPath;
    char key[16], name[VALUE_BYTES] = "", text[32], source[HOST_PATH], target[HOST_PATH];
    formatText(key, sizeof key, "FILE%d", n);
    int section = -1;
    while (!name[0] && ++section < 4)
        GetPrivateProfileStringA(listSections[section].name, key, "", name, sizeof name, ini);
    // A dropped setup section leaves its numbers counted, with nothing under them.
    if (!name[0])
        return true;
    GetPrivateProfileStringA("PERCENT", key, "", text, sizeof text, ini);
    int percent = text[0] ? atoi(text) : n * 100 / count;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!placesOf(section, name, source, target))
        return false;
    const char *slash = lastBackslash(target);
    showCopyProgress(slash ? slash + 1 : target, percent < 0 ? 0 : percent);   // the file's own name
    if (!CopyFileA(source, target, FALSE) || !GetFileAttributesExA(target, GetFileExInfoStandard, &data)) {
        printLine("setuphost: cannot copy %s to %s (error %lu)", source, target, GetLastError());
        return false;
    }
    SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    int64_t size = ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    GetPrivateProfileStringA("SIZEFILES", key, "", text, sizeof text, ini);
    if (text[0] && strtoll(text, nullptr, 10) != size)
        printLine("setuphost: %s has %lld bytes, the layout file says %s", source, (long long)size, text);
    host.copiedBytes += size;
    host.copiedNow++;
    printLine("  %3d%%  %-12s %-14s %8lld  %s", percent, listSections[section].name, name, (long long)size, target);
    // A file copied again keeps its place (and its SharedDLLs count).
    int at = 0;
    while (at < host.copiedCount && !sameText(host.copied[at].path, target))
        at++;
    if (at == MAX_COPIED_FILES) {
        printLine("setuphost: more than %d files; %s is not kept in %s", MAX_COPIED_FILES, target, INSTALL_LOG);
        return false;
    }
    CopiedFile &c = host.copied[at];
    c.shared = at < host.copiedCount && c.shared;
    host.copiedCount += at == host.copiedCount;
    copyText(c.logicalName, sizeof c.logicalName, name);
    return copyText(c.path, sizeof c.path, target);
}

static void deleteCopied(int at)
{
    const char *path = host.copied[at].path;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND) {
        printLine("  removed %s", path);
        host.removedCount++;
    } else {
        printLine("setuphost: cannot remove %s (error %lu)", path, GetLastError());
        host.copyErrors++;
    }
    host.copied[at] = host.copied[--host.copiedCount];
}

// Logical names in a list carry a language mark ("*2HELP"), those in a
// layout section a star alone ("*WPCOMMON"): both stand for the bare name.
static bool sameName(const char *listed, const char *bare)
{
    return sameText(listed, bare) || (listed[0] == '*' && listed[1] && sameText(listed + 2, bare));
}

// A modified installation: REMOVEFILES names the files no longer wanted.
static void removeUnwantedFiles()
{
    const char *ini = host.record.setupIniPath;
    int count = (int)GetPrivateProfileIntA("REMOVEFILES", "NUMFILES", 0, ini);
    for (int r = 1; r <= count; r++) {
        char key[16], name[VALUE_BYTES];
        formatText(key, sizeof key, "FILE%d", r);
        GetPrivateProfileStringA("REMOVEFILES", key, "", name, sizeof name, ini);
        for (int i = host.copiedCount - 1; i >= 0 && name[0]; i--)
            if (sameName(host.copied[i].logicalName, name) && !host.copied[i].shared)
                deleteCopied(i);
    }
}

static bool isSharedName(const char *listed)
{
    for (int i = 0; i < sharedNameCount; i++)
        if (sameName(listed, sharedNames[i]))
            return true;
    return false;
}

// The use count of a path; 0 when it is not in the list.
static DWORD readUseCount(const char *path, bool *listed)
{
    DWORD count = 0, size = sizeof count, type = 0;
    *listed = SHGetValueA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, path, &type, &count, &size) == ERROR_SUCCESS;
    return !*listed ? 0 : type == REG_DWORD && size == sizeof count ? count : 1;
}

static void writeUseCount(const char *path, DWORD count)
{
    if (SHSetValueA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, path, REG_DWORD, &count, sizeof count) != ERROR_SUCCESS)
        printLine("setuphost: cannot write HKLM\\%s", SHARED_DLLS_KEY);
}

// A layout file's FILE<k> = "<name>,SYSTEM", in any section, marks a shared
// file; each one this run copied is counted once.
static void registerSharedFiles(int firstNew)
{
    static char sections[32768];
    const char *layout = host.record.layoutFilePath;
    DWORD n = GetPrivateProfileSectionNamesA(sections, sizeof sections, layout);
    for (DWORD at = 0; at < n && sections[at]; at += (DWORD)strlen(sections + at) + 1) {
        char key[16], value[VALUE_BYTES], name[sizeof sharedNames[0]], mark[16];
        for (int k = 1; formatText(key, sizeof key, "FILE%d", k) &&
                        GetPrivateProfileStringA(sections + at, key, "", value, sizeof value, layout);
             k++) {
            // The name, then the mark after commas and blanks.
            if (sscanf(value, " %23[^,]%*[, \t]%15[^, \t]", name, mark) != 2 || !sameText(mark, "SYSTEM"))
                continue;
            const char *bare = name + (name[0] == '*');
            if (!isSharedName(bare) && sharedNameCount < MAX_SHARED_NAMES)
                copyText(sharedNames[sharedNameCount++], sizeof name, bare);
        }
    }
    for (int i = firstNew; i < host.copiedCount; i++) {
        CopiedFile &c = host.copied[i];
        bool listed;
        if (c.shared || !isSharedName(c.logicalName))
            continue;
        DWORD count = readUseCount(c.path, &listed) + 1;
        writeUseCount(c.path, count);
        c.shared = 1;
        printLine("  shared file %s: use count %lu", c.path, (unsigned long)count);
    }
}

void releaseSharedFiles()
{
    for (int i = host.copiedCount - 1; i >= 0; i--) {
        CopiedFile &c = host.copied[i];
        if (!c.shared)
            continue;
        bool listed;
        DWORD count = readUseCount(c.path, &listed);
        if (count > 1) {
            writeUseCount(c.path, count - 1);
            printLine("  shared file %s is still used by %lu other program(s): kept", c.path, (unsigned long)count - 1);
            host.keptSharedCount++;
            continue;
        }
        // No program uses it any more: a zero count until the user decides;
        // yes removes the entry (the library does) and the file.
        if (listed)
            writeUseCount(c.path, 0);
        const char *slash = lastBackslash(c.path), *name = slash ? slash + 1 : c.path;
        int32_t answer = -1;
        int result = host.entries.DeleteShareDLL(name, &answer, c.path, host.workDir);
        const char *meaning = answer == 1 ? "remove" : answer == 0 ? "keep" : "not asked";
        printLine("%-15s %4d  %s: %s", "DeleteShareDLL", result, name, meaning);
        c.shared = answer != 1;   // else an ordinary file now, removed with the others
        host.keptSharedCount += c.shared;
    }
}

bool readInstallLog()
{
    char path[HOST_PATH], line[HOST_PATH + 64], name[16];
    host.copiedCount = 0;
    FILE *log = joinPath(path, sizeof path, host.installDir, INSTALL_LOG) ? fopen(path, "r") : nullptr;
    if (!log)
        return false;
    while (fgets(line, sizeof line, log) && host.copiedCount < MAX_COPIED_FILES) {
        CopiedFile &c = host.copied[host.copiedCount];
        if (sscanf(line, "LANGUAGE\t%15[^\r\n]", name) == 1 && !host.record.languageFlags)
            host.record.languageFlags = languageByName(name);
        if (sscanf(line, "%d\t%23[^\t\r\n]\t%259[^\r\n]", &c.shared, c.logicalName, c.path) == 3)
            host.copiedCount++;
    }
    fclose(log);
    return true;
}

// Copies the files install.ini lists into the installation folder, adding to
// what install.log holds (a reinstallation or modification), and keeps the
// records: install.log, and install.ini with the selection and the space
// used, from which a later setup starts, with its layout file.
void installFiles()
{
    const char *ini = host.record.setupIniPath, *from[] = {ini, host.record.layoutFilePath};
    char path[HOST_PATH];
    readInstallLog();
    int count = (int)GetPrivateProfileIntA("INSTALLFILES", "NUMFILES", 0, ini), firstNew = host.copiedCount;
    printLine("Copying %d files into %s", count, host.installDir);
    for (int n = 1; n <= count; n++)
        host.copyErrors += !copyListedFile(n, count);
    showCopyProgress(nullptr, -1);
    if (host.record.maintenanceMode)
        removeUnwantedFiles();
    registerSharedFiles(firstNew);
    for (int i = 0; i < 2; i++)
        if (joinPath(path, sizeof path, host.installDir, keptRecords[i + 1]) && !sameText(path, from[i]))
            CopyFileA(from[i], path, FALSE);
    FILE *log = joinPath(path, sizeof path, host.installDir, INSTALL_LOG) ? fopen(path, "w") : nullptr;
    if (!log) {
        printLine("setuphost: cannot write %s", path);
        return;
    }
    fprintf(log, "; the files setuphost copied: 1 when counted in SharedDLLs, logical name, path\n");
    // The language of the installation, so that its removal speaks it too.
    if (host.record.languageFlags)
        fprintf(log, "LANGUAGE\t%s\n", languageName(host.record.languageFlags));
    for (int i = 0; i < host.copiedCount; i++)
        fprintf(log, "%d\t%s\t%s\n", host.copied[i].shared, host.copied[i].logicalName, host.copied[i].path);
    fclose(log);
}

// The files of install.log but the shared ones releaseSharedFiles kept, the
// folders, and the product's registry keys and shell extensions (no entry of
// the library removes those).
void removeInstallation()
{
    char path[HOST_PATH];
    for (int i = host.copiedCount - 1; i >= 0; i--)
        if (!host.copied[i].shared)
            deleteCopied(i);
    for (const char *name : keptRecords)
        if (joinPath(path, sizeof path, host.installDir, name) && DeleteFileA(path))
            printLine("  removed %s", path);
    for (const auto &s : listSections)
        if (s.subfolder[0] && joinPath(path, sizeof path, host.installDir, s.subfolder) && RemoveDirectoryA(path))
            printLine("  removed folder %s", path);
    if (RemoveDirectoryA(host.installDir))
        printLine("  removed folder %s", host.installDir);
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots) {
        if (SHDeleteKeyA(root, PRODUCT_KEY) == ERROR_SUCCESS)
            printLine("  removed %s\\%s", root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU", PRODUCT_KEY);
        SHDeleteEmptyKeyA(root, MAKER_KEY);   // the maker's key goes with its last product
    }
    for (const char *key : shellExtensionKeys)
        if (SHDeleteKeyA(HKEY_CLASSES_ROOT, key) == ERROR_SUCCESS)
            printLine("  removed HKCR\\%s", key);
    // The load manager's autostart, if the product set one up.
    SHDeleteValueA(HKEY_LOCAL_MACHINE, RUN_KEY, "lxldmgr");
}
