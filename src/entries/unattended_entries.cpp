// unattended_entries.cpp - the entries a host calls before the others to
// run setup without a person, or to have it logged: setupAnswers names the
// answer file and its use, setupLogFile the setup log.
#include "dialogint.h"
#include "state/setup_log.h"
#include "unattended/answers.h"

extern "C" int WINAPI setupAnswers(const char *path, int32_t mode)
{
    return startAnswers(path, mode);
}

extern "C" int WINAPI setupLogFile(const char *path)
{
    return nameSetupLog(path);
}
