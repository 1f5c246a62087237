// answers.cpp - the answer file's mode and path, set by the setupAnswers entry.
#include "answers.h"

#include <windows.h>

#include "dialogint.h"

extern "C" int WINAPI setupAnswers(const char *path, int32_t mode)
{
    (void)path;
    (void)mode;
    return 0;
}
