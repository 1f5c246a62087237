/* standin_calls.h - what the integration module stand-ins share: every call
 * is appended as one line "<module file>\t<ordinal>[\t<installDir>\t<layout>]"
 * to integration-calls.log in the module's own folder, and the answer of an
 * ordinal comes from the line "<ordinal>=<value>" of "<module file>.answers"
 * beside the module (1 when the file or the line is missing). */
#ifndef STANDIN_CALLS_H
#define STANDIN_CALLS_H

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "../standin_path.h"

static HINSTANCE standinSelf;

/* The module's folder (with its separator) and its file name. */
static int standinLocation(char *folder, size_t folderCap, const char **fileName)
{
    DWORD n = GetModuleFileNameA(standinSelf, folder, (DWORD)folderCap);
    if (n == 0 || n >= folderCap)
        return 0;
    char *slash = standinLastBackslash(folder);
    static char name[MAX_PATH];
    snprintf(name, sizeof name, "%s", slash ? slash + 1 : folder);
    if (slash)
        slash[1] = 0;
    else
        folder[0] = 0;
    *fileName = name;
    return 1;
}

static unsigned int standinCall(int ordinal, const char *installDir, const char *layoutFile)
{
    char folder[MAX_PATH], path[MAX_PATH + 32];
    const char *name;
    if (!standinLocation(folder, sizeof folder, &name))
        return 0;

    snprintf(path, sizeof path, "%sintegration-calls.log", folder);
    FILE *log = fopen(path, "ab");
    if (log) {
        if (installDir || layoutFile)
            fprintf(log, "%s\t%d\t%s\t%s\n", name, ordinal, installDir ? installDir : "(null)",
                    layoutFile ? layoutFile : "(null)");
        else
            fprintf(log, "%s\t%d\n", name, ordinal);
        fclose(log);
    }

    unsigned int answer = 1;
    snprintf(path, sizeof path, "%s%s.answers", folder, name);
    FILE *answers = fopen(path, "r");
    if (answers) {
        char line[64];
        while (fgets(line, sizeof line, answers)) {
            char *equals = strchr(line, '=');
            if (equals && atoi(line) == ordinal) {
                answer = (unsigned int)strtoul(equals + 1, NULL, 0);
                break;
            }
        }
        fclose(answers);
    }
    return answer;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        standinSelf = instance;
    return TRUE;
}

#endif
