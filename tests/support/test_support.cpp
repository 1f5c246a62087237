// test_support.cpp - the shared fixtures of the test programs.
#include "test_support.h"

#include <oleacc.h>
#include <psapi.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "state/module_lifecycle.h"
#include "state/path_text.h"
#include "state/setup_state.h"

std::string exeDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return folderPart(std::string(path, n < MAX_PATH ? n : 0));
}

std::string folderPart(const std::string &path)
{
    const char *last = lastSeparator(path.c_str());
    return last ? path.substr(0, (size_t)(last - path.c_str()) + 1) : std::string();
}

std::string namePart(const std::string &path)
{
    const char *last = lastSeparator(path.c_str());
    return last ? std::string(last + 1) : path;
}

std::string withSeparator(const std::string &folder)
{
    return folder.empty() || endsWithSeparator(folder.c_str()) ? folder : folder + "\\";
}

std::string testFilesDir()
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("DIALOGINT_TEST_FILES", path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path) : exeDir();
}

void removeTree(const std::string &folder)
{
    std::string dir = withSeparator(folder);
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path + "\\");
            else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(dir.substr(0, dir.size() - 1).c_str());
}

std::string makeTempDir(const char *tag)
{
    static int counter;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp) + "dialogint-tests\\";
    CreateDirectoryA(root.c_str(), nullptr);
    char name[64];
    snprintf(name, sizeof name, "%s-%lu-%d\\", tag, GetCurrentProcessId(), ++counter);
    std::string dir = root + name;
    removeTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void writeTextFile(const std::string &path, const std::string &text)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

std::string readTextFile(const std::string &path)
{
    std::string text;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    fclose(f);
    return text;
}

bool fileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool copyFileTo(const std::string &from, const std::string &to)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

HostSetupInfo recordOnMedia(const std::string &media, const std::string &installDir)
{
    HostSetupInfo record;
    memset(&record, 0, sizeof record);
    strcpy(record.setupIniPath, (media + "install.ini").c_str());
    strcpy(record.layoutFilePath, (media + "setup.lay").c_str());
    strcpy(record.sourceDir, media.c_str());
    strcpy(record.installDir, installDir.c_str());
    strcpy(record.platformName, "Windows NT");
    return record;
}

std::string defaultLogName(int counter)
{
    char temp[MAX_PATH], name[64];
    GetTempPathA(sizeof temp, temp);
    SYSTEMTIME today;
    GetLocalTime(&today);
    snprintf(name, sizeof name, "lumoria-setup-%04u%02u%02u-%d.log", today.wYear, today.wMonth, today.wDay, counter);
    return std::string(temp) + name;
}

std::vector<std::string> defaultLogsOfToday()
{
    std::string pattern = defaultLogName(0);
    pattern.replace(pattern.rfind("-0.log"), 6, "-*.log");
    std::string folder = folderPart(pattern);
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do
        found.push_back(folder + entry.cFileName);
    while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

void installResourceModule(const std::string &dir)
{
    copyFileTo(testFilesDir() + "luinsres.dll", dir + "luinsres.dll");
}

bool fileMappedHere(const std::string &path)
{
    // A view names its file by its device path (\Device\HarddiskVolume1\x on
    // Windows, the drive's DOS device under Wine): compared from the first
    // folder on.
    char full[MAX_PATH];
    DWORD n = GetLongPathNameA(path.c_str(), full, sizeof full);
    std::string wanted = n > 0 && n < sizeof full ? full : path;
    if (wanted.size() > 2 && wanted[1] == ':')
        wanted = wanted.substr(2);
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    char *address = (char *)system.lpMinimumApplicationAddress;
    MEMORY_BASIC_INFORMATION region;
    while (address < (char *)system.lpMaximumApplicationAddress &&
           VirtualQuery(address, &region, sizeof region) == sizeof region) {
        char name[1024];
        if ((region.Type == MEM_MAPPED || region.Type == MEM_IMAGE) && region.BaseAddress == region.AllocationBase &&
            GetMappedFileNameA(GetCurrentProcess(), region.BaseAddress, name, sizeof name)) {
            size_t length = strlen(name);
            if (length >= wanted.size() && _stricmp(name + length - wanted.size(), wanted.c_str()) == 0)
                return true;
        }
        address = (char *)region.BaseAddress + region.RegionSize;
    }
    return false;
}

void resetRegistry()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor");
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Jor");
    HKEY run;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "lxldmgr");
        RegCloseKey(run);
    }
}

