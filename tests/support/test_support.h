// test_support.h - fixtures shared by every test program: the test binary's
// folder, scratch folders with real files, Wine's registry read back and
// reset, the exported entries of dialogint.dll, and the CTL3D stand-in's log.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "dialogint.h"

// Folder of the running test program, with a trailing backslash. The DLLs
// under test and the stand-ins lie there.
std::string exeDir();
// Where the test programs' files are (the sample media, the stand-ins, the
// resource module): this program's folder, or DIALOGINT_TEST_FILES for a
// copy of the program started elsewhere.
std::string testFilesDir();

// A new empty folder for one test, with a trailing backslash.
std::string makeTempDir(const char *tag);
// Removes a folder and everything in it, read-only files too; with or
// without its trailing backslash.
void removeTree(const std::string &folder);

void writeTextFile(const std::string &path, const std::string &text);
std::string readTextFile(const std::string &path);
bool fileExists(const std::string &path);

// Runs command (the program's path, quoted, first) with its output going to
// outputPath (null: nowhere) and, when currentFolder is given, in that
// folder. Exited: *exitCode is the child's; NotStarted: the Windows error; a
// child still running after limitMs is ended (Hung). A machine under load
// may refuse a process now and then: it is tried a few times.
enum class ChildEnd { Exited, Hung, NotStarted };
ChildEnd runChildProcess(const std::string &command, const char *outputPath, const char *currentFolder,
                         DWORD limitMs, DWORD *exitCode);
bool copyFileTo(const std::string &from, const std::string &to);
// The host's record for a setup from media (a folder with its separator):
// its install.ini, setup.lay and source folder, installDir and the platform
// "Windows NT"; every other field 0.
HostSetupInfo recordOnMedia(const std::string &media, const std::string &installDir);
// A key's value in a profile file, read through the profile API; empty when
// missing.
std::string profileValue(const std::string &file, const char *section, const std::string &key);
// A file's size, or -1 when it does not exist.
int64_t fileSize(const std::string &path);
// The short form of a path, or the path itself when it has none.
std::string shortPath(const std::string &path);

// The default setup log's name for today's date and a counter, in the
// temporary folder: %TEMP%\lumoria-setup-<yyyymmdd>-<counter>.log.
std::string defaultLogName(int counter);
// The default logs of today there now, as a host finds them: by that name.
std::vector<std::string> defaultLogsOfToday();

// Copies luinsres.dll from the build into dir (which ends with a separator).
void installResourceModule(const std::string &dir);

// Whether a view of the file at path is mapped into this process, whatever
// mapped it: a module loaded to run, or one mapped as a data file or an image
// resource, which no list of loaded modules names.
bool fileMappedHere(const std::string &path);

// Removes the product's keys and the values the library touches elsewhere.
void resetRegistry();
void setRegText(HKEY root, const char *key, const char *name, const char *value);
// False when the key or value is missing; otherwise type and raw data.
bool readRegValue(HKEY root, const char *key, const char *name, DWORD *type, std::string *data);
bool regKeyExists(HKEY root, const char *key);
// The names of an open key's subkeys, in the registry's order.
std::vector<std::string> registrySubKeys(HKEY key);
// Each value of an open key, in the key's order: name, type and raw data
// (a string's terminator included).
struct RegistryValue {
    std::string name;
    DWORD type;
    std::string data;
};
std::vector<RegistryValue> registryValues(HKEY key);
// Every value of a key and of its subkeys as text, "[path]" before each
// key's values and one "name=type:data" line a value; empty when the key is
// missing. Two trees compare equal exactly when their texts do.
std::string registryTreeText(HKEY root, const std::string &path);

// The library's own state, for tests of the static core.
void resetCoreState();

// The exported entries of dialogint.dll, looked up by name as the host does:
// EXPORTED(setupInstall)(owner, server, source). Null when not exported.
HMODULE dialogintModule();
void *exportedEntry(const char *name);
#define EXPORTED(name) ((decltype(&name))exportedEntry(#name))

// Kernel handles open in this process, counted by asking each possible handle
// value (the platform's own count is not available under Wine).
int countOpenHandles();
// Bytes of the process heap's busy blocks.
size_t busyHeapBytes();

// A path's folder through its last separator (empty when it has none), the
// name after it, and a folder with a trailing separator: separators found by
// character in the system code page, never byte by byte.
std::string folderPart(const std::string &path);
std::string namePart(const std::string &path);
std::string withSeparator(const std::string &folder);

// The system folder, with its trailing separator.
std::string systemDir();

// The accessible object of a window's client area as a screen reader gets
// it (AccessibleObjectFromWindow of the system's accessibility library);
// null when there is none. The caller releases it.
struct IAccessible;
IAccessible *accessibleObjectOf(HWND window);
// The name and description of each child of that object, as it hands them
// over in UTF-16.
struct AccessibleText {
    std::wstring name, description;
};
std::vector<AccessibleText> accessibleChildTexts(HWND window);

// CTL3D stand-in, in the prefix's system folder: calls recorded as
// "<ordinal>" in order.
std::string ctl3dLogPath();
void clearCtl3dLog();
std::vector<int> ctl3dCalls();
