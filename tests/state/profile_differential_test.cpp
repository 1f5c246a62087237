// The whole setup data work run twice on the same media, once with every
// profile call made key by key and once through the section cache: the
// catalogue build of progress mode 2 and the steps of modes 0, 4 and 5, and
// the maintenance, add-on and upgrade variants, on the largest catalogue, the
// sample media and awkward variants of them. install.ini (and the existing
// installation's), the registry trees and the catalogue built in memory must
// come out the same, byte for byte and value by value.
#include <gtest/gtest.h>

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/file_lists.h"
#include "catalogue/selection.h"
#include "registry/product_defaults.h"
#include "registry/registry_readback.h"
#include "state/module_lifecycle.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "steps/bookkeeping.h"
#include "steps/step_sets.h"
#include "support/largest_catalogue.h"
#include "support/test_support.h"

namespace {

enum Work { STANDARD_STEPS, DEFAULTS_THEN_STEPS, MAINTENANCE, ADD_ON, UPGRADE, WORKSTATION };

struct Media {
    std::string ini, layout, installed;   // texts; "\x01" stands for no file
};

const char NO_FILE[] = "\x01";

struct Outcome {
    std::string ini, installed, layout, catalogue;
    std::map<std::string, SeenValue> registry;
};

// ---------------------------------------------------------------------------
// Media

Media largestMedia()
{
    std::string dir = makeTempDir("largest");
    writeLargestCatalogue(dir);
    Media m;
    m.ini = readTextFile(dir + "install.ini");
    m.layout = readTextFile(dir + "setup.lay");
    // The earlier installation listed every fourth entry less.
    std::string installed;
    size_t pos = 0;
    while (pos < m.ini.size()) {
        size_t end = m.ini.find('\n', pos);
        end = end == std::string::npos ? m.ini.size() : end + 1;
        std::string line = m.ini.substr(pos, end - pos);
        int n = 0;
        bool drop = sscanf(line.c_str(), "Info%d=", &n) == 1 && line.find("Default") == std::string::npos &&
                    n % 4 == 0;
        if (!drop)
            installed += line;
        pos = end;
    }
    m.installed = installed + "[General]\r\nSPACEUSED=123456\r\n";
    return m;
}

Media sampleMedia()
{
    std::string media = exeDir() + "media\\";
    return {readTextFile(media + "install.ini"), readTextFile(media + "setup.lay"),
            readTextFile(media + "installed.ini")};
}

// The range of a section's lines after its header, header included.
bool sectionRange(const std::string &text, const std::string &header, size_t *begin, size_t *end)
{
    *begin = text.find(header);
    if (*begin == std::string::npos)
        return false;
    *end = text.find("\n[", *begin + 1);
    *end = *end == std::string::npos ? text.size() : *end + 1;
    return true;
}

void insertAfterHeader(std::string &text, const std::string &header, const std::string &lines)
{
    size_t at = text.find(header);
    if (at != std::string::npos)
        text.insert(text.find('\n', at) + 1, lines);
}

void replaceInSection(std::string &text, const std::string &header, const std::string &from, const std::string &to)
{
    size_t begin, end;
    if (!sectionRange(text, header, &begin, &end))
        return;
    size_t at = text.find(from, begin);
    if (at != std::string::npos && at < end)
        text.replace(at, from.size(), to);
}

void removeSection(std::string &text, const std::string &header)
{
    size_t begin, end;
    if (sectionRange(text, header, &begin, &end))
        text.erase(begin, end - begin);
}

std::string replaceAll(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The largest media as a hand-edited file would have it: comments, blanks,
// duplicates, quotes, lines without '=', sections twice or missing, long
// values, and the copy sections of an earlier run.
Media awkwardMedia()
{
    Media m = largestMedia();
    std::string &ini = m.ini;
    insertAfterHeader(ini, "[VWPINFO]", "; viewers of word-processing documents\r\n");
    insertAfterHeader(ini, "[SPICINFO]", "\r\n   \r\n");
    replaceInSection(ini, "[SWPINFO]", "Info3=", "  Info3   =   ");
    replaceInSection(ini, "[SWPINFO]", "Info1Default=S", "Info1Default = S   ");
    replaceInSection(ini, "[TWPINFO]", "Info2Default=", "info2default=S\r\nINFO2DEFAULT=");
    ini += "[TWPINFO]\r\nInfo50=1,EXTRA,x.cnv,ext,77,1,1,doc,0,0,77\r\nInfo3Default=S\r\n";
    replaceInSection(ini, "[INTEGRATIONINFO]", "Info2=1,BELMAIL,b,2", "Info2=\"1,BELMAIL,b,2\"");
    replaceInSection(ini, "[INTEGRATIONINFO]", "Info3=1,CORMAIL,c,3", "Info3='1,CORMAIL,c,3'");
    insertAfterHeader(ini, "[SPREADSHEETINFO]", "a line without equals\r\n");
    replaceInSection(ini, "[INTERUTILINFO]", "Info2=1,", "Info2=1" + std::string(120, ' ') + ",");
    replaceInSection(ini, "[MANUALINFO]", "Info4Default=U", "Info4Default=U\r\n;Info4Default=S");
    removeSection(ini, "[CONVTOOLINFO]");
    ini += "\r\n[INSTALLFILES]\r\n; left by an earlier run\r\nFILE1 = OLD\r\nNUMFILES=1\r\n"
           "[SIZEFILES]\r\nFILE1=5\r\n[PERCENT]\r\nFILE1=100\r\n[INSTALLGROUP]\r\nx=1\r\n"
           "[REMOVEFILES]\r\nFILE1=GONE\r\n[General]\r\nSPACEUSED=1\r\n";

    std::string &layout = m.layout;
    insertAfterHeader(layout, "[LOGICALFILE]", "; logical names\r\n  LUMORIA  =  FILE1  \r\n");
    layout += "[LOGICALFILE]\r\nNOTLISTED=FILE2\r\n[SIZEFILES]\r\nFILE1=999999\r\n";
    removeSection(layout, "[ANYPIC]");
    replaceInSection(layout, "[ANYCNV]", "FILE2=", "FILE2=\"CNVCORE\"\r\nFILE2=");
    m.installed = replaceAll(m.installed, "[VWPINFO]\r\n", "[VWPINFO]\r\n; installed viewers\r\n");
    return m;
}

// ---------------------------------------------------------------------------
// One run

void dumpTree(HKEY root, const std::string &rootName, const std::string &path,
              std::map<std::string, SeenValue> &out)
{
    for (const auto &v : readKeyValues(root, path))
        out[rootName + "\\" + path + " / " + v.first] = v.second;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::string> subKeys = registrySubKeys(key);
    RegCloseKey(key);
    // A key that exists without values still counts.
    out[rootName + "\\" + path] = SeenValue{0, ""};
    for (const std::string &k : subKeys)
        dumpTree(root, rootName, path + "\\" + k, out);
}

std::string catalogueDigest()
{
    SetupState &s = *setupState;
    std::string d = "size " + std::to_string(s.selectedSize) + " files " + std::to_string(s.sharedFileCount) +
                    " previous " + std::to_string(previousSpaceUsed) + "\n";
    for (int g = 0; g < GROUP_COUNT; g++) {
        const ComponentGroup &group = s.groups[g];
        d += "group " + std::to_string(g) + " items " + std::to_string(group.itemCount) + " files " +
             std::to_string(group.fileCount) + "\n";
        for (int i = 0; i < group.itemCount && i < MAX_GROUP_ITEMS; i++) {
            const ComponentItem &item = group.items[i];
            d += std::string(item.key) + " " + std::to_string(item.number) + " " + std::to_string(item.flags) + " " +
                 std::to_string(item.installedMark) + " " + std::to_string(item.previousNumber) + " " +
                 std::string(item.formatCode, strnlen(item.formatCode, sizeof item.formatCode)) + " [";
            for (int b = 0; item.fileList && b < FILE_LIST_BYTES && item.fileList[b] != FILE_LIST_END; b++)
                d += std::to_string(item.fileList[b]) + ",";
            d += "]\n";
        }
    }
    for (int e = 1; e <= liveSharedFileCount(); e++) {
        const SharedFileEntry &entry = s.sharedFileTable[e];
        d += std::to_string(e) + ":" + std::to_string(entry.size) + "," + std::to_string(entry.refCount) + "," +
             std::string(entry.logicalName, strnlen(entry.logicalName, sizeof entry.logicalName)) + "," +
             std::to_string(entry.kind) + "\n";
    }
    for (unsigned char b : s.hostRecord->integrationResults)
        d += std::to_string(b) + " ";
    return d;
}

void writeMediaFile(const std::string &path, const std::string &text)
{
    DeleteFileA(path.c_str());
    if (text != NO_FILE)
        writeTextFile(path, text);
}

std::string fileText(const std::string &path)
{
    return fileExists(path) ? readTextFile(path) : "<no file>";
}

// Both ways run in the same folder, so that the paths they record agree.
Outcome runWork(const std::string &dir, const Media &m, Work work, bool cached)
{
    installResourceModule(dir);
    for (const char *module : {"apnint.dll", "bpnint.dll", "cpnint.dll"})
        copyFileTo(exeDir() + module, dir + module);
    std::string ini = dir + "install.ini", layout = dir + "setup.lay", installed = dir + "installed.ini";
    writeMediaFile(ini, m.ini);
    writeMediaFile(layout, m.layout);
    writeMediaFile(installed, m.installed);
    resetRegistry();
    removeShellExtensionKeys();

    resetCoreState();
    SetupState &s = *setupState;
    HostSetupInfo host;
    memset(&host, 0, sizeof host);
    copyText(s.sourceDir, sizeof s.sourceDir, dir.c_str());
    copyText(s.setupIniPath, sizeof s.setupIniPath, ini.c_str());
    copyText(s.layoutFilePath, sizeof s.layoutFilePath, layout.c_str());
    copyText(s.installDir, sizeof s.installDir, (dir + "target").c_str());
    copyText(s.serverDir, sizeof s.serverDir, "C:\\server\\lumoria\\");
    copyText(s.platformName, sizeof s.platformName, "Windows NT");
    s.hostRecord = &host;
    s.optionsPage = -1;
    s.languageFlags = 7;
    if (work == ADD_ON || work == UPGRADE) {
        copyText(s.installedIniPath, sizeof s.installedIniPath, installed.c_str());
        // The earlier installation's layout is this one, named otherwise.
        std::string other = layout;
        for (char &c : other)
            c = (char)toupper((unsigned char)c);
        copyText(s.installedLayoutFilePath, sizeof s.installedLayoutFilePath, other.c_str());
    }
    s.addOnMode = work == ADD_ON;
    s.upgradeMode = work == UPGRADE;
    loadResourceModule();
    profileCacheEnabled = cached;

    prepareSetup(nullptr);
    computeSelection(SELECT_EVERYTHING_PROBED);
    if (work == DEFAULTS_THEN_STEPS || work == UPGRADE)
        computeSelection(SELECT_DEFAULTS);
    if (work == MAINTENANCE) {
        // Files installed before, some of them no longer wanted.
        s.maintenanceMode = 1;
        for (int e = 1; e <= liveSharedFileCount(); e++) {
            s.sharedFileTable[e].savedRefCount = e % 3 == 0;
            if (e % 5 == 0)
                s.sharedFileTable[e].refCount = 0;
        }
    }
    s.customSelectionMade = 1;
    spaceUsed = s.selectedSize;
    switch (work) {
    case ADD_ON:
        writeFileLists();
        recordSharedDefaults();
        writeProductDefaults();
        break;
    case WORKSTATION:
        writeProductDefaults();
        recordWorkstation();
        break;
    default:
        writeFileLists();
        recordDefaults();
        writeProductDefaults();
        break;
    }
    profileCacheEnabled = true;

    Outcome o;
    o.catalogue = catalogueDigest();
    releaseCatalogue();
    freeResourceModule();
    o.ini = fileText(ini);
    o.installed = fileText(installed);
    o.layout = fileText(layout);
    dumpTree(HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE\\Jor", o.registry);
    dumpTree(HKEY_CURRENT_USER, "HKCU", "SOFTWARE\\Jor", o.registry);
    for (const char *key : {"CLSID\\" MENU_EXTENSION_ID, "*\\shellex\\ContextMenuHandlers\\" MENU_EXTENSION_ID,
                            "CLSID\\" SHEET_EXTENSION_ID, "*\\shellex\\PropertySheetHandlers\\" SHEET_EXTENSION_ID})
        dumpTree(HKEY_CLASSES_ROOT, "HKCR", key, o.registry);
    return o;
}

// First differing line of two texts, for a readable failure.
std::string firstDifference(const std::string &a, const std::string &b)
{
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        at++;
    size_t from = a.rfind('\n', at);
    from = from == std::string::npos ? 0 : from + 1;
    return "at byte " + std::to_string(at) + ": key-by-key \"" + a.substr(from, at - from + 40) + "\", cached \"" +
           b.substr(from, at - from + 40) + "\"";
}

void expectSameOutcome(const Media &m, Work work, const char *name)
{
    std::string dir = makeTempDir("differential");
    Outcome keyByKey = runWork(dir, m, work, false);
    Outcome cached = runWork(dir, m, work, true);
    EXPECT_EQ(keyByKey.ini, cached.ini) << name << ": install.ini " << firstDifference(keyByKey.ini, cached.ini);
    EXPECT_EQ(keyByKey.installed, cached.installed)
        << name << ": installed.ini " << firstDifference(keyByKey.installed, cached.installed);
    EXPECT_EQ(keyByKey.layout, cached.layout) << name << ": the layout file is only read";
    EXPECT_EQ(keyByKey.catalogue, cached.catalogue)
        << name << ": catalogue " << firstDifference(keyByKey.catalogue, cached.catalogue);
    for (const auto &v : keyByKey.registry) {
        auto it = cached.registry.find(v.first);
        if (it == cached.registry.end()) {
            ADD_FAILURE() << name << ": " << v.first << " missing when cached";
            continue;
        }
        EXPECT_EQ(v.second.type, it->second.type) << name << ": " << v.first;
        EXPECT_EQ(v.second.data, it->second.data) << name << ": " << v.first;
    }
    for (const auto &v : cached.registry)
        if (!keyByKey.registry.count(v.first))
            ADD_FAILURE() << name << ": " << v.first << " only when cached";
    EXPECT_GT(keyByKey.registry.size(), 10u) << name << ": the work wrote the registry";
}

class ProfileDifferential : public ::testing::Test {
protected:
    void TearDown() override
    {
        profileCacheEnabled = true;
        resetRegistry();
        removeShellExtensionKeys();
    }
};

TEST_F(ProfileDifferential, LargestCatalogueInEveryStepSet)
{
    Media m = largestMedia();
    expectSameOutcome(m, STANDARD_STEPS, "standard");
    expectSameOutcome(m, DEFAULTS_THEN_STEPS, "defaults");
    expectSameOutcome(m, MAINTENANCE, "maintenance");
    expectSameOutcome(m, ADD_ON, "add-on");
    expectSameOutcome(m, UPGRADE, "upgrade");
}

TEST_F(ProfileDifferential, SampleMedia)
{
    Media m = sampleMedia();
    expectSameOutcome(m, DEFAULTS_THEN_STEPS, "defaults");
    expectSameOutcome(m, ADD_ON, "add-on");
    expectSameOutcome(m, UPGRADE, "upgrade");
    expectSameOutcome(m, WORKSTATION, "workstation");
}

TEST_F(ProfileDifferential, HandEditedFiles)
{
    Media m = awkwardMedia();
    expectSameOutcome(m, DEFAULTS_THEN_STEPS, "awkward");
    expectSameOutcome(m, ADD_ON, "awkward add-on");
    Media lines = m;
    lines.ini = replaceAll(m.ini, "\r\n", "\n");
    lines.layout = replaceAll(m.layout, "\r\n", "\r");
    lines.installed = replaceAll(m.installed, "\r\n", "\n");
    expectSameOutcome(lines, STANDARD_STEPS, "line feeds and carriage returns");
    Media marked = m;
    marked.ini = "\xef\xbb\xbf" + m.ini;
    expectSameOutcome(marked, STANDARD_STEPS, "byte-order mark");
}

TEST_F(ProfileDifferential, MissingAndEmptyFiles)
{
    Media largest = largestMedia();
    expectSameOutcome({"", largest.layout, ""}, STANDARD_STEPS, "empty install.ini");
    expectSameOutcome({NO_FILE, largest.layout, NO_FILE}, ADD_ON, "no install.ini");
    expectSameOutcome({largest.ini, NO_FILE, largest.installed}, STANDARD_STEPS, "no layout file");
    expectSameOutcome({largest.ini, "", NO_FILE}, UPGRADE, "empty layout file");
}

}  // namespace