void setRegText(HKEY root, const char *key, const char *name, const char *value)
{
    HKEY h;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(h, name, 0, REG_SZ, (const BYTE *)value, (DWORD)strlen(value) + 1);
    RegCloseKey(h);
}

bool readRegValue(HKEY root, const char *key, const char *name, DWORD *type, std::string *data)
{
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(h, name, nullptr, type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data->assign(size, '\0');
        status = RegQueryValueExA(h, name, nullptr, type, size ? (BYTE *)&(*data)[0] : nullptr, &size);
        data->resize(size);
    }
    RegCloseKey(h);
    return status == ERROR_SUCCESS;
}

bool regKeyExists(HKEY root, const char *key)
{
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

void resetCoreState()
{
    if (!setupState)
        attachLibrary(GetModuleHandleA(nullptr));
    // The host's settings (answer mode, open logs) stay as the test left them.
    memset(setupState, 0, offsetof(SetupState, settings));
    freeResourceModule();
}

HMODULE dialogintModule()
{
    static HMODULE module = LoadLibraryA((exeDir() + "dialogint.dll").c_str());
    return module;
}

void *exportedEntry(const char *name)
{
    HMODULE module = dialogintModule();
    return module ? (void *)GetProcAddress(module, name) : nullptr;
}

// The system's handle table in one call: asking for each possible handle in
// turn costs a server round trip apiece, over half a second a count, and
// the fault sweep counts twice in each of thousands of runs.
static int handlesInSystemTable()
{
    struct Entry {
        USHORT process;
        USHORT creatorBackTrace;
        UCHAR type;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    typedef LONG(WINAPI * Query)(int, PVOID, ULONG, PULONG);
    static Query query = (Query)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    if (!query)
        return -1;
    const int SYSTEM_HANDLE_INFORMATION = 16;
    const LONG INFO_LENGTH_MISMATCH = (LONG)0xC0000004;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        LONG status = query(SYSTEM_HANDLE_INFORMATION, buffer.data(), (ULONG)buffer.size(), &needed);
        if (status == INFO_LENGTH_MISMATCH && buffer.size() < (1u << 26)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0)
            return -1;
        const Table *table = (const Table *)buffer.data();
        USHORT me = (USHORT)GetCurrentProcessId();
        int count = 0;
        for (ULONG i = 0; i < table->count; i++)
            if (table->entries[i].process == me)
                count++;
        return count;
    }
}

int countOpenHandles()
{
    int count = handlesInSystemTable();
    if (count >= 0)
        return count;
    count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags;
        if (GetHandleInformation((HANDLE)value, &flags))
            count++;
    }
    return count;
}

size_t busyHeapBytes()
{
    size_t total = 0;
    PROCESS_HEAP_ENTRY entry;
    entry.lpData = nullptr;
    HANDLE heap = GetProcessHeap();
    HeapLock(heap);
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            total += entry.cbData;
    HeapUnlock(heap);
    return total;
}

std::string systemDir()
{
    char dir[MAX_PATH];
    UINT n = GetSystemDirectoryA(dir, sizeof dir);
    return std::string(dir, n < sizeof dir ? n : 0) + "\\";
}

