// setuphost.cpp - a small setup host for Lumoria's installer library. It
// loads dialogint.dll from beside itself, calls its entries in the order a
// setup script would, on the media folder named on the command line, and
// prints what each entry answered.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "dialogint.h"

typedef int(WINAPI *SetupInstallEntry)(HWND, const char *, const char *);

static void folderOf(const char *path, char *folder, size_t cap)
{
    snprintf(folder, cap, "%s", path);
    char *slash = strrchr(folder, '\\');
    if (slash)
        slash[1] = 0;
}

int main(int argc, char **argv)
{
    char self[MAX_PATH], here[MAX_PATH], media[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    folderOf(self, here, sizeof here);
    if (argc > 1)
        snprintf(media, sizeof media, "%s", argv[1]);
    else
        snprintf(media, sizeof media, "%smedia\\", here);
    size_t n = strlen(media);
    if (n && media[n - 1] != '\\' && n + 1 < sizeof media)
        strcat(media, "\\");

    char dllPath[MAX_PATH];
    snprintf(dllPath, sizeof dllPath, "%sdialogint.dll", here);
    HMODULE library = LoadLibraryA(dllPath);
    if (!library) {
        printf("setuphost: cannot load %s (error %lu)\n", dllPath, GetLastError());
        return 2;
    }
    SetupInstallEntry setupInstallEntry = (SetupInstallEntry)(void *)GetProcAddress(library, "setupInstall");
    if (!setupInstallEntry) {
        printf("setuphost: dialogint.dll does not export setupInstall\n");
        return 2;
    }

    printf("media:        %s\n", media);
    int result = setupInstallEntry(nullptr, "", media);
    printf("setupInstall: %d (%s)\n", result, result == SETUP_GO_ON ? "go on" : "stop");
    FreeLibrary(library);
    return result == SETUP_GO_ON ? 0 : 1;
}
