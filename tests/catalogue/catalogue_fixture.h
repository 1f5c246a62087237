// catalogue_fixture.h - the fixture of the catalogue tests: a media folder
// with the resource module, install.ini and a layout file written per test,
// the core's state pointed at them, and every catalogue block allocated and
// freed through a counting seam, so that each test ends by checking that every
// block was freed exactly once.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/file_lists.h"
#include "catalogue/selection.h"
#include "state/module_lifecycle.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "support/test_support.h"

struct BlockCounter {
    std::set<void *> live;
    int allocations = 0;
    int allowed = -1;            // allocations that succeed; -1: all
    int badFrees = 0;            // frees of a block that is not live
};

inline BlockCounter &blocks()
{
    static BlockCounter counter;
    return counter;
}

inline void *countingAllocate(size_t bytes)
{
    BlockCounter &c = blocks();
    if (c.allowed >= 0 && c.allocations >= c.allowed)
        return nullptr;
    c.allocations++;
    void *block = HeapAlloc(GetProcessHeap(), 0, bytes);
    c.live.insert(block);
    return block;
}

inline void countingFree(void *block)
{
    BlockCounter &c = blocks();
    if (c.live.erase(block) == 0) {
        c.badFrees++;
        return;
    }
    HeapFree(GetProcessHeap(), 0, block);
}

// "Info<n>=..." of a component group: key token 2, format token 5, number 11.
inline std::string componentKey(int n, const std::string &key, int number, const std::string &format = "F")
{
    return "Info" + std::to_string(n) + "=1," + key + ",a,b," + format + ",c,d,e,f,g," + std::to_string(number) + "\r\n";
}

// DISKS, SIZEFILES and LOGICALFILE of a layout whose file n has the logical
// name L<n> and the size sizes[n-1].
inline std::string tableLayout(const std::vector<long long> &sizes)
{
    std::string text = "[DISKS]\r\nFILENUM=" + std::to_string(sizes.size()) + "\r\n[SIZEFILES]\r\n";
    for (size_t n = 1; n <= sizes.size(); n++)
        text += "FILE" + std::to_string(n) + "=" + std::to_string(sizes[n - 1]) + "\r\n";
    text += "[LOGICALFILE]\r\n";
    for (size_t n = 1; n <= sizes.size(); n++)
        text += "L" + std::to_string(n) + "=FILE" + std::to_string(n) + "\r\n";
    return text;
}

// A component file section listing the logical names of the given files.
inline std::string fileSection(const std::string &name, const std::vector<int> &files, const char *subDir = nullptr)
{
    std::string text = "[" + name + "]\r\n";
    if (subDir)
        text += std::string("SubDir=") + subDir + "\r\n";
    for (size_t k = 1; k <= files.size(); k++)
        text += "FILE" + std::to_string(k) + "=L" + std::to_string(files[k - 1]) + ",x\r\n";
    return text;
}

using Section = std::vector<std::pair<std::string, std::string>>;

class CatalogueFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        blocks() = BlockCounter();
        keptAllocate = allocateCatalogueBlock;
        keptFree = freeCatalogueBlock;
        allocateCatalogueBlock = countingAllocate;
        freeCatalogueBlock = countingFree;
        dir = makeTempDir("catalogue");
        installResourceModule(dir);
        ini = dir + "install.ini";
        layout = dir + "layout.inf";
        SetupState &s = *setupState;
        copyText(s.sourceDir, sizeof s.sourceDir, dir.c_str());
        copyText(s.setupIniPath, sizeof s.setupIniPath, ini.c_str());
        copyText(s.layoutFilePath, sizeof s.layoutFilePath, layout.c_str());
        copyText(s.installDir, sizeof s.installDir, (dir + "target").c_str());
        s.hostRecord = &host;
        s.optionsPage = -1;
        s.languageFlags = 1;
        ASSERT_EQ(1, loadResourceModule());
    }

    void TearDown() override
    {
        releaseCatalogue();
        EXPECT_EQ(0u, blocks().live.size()) << "catalogue blocks left allocated";
        EXPECT_EQ(0, blocks().badFrees) << "blocks freed twice or never allocated";
        allocateCatalogueBlock = keptAllocate;
        freeCatalogueBlock = keptFree;
        freeResourceModule();
    }

    // The catalogue build in the progress dialog's order.
    void buildCatalogue(const std::string &iniText, const std::string &layoutText)
    {
        writeTextFile(ini, iniText);
        writeTextFile(layout, layoutText);
        SetupState &s = *setupState;
        s.sharedFileTable = (SharedFileEntry *)allocateCatalogueBlock(SHARED_FILE_TABLE_BYTES);
        s.fileTableSnapshot = (SharedFileEntry *)allocateCatalogueBlock(SHARED_FILE_TABLE_BYTES);
        setGroupSectionNames();
        loadCatalogue(-1);
        readFileSizes();
    }

    static ComponentGroup &group(int g) { return setupState->groups[g]; }
    static ComponentItem &item(int g, int i) { return setupState->groups[g].items[i]; }
    static ComponentItem &category(int k) { return setupState->groups[CATEGORIES].items[k]; }
    static SharedFileEntry &entry(int n) { return setupState->sharedFileTable[n]; }

    static std::vector<int> indexes(const unsigned char *list)
    {
        std::vector<int> seen;
        for (int i = 0; list && i < FILE_LIST_BYTES && list[i] != FILE_LIST_END; i++)
            seen.push_back(list[i]);
        return seen;
    }

    static Section readSection(const std::string &path, const char *name)
    {
        static char buffer[32768];
        DWORD n = GetPrivateProfileSectionA(name, buffer, sizeof buffer, path.c_str());
        Section lines;
        for (const char *p = buffer; p < buffer + n && *p; p += strlen(p) + 1) {
            std::string line = p;
            size_t eq = line.find('=');
            lines.emplace_back(line.substr(0, eq), eq == std::string::npos ? "" : line.substr(eq + 1));
        }
        return lines;
    }

    std::string dir, ini, layout;
    HostSetupInfo host{};
    void *(*keptAllocate)(size_t) = nullptr;
    void (*keptFree)(void *) = nullptr;
};