IAccessible *accessibleObjectOf(HWND window)
{
    static const GUID accessibleId = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    using FromWindowFn = HRESULT(WINAPI *)(HWND, DWORD, REFIID, void **);
    static HMODULE library = LoadLibraryA((systemDir() + "oleacc.dll").c_str());
    auto fromWindow = library ? reinterpret_cast<FromWindowFn>(reinterpret_cast<void *>(
                                    GetProcAddress(library, "AccessibleObjectFromWindow")))
                              : nullptr;
    void *object = nullptr;
    if (!fromWindow || FAILED(fromWindow(window, (DWORD)OBJID_CLIENT, accessibleId, &object)))
        return nullptr;
    return static_cast<IAccessible *>(object);
}

std::vector<AccessibleText> accessibleChildTexts(HWND window)
{
    std::vector<AccessibleText> texts;
    IAccessible *object = accessibleObjectOf(window);
    if (!object)
        return texts;
    auto taken = [](BSTR text) {
        std::wstring kept = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
        SysFreeString(text);
        return kept;
    };
    LONG count = 0;
    object->get_accChildCount(&count);
    for (LONG id = 1; id <= count; id++) {
        VARIANT child;
        VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = id;
        BSTR name = nullptr, description = nullptr;
        object->get_accName(child, &name);
        object->get_accDescription(child, &description);
        texts.push_back({taken(name), taken(description)});
    }
    object->Release();
    return texts;
}

// The stand-in logs beside itself, in the system folder where it lives.
std::string ctl3dLogPath() { return systemDir() + "CTL3D32.log"; }

void clearCtl3dLog() { DeleteFileA(ctl3dLogPath().c_str()); }

std::vector<int> ctl3dCalls()
{
    std::vector<int> calls;
    std::string text = readTextFile(ctl3dLogPath());
    const char *p = text.c_str();
    while (*p) {
        calls.push_back(atoi(p));
        p = strchr(p, '\n');
        if (!p)
            break;
        p++;
    }
    return calls;
}

int64_t fileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

std::string shortPath(const std::string &path)
{
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? buffer : path;
}

std::vector<std::string> registrySubKeys(HKEY key)
{
    std::vector<std::string> names;
    for (DWORD i = 0;; i++) {
        char name[512];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    return names;
}

std::vector<RegistryValue> registryValues(HKEY key)
{
    std::vector<RegistryValue> values;
    for (DWORD i = 0;; i++) {
        char name[512];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        values.push_back({std::string(name, nameSize), type, std::string((const char *)data, dataSize)});
    }
    return values;
}

std::string registryTreeText(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    std::string out = "[" + path + "]\n";
    for (const RegistryValue &v : registryValues(key))
        out += v.name + "=" + std::to_string(v.type) + ":" + v.data + "\n";
    std::vector<std::string> children = registrySubKeys(key);
    RegCloseKey(key);
    for (const std::string &child : children)
        out += registryTreeText(root, path + "\\" + child);
    return out;
}

std::string profileValue(const std::string &file, const char *section, const std::string &key)
{
    char value[512];
    GetPrivateProfileStringA(section, key.c_str(), "", value, sizeof value, file.c_str());
    return value;
}

ChildEnd runChildProcess(const std::string &command, const char *outputPath, const char *currentFolder,
                         DWORD limitMs, DWORD *exitCode)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = outputPath ? CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr)
                            : CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = out;
    start.hStdError = out;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION child = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 5 && !started; attempt++) {
        if (attempt)
            Sleep(500);
        started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, currentFolder, &start,
                                 &child);
    }
    DWORD error = GetLastError();
    CloseHandle(out);
    if (!started) {
        *exitCode = error;
        return ChildEnd::NotStarted;
    }
    ChildEnd end = ChildEnd::Exited;
    if (WaitForSingleObject(child.hProcess, limitMs) == WAIT_TIMEOUT) {
        TerminateProcess(child.hProcess, 0xFFFF);
        WaitForSingleObject(child.hProcess, INFINITE);
        end = ChildEnd::Hung;
    }
    GetExitCodeProcess(child.hProcess, exitCode);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return end;
}
