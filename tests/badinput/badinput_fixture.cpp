// badinput_fixture.cpp - media, snapshots and their comparison for the
// bad-input tests.
#include "badinput_fixture.h"

#include <stdio.h>

#include <algorithm>
#include <sstream>

namespace {

std::string upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 32);
    return text;
}

std::string trimmed(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool isDefaultMark(const std::string &section, const std::string &key)
{
    bool infoSection = section.size() > 4 && section.compare(section.size() - 4, 4, "INFO") == 0;
    bool markKey = key.size() > 11 && key.compare(0, 4, "INFO") == 0 &&
                   key.compare(key.size() - 7, 7, "DEFAULT") == 0;
    return infoSection && markKey;
}

template <typename Map> std::set<std::string> keysOf(const Map &a, const Map &b)
{
    std::set<std::string> keys;
    for (const auto &entry : a)
        keys.insert(entry.first);
    for (const auto &entry : b)
        keys.insert(entry.first);
    return keys;
}

bool contains(const std::vector<std::string> &list, const std::string &name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

void expectSameIni(const char *file, const IniContents &before, const IniContents &after,
                   const AllowedChanges *allowed)
{
    static const std::map<std::string, std::string> none;
    for (const std::string &section : keysOf(before, after)) {
        if (allowed && contains(allowed->sections, section))
            continue;
        auto b = before.find(section), a = after.find(section);
        const auto &was = b == before.end() ? none : b->second;
        const auto &now = a == after.end() ? none : a->second;
        for (const std::string &key : keysOf(was, now)) {
            if (allowed && (contains(allowed->keys, section + "/" + key) ||
                            (allowed->defaultMarks && isDefaultMark(section, key))))
                continue;
            auto w = was.find(key), n = now.find(key);
            std::string wasText = w == was.end() ? "<none>" : w->second;
            std::string nowText = n == now.end() ? "<none>" : n->second;
            EXPECT_EQ(wasText, nowText) << file << " [" << section << "] " << key << " changed";
        }
    }
}

void expectSameRegistry(const char *root, const RegistryContents &before, const RegistryContents &after)
{
    for (const std::string &key : keysOf(before, after)) {
        auto b = before.find(key), a = after.find(key);
        if (b == before.end() || a == after.end()) {
            ADD_FAILURE() << root << "\\" << key << (b == before.end() ? " was created" : " was removed");
            continue;
        }
        for (const std::string &name : keysOf(b->second, a->second)) {
            auto w = b->second.find(name), n = a->second.find(name);
            std::string wasText = w == b->second.end() ? "<none>" : w->second;
            std::string nowText = n == a->second.end() ? "<none>" : n->second;
            EXPECT_EQ(wasText, nowText) << root << "\\" << key << " / \"" << name << "\" changed";
        }
    }
}

} // namespace

IniContents readIniContents(const std::string &path)
{
    IniContents contents;
    std::istringstream lines(readTextFile(path));
    std::string line, section;
    while (std::getline(lines, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            section = upper(line.substr(1, line.find(']') - 1));
            contents[section];
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        contents[section][upper(trimmed(line.substr(0, equals)))] = trimmed(line.substr(equals + 1));
    }
    return contents;
}

RegistryContents readRegistryTree(HKEY root, const std::string &path)
{
    RegistryContents contents;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return contents;
    auto &values = contents[path];
    for (const RegistryValue &v : registryValues(key))
        values[v.name] = std::to_string(v.type) + ":" + v.data;
    std::vector<std::string> children = registrySubKeys(key);
    RegCloseKey(key);
    for (const std::string &child : children) {
        RegistryContents below = readRegistryTree(root, path + "\\" + child);
        contents.insert(below.begin(), below.end());
    }
    return contents;
}

AllowedChanges completedRunChanges()
{
    AllowedChanges allowed;
    allowed.sections = {"INSTALLFILES", "SETUPFILES", "PERCENT", "SAMPLEFILES",
                        "NOTEFILES",    "SIZEFILES",  "REMOVEFILES", "INSTALLGROUP"};
    allowed.keys = {"GENERAL/SPACEUSED"};
    allowed.productRegistry = true;
    return allowed;
}

void expectOnlyAllowedChanges(const Snapshot &before, const Snapshot &after, const AllowedChanges &allowed)
{
    expectSameIni("install.ini", before.setupIni, after.setupIni, &allowed);
    expectSameIni("layout file", before.layout, after.layout, nullptr);
    if (!allowed.installedIni)
        expectSameIni("installed.ini", before.installedIni, after.installedIni, nullptr);
    if (!allowed.productRegistry) {
        expectSameRegistry("HKLM", before.machine, after.machine);
        expectSameRegistry("HKCU", before.user, after.user);
    }
    expectSameRegistry("HKLM", before.sharedDlls, after.sharedDlls);
}

std::string longText(size_t n, char c) { return std::string(n, c); }

bool breakDialogTemplate(const std::string &modulePath, int id)
{
    std::vector<WORD> words;
    auto put32 = [&](DWORD v) {
        words.push_back(LOWORD(v));
        words.push_back(HIWORD(v));
    };
    auto putText = [&](const char *text) {
        for (const char *p = text; *p; p++)
            words.push_back((WORD)(unsigned char)*p);
        words.push_back(0);
    };
    put32(WS_POPUP | WS_CAPTION | DS_MODALFRAME);
    put32(0);
    words.insert(words.end(), {1, 0, 0, 100, 50});  // one control; x, y, cx, cy
    words.insert(words.end(), {0, 0, 0});            // no menu, the dialog class, no title
    if (words.size() % 2)
        words.push_back(0);                          // items start on a DWORD
    put32(WS_CHILD | WS_VISIBLE);
    put32(0);
    words.insert(words.end(), {0, 0, 10, 10, 1});
    putText("NoSuchControlClass");
    words.insert(words.end(), {0, 0});               // no title, no creation data
    HANDLE update = BeginUpdateResourceA(modulePath.c_str(), FALSE);
    if (!update)
        return false;
    bool put = UpdateResourceA(update, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                               words.data(), (DWORD)(words.size() * sizeof(WORD))) != 0;
    return EndUpdateResourceA(update, !put) && put;
}

void BadInputTest::SetUp()
{
    resetRegistry();
    media = makeTempDir("badinput");
    installResourceModule(media);
    writeMedia(BASIC_INSTALL_INI, BASIC_LAYOUT);
    memset(&record, 0, sizeof record);
    strcpy(record.setupIniPath, ini().c_str());
    strcpy(record.layoutFilePath, layout().c_str());
    strcpy(record.installedIniPath, installed().c_str());
    strcpy(record.installedLayoutFilePath, layout().c_str());
    strcpy(record.sourceDir, media.c_str());
    strcpy(record.installDir, (media + "target").c_str());
    strcpy(record.serverDir, "C:\\server\\lumoria\\");
    strcpy(record.platformName, "Windows NT");
    record.languageFlags = LANGUAGE_ENGLISH;
    autopilotStart();
}

void BadInputTest::TearDown()
{
    autopilotStop();
    EXPECT_EQ(0u, autopilotPending()) << "queued actions that no dialog took";
    resetRegistry();
}

void BadInputTest::writeMedia(const char *installIni, const char *layoutText)
{
    DeleteFileA(ini().c_str());
    DeleteFileA(layout().c_str());
    if (installIni)
        writeTextFile(ini(), installIni);
    if (layoutText)
        writeTextFile(layout(), layoutText);
}

void BadInputTest::addModule(const char *builtName, const char *mediaName)
{
    ASSERT_TRUE(copyFileTo(exeDir() + builtName, media + (mediaName ? mediaName : builtName))) << builtName;
}

void BadInputTest::removeResourceModule() { DeleteFileA((media + "luinsres.dll").c_str()); }

std::string BadInputTest::profileText(const std::string &path, const char *section, const char *key)
{
    char value[1024];
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, path.c_str());
    return value;
}

void BadInputTest::setIni(const char *section, const char *key, const char *value)
{
    WritePrivateProfileStringA(section, key, value, ini().c_str());
}

void BadInputTest::setLayout(const char *section, const char *key, const char *value)
{
    WritePrivateProfileStringA(section, key, value, layout().c_str());
}

Snapshot BadInputTest::snapshot() const
{
    Snapshot s;
    s.setupIni = readIniContents(ini());
    s.layout = readIniContents(layout());
    s.installedIni = readIniContents(installed());
    s.machine = readRegistryTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor");
    s.user = readRegistryTree(HKEY_CURRENT_USER, "SOFTWARE\\Jor");
    s.sharedDlls = readRegistryTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
    return s;
}

void BadInputTest::expectProgress() { autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([](HWND) {})); }

void BadInputTest::onMainDialog(DialogAction action)
{
    autopilotQueueForControl(IDC_MAIN_DIRECTORY, std::move(action));
}

void BadInputTest::onOptionsDialog(DialogAction action)
{
    autopilotQueueForControl(IDC_OPTIONS_LIST, std::move(action));
}

int BadInputTest::runDodialog() { return EXPORTED(dodialog)(nullptr, &record); }

int BadInputTest::runStandard()
{
    expectProgress();
    onMainDialog(pressButton(IDC_MAIN_STANDARD));
    expectProgress();
    return runDodialog();
}

std::vector<std::string> BadInputTest::moduleCalls() const
{
    std::vector<std::string> calls;
    std::istringstream lines(readTextFile(media + "integration-calls.log"));
    std::string line;
    while (std::getline(lines, line))
        calls.push_back(line);
    return calls;
}

std::vector<std::string> BadInputTest::boxesSeen() const
{
    std::vector<std::string> boxes;
    for (const DialogSeen &seen : autopilotLog())
        if (seen.messageBox)
            boxes.push_back(seen.caption + "|" + seen.text);
    return boxes;
}
