// summary.cpp - what the host prints at the end of a run (the answers of the
// entries, the components chosen, the registry keys the library wrote) and
// the registry part of a removal: the product's keys and its shell
// extensions, which no entry of the library removes.
#include "host.h"

#include <string.h>


static const char PRODUCT_KEY[] = "SOFTWARE\\Jor\\Lumoria";
static const char MAKER_KEY[] = "SOFTWARE\\Jor";
static const char RUN_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The shell's handler lists under HKEY_CLASSES_ROOT where the product
// registers its extensions; each names the extension's class.
static const char *const shellHandlerKeys[] = {"*\\shellex\\ContextMenuHandlers", "*\\shellex\\PropertySheetHandlers"};
// Every class of the product is titled so in its CLSID key.
static const char PRODUCT_CLASS_TITLE[] = "Lumoria ";

// The component sections of install.ini in the catalogue's order.
static const char *const infoSections[] = {
    "VIEWENGINEINFO", "VWPINFO",  "SPREADSHEETINFO", "SWPINFO",       "TWPINFO",     "INTEGRATIONINFO",
    "SPICINFO",       "TPICINFO", "MANUALINFO",      "INTERUTILINFO", "CONVTOOLINFO",
};

void printEntryResults()
{
    printLine("Entries called:");
    for (int i = 0; i < hostRun.resultCount; i++) {
        const EntryResult &r = hostRun.results[i];
        printLine("  %-15s %4d  %s", r.entry, r.result, r.meaning);
    }
}

void printComponentsChosen(const char *setupIniPath)
{
    printLine("Components chosen (Info<n>Default = S in install.ini):");
    int total = 0;
    for (const char *section : infoSections) {
        char line[512] = "";
        int chosen = 0;
        for (int k = 1;; k++) {
            char key[24], value[256], mark[8], name[32];
            formatText(key, sizeof key, "Info%d", k);
            GetPrivateProfileStringA(section, key, "", value, sizeof value, setupIniPath);
            if (!value[0])
                break;
            formatText(key, sizeof key, "Info%dDefault", k);
            GetPrivateProfileStringA(section, key, "", mark, sizeof mark, setupIniPath);
            if (mark[0] != 'S' || !fieldAt(value, 2, name, sizeof name))
                continue;
            if (chosen++)
                appendText(line, sizeof line, " ");
            appendText(line, sizeof line, name);
        }
        total += chosen;
        if (chosen)
            printLine("  %-16s %s", section, line);
    }
    printLine("  %d components", total);
}

static void listKey(HKEY parent, const char *path, int *keys)
{
    HKEY key;
    if (RegOpenKeyExA(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0, values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    printLine("  HKLM\\%-44s %4lu values", path, (unsigned long)values);
    (*keys)++;
    for (DWORD i = 0; i < subkeys; i++) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        char child[512];
        if (formatText(child, sizeof child, "%s\\%s", path, name))
            listKey(parent, child, keys);
    }
    RegCloseKey(key);
}

void printRegistryKeys()
{
    int keys = 0;
    printLine("Registry keys under HKLM\\%s:", PRODUCT_KEY);
    listKey(HKEY_LOCAL_MACHINE, PRODUCT_KEY, &keys);
    if (keys == 0)
        printLine("  (none)");
}

static bool deleteTree(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    // Children first; the index stays 0 as each one goes.
    for (;;) {
        char name[256], child[512];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!formatText(child, sizeof child, "%s\\%s", path, name) || !deleteTree(root, child))
            break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(root, path) == ERROR_SUCCESS;
}

static void deleteIfEmpty(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1, values = 1;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    if (subkeys == 0 && values == 0)
        RegDeleteKeyA(root, path);
}

static void removeShellExtensions()
{
    for (const char *handlers : shellHandlerKeys) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, handlers, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        char names[16][64];
        int count = 0;
        for (DWORD i = 0; count < 16; i++) {
            DWORD length = sizeof names[count];
            if (RegEnumKeyExA(key, i, names[count], &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            count++;
        }
        RegCloseKey(key);
        for (int i = 0; i < count; i++) {
            char classKey[128], title[128] = "", handler[256];
            LONG size = sizeof title;
            if (!formatText(classKey, sizeof classKey, "CLSID\\%s", names[i]) ||
                RegQueryValueA(HKEY_CLASSES_ROOT, classKey, title, &size) != ERROR_SUCCESS ||
                strncmp(title, PRODUCT_CLASS_TITLE, strlen(PRODUCT_CLASS_TITLE)) != 0)
                continue;
            if (formatText(handler, sizeof handler, "%s\\%s", handlers, names[i]))
                deleteTree(HKEY_CLASSES_ROOT, handler);
            deleteTree(HKEY_CLASSES_ROOT, classKey);
            printLine("  removed the shell extension %s (%s)", names[i], title);
        }
    }
}

void removeProductRegistry()
{
    if (deleteTree(HKEY_LOCAL_MACHINE, PRODUCT_KEY))
        printLine("  removed HKLM\\%s", PRODUCT_KEY);
    if (deleteTree(HKEY_CURRENT_USER, PRODUCT_KEY))
        printLine("  removed HKCU\\%s", PRODUCT_KEY);
    deleteIfEmpty(HKEY_LOCAL_MACHINE, MAKER_KEY);
    deleteIfEmpty(HKEY_CURRENT_USER, MAKER_KEY);
    removeShellExtensions();
    // The load manager's autostart, if the product set one up.
    HKEY run;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "lxldmgr");
        RegCloseKey(run);
    }
}
