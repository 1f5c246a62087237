// The shared-file table read from the layout file, component file lists, and
// the copy sections written into install.ini, read back key by key.
#include "catalogue_fixture.h"

#include <algorithm>

#include "state/profile.h"

namespace {

using FileTable = CatalogueFixture;

TEST_F(FileTable, CountAndSizesFromLayout)
{
    struct Case {
        const char *layoutText;
        int32_t count;
        std::vector<int32_t> sizes;
    } cases[] = {
        {"[SIZEFILES]\r\nFILE1=5\r\n", -1, {}},
        {"[DISKS]\r\nFILENUM=3\r\n[SIZEFILES]\r\nFILE1=12\r\nFILE3= 7x\r\n", 3, {12, 0, 7}},
        {"[DISKS]\r\nFILENUM=500\r\n", MAX_SHARED_FILES, {}},
        {"[DISKS]\r\nFILENUM=-20\r\n", -1, {}},
    };
    int n = 0;
    for (const Case &c : cases) {
        releaseCatalogue();
        layout = dir + "layout" + std::to_string(++n) + ".inf";
        copyText(setupState->layoutFilePath, PATH_BYTES, layout.c_str());
        buildCatalogue("", c.layoutText);
        EXPECT_EQ(c.count, setupState->sharedFileCount) << c.layoutText;
        for (size_t i = 0; i < c.sizes.size(); i++) {
            EXPECT_EQ(c.sizes[i], entry((int)i + 1).size) << c.layoutText << " file " << i + 1;
            EXPECT_EQ(0, entry((int)i + 1).refCount);
            EXPECT_EQ(FILEKIND_MAIN, entry((int)i + 1).kind);
        }
    }
}

class FileList : public CatalogueFixture {
protected:
    void SetUp() override
    {
        CatalogueFixture::SetUp();
        std::string full = "[FULL]\r\n";
        for (int k = 1; k <= 120; k++)
            full += "FILE" + std::to_string(k) + "=PLAIN\r\n";
        buildCatalogue("",
                       "[DISKS]\r\nFILENUM=299\r\n[LOGICALFILE]\r\nVIEW=FILE1\r\n*1VIEWER=FILE2\r\n*3VIEWER=FILE3\r\n"
                       "*4VIEWER=FILE4\r\nPLAIN=FILE5\r\nODD=XYZ\r\nBIG=FILE300\r\nZERO=FILE0\r\nHIGH=FILE255\r\nTOP=FILE254\r\n"
                       "LONGNAME1234567=FILE6\r\nLONGNAME12345678=FILE6\r\n"
                       "[NOF]\r\nFILE1=nofile\r\nFILE2=PLAIN\r\n"
                       "[STARNOF]\r\nFILE1=PLAIN\r\nFILE2=*NOFILE\r\nFILE3=VIEW\r\n"
                       "[LANG]\r\nFILE1= *VIEWER,x\r\n"
                       "[ENDS]\r\nFILE1=PLAIN\r\nFILE2=*VIEWER\r\nFILE3=VIEW\r\n"
                       "[STAR]\r\nFILE1=*VIEWER\r\nFILE2=PLAIN\r\n"
                       "[SAMPLE]\r\nSubDir=S\r\nFILE1=PLAIN\r\n"
                       "[NOTES]\r\nSubDir=NOTESINTEG\r\nFILE1=PLAIN\r\n"
                       "[NOTESLOW]\r\nSubDir=notesinteg\r\nFILE1=PLAIN\r\n"
                       "[ODDS]\r\nFILE1=,,,\r\nFILE2=, ,VIEW\r\nFILE3=ODD\r\nFILE4=BIG\r\nFILE5=ZERO\r\nFILE6=HIGH\r\n"
                       "FILE7=LONGNAME12345678\r\nFILE8=LONGNAME1234567\r\nFILE9=TOP\r\nFILE10=,  PLAIN,extra\r\n" +
                           full);
    }
};

TEST_F(FileList, SectionsResolveToTableIndexes)
{
    struct Case {
        const char *section;
        int32_t languages;
        std::vector<int> expected;
        int32_t kindOf5;
    } cases[] = {
        {"NOF", 1, {}, FILEKIND_MAIN},
        {"STARNOF", 1, {5}, FILEKIND_MAIN},
        {"LANG", 5, {2, 3}, FILEKIND_MAIN},
        {"LANG", 8 | 1, {2, 4}, FILEKIND_MAIN},
        {"ENDS", 7, {5, 2, 3}, FILEKIND_MAIN},   // *2VIEWER unknown: FILE3 is not read
        {"STAR", 0, {5}, FILEKIND_MAIN},
        {"SAMPLE", 1, {5}, FILEKIND_SAMPLE},
        {"NOTES", 1, {5}, FILEKIND_NOTES},
        {"NOTESLOW", 1, {5}, FILEKIND_MAIN},
        {"ODDS", 1, {6, 254, 5}, FILEKIND_MAIN},   // 300 is past the table, 255 past a list byte
        {"MISSING", 1, {}, FILEKIND_MAIN},
    };
    for (const Case &c : cases) {
        setupState->languageFlags = c.languages;
        entry(5).kind = -1;
        unsigned char *list = buildFileList(c.section);
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(c.expected, indexes(list)) << c.section << " languages " << c.languages;
        EXPECT_EQ(FILE_LIST_END, list[c.expected.size()]) << c.section;
        if (!c.expected.empty() && c.expected.back() == 5) {
            EXPECT_EQ(c.kindOf5, entry(5).kind) << c.section;
        }
        freeCatalogueBlock(list);
    }
    EXPECT_STREQ("*3VIEWER", entry(3).logicalName);
    EXPECT_STREQ("LONGNAME1234567", entry(6).logicalName) << "a 16-character name is left out";
}

TEST_F(FileList, ListHoldsAtMostNinetyNineIndexes)
{
    unsigned char *list = buildFileList("FULL");
    EXPECT_EQ(std::vector<int>(99, 5), indexes(list));
    EXPECT_EQ(FILE_LIST_END, list[99]);
    freeCatalogueBlock(list);
}

TEST_F(FileList, ListsTheHeapCannotGiveStillListTheirFiles)
{
    // A component without its files would be installed incomplete while
    // setup reports success: a short heap gives lists from the reserve.
    writeTextFile(ini, "[VIEWENGINEINFO]\r\nInfo1=x\r\n[SWPINFO]\r\n" + componentKey(1, "PLAIN", 1) +
                           "[TWPINFO]\r\n" + componentKey(1, "A", 1));
    loadCatalogue(-1);
    unsigned char *fromHeap = buildFileList("LANG");
    ASSERT_NE(nullptr, fromHeap);
    std::vector<int> expected = indexes(fromHeap);
    freeCatalogueBlock(fromHeap);
    ASSERT_FALSE(expected.empty());

    blocks().allowed = blocks().allocations;
    unsigned char *list = buildFileList("LANG");
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(expected, indexes(list));
    replaceFileList(&item(GROUP_SWP, 0).fileList, list);   // released with the catalogue
    computeSelection(SELECT_EVERYTHING_PROBED);
    EXPECT_EQ(ITEM_SELECTED, item(GROUP_SWP, 0).flags);
    EXPECT_NE(nullptr, group(GROUP_TWP).sharedFileList);
}

// ---------------------------------------------------------------------------

class CopySections : public CatalogueFixture {
protected:
    // Table files L1..L3 of 100, 200 and 400 bytes; setup files S1 and S2
    // whose sizes stand outside the table.
    void SetUp() override
    {
        CatalogueFixture::SetUp();
        buildCatalogue("[General]\r\nOPSYSTEM=32BIT\r\n[REMOVEFILES]\r\nFILE9=OLD\r\n[NOTEFILES]\r\nFILE7=OLD\r\n",
                       "[DISKS]\r\nFILENUM=3\r\n[SIZEFILES]\r\nFILE1=100\r\nFILE2=200\r\nFILE3=400\r\nFILE8=50\r\n"
                       "FILE9=25\r\n[LOGICALFILE]\r\nS1=FILE8\r\nS2=FILE9\r\nS3=FILE8\r\n"
                       "[INSTALL32]\r\nFile1=S1,x\r\nFILE2=,,S2\r\n[INSTALL16]\r\nFile1=S3\r\n");
    }
    void pick(int n, int32_t kind, const char *name = nullptr, int32_t saved = 0, int32_t refs = 1)
    {
        entry(n).refCount = refs;
        entry(n).savedRefCount = saved;
        entry(n).kind = kind;
        copyText(entry(n).logicalName, sizeof entry(n).logicalName, name ? name : ("L" + std::to_string(n)).c_str());
    }
    Section read(const char *name) { return readSection(ini, name); }
};

TEST_F(CopySections, SetupFilesThenTableFilesShareOneNumbering)
{
    pick(1, FILEKIND_MAIN);
    pick(2, FILEKIND_SAMPLE);
    pick(3, FILEKIND_MAIN);
    writeFileLists();
    EXPECT_EQ((Section{{"FILE1", "S1"}, {"FILE2", "S2"}}), read("SETUPFILES"));
    EXPECT_EQ((Section{{"FILE3", "L1"}, {"FILE5", "L3"}, {"NUMFILES", "5"}, {"MAXFILES", "5"}, {"SIZEFILES", "775"}}),
              read("INSTALLFILES"));
    EXPECT_EQ((Section{{"FILE4", "L2"}}), read("SAMPLEFILES"));
    EXPECT_EQ((Section{{"FILE1", "50"}, {"FILE2", "25"}, {"FILE3", "100"}, {"FILE4", "200"}, {"FILE5", "400"}}),
              read("SIZEFILES"));
    EXPECT_EQ((Section{{"FILE1", "6"}, {"FILE2", "9"}, {"FILE3", "22"}, {"FILE4", "48"}, {"FILE5", "100"}}),
              read("PERCENT"));
    EXPECT_TRUE(read("NOTEFILES").empty()) << "old sections are emptied";
    EXPECT_TRUE(read("REMOVEFILES").empty());
    EXPECT_TRUE(fileExists(setupState->installDir));
}

TEST_F(CopySections, OnlyExactUpperCase16BitPicksInstall16)
{
    // A setup-file value of commas only names no file.
    const struct {
        const char *system;
        const char *section;   // null: the sections as the fixture wrote them
        Section sizes;
    } cases[] = {
        {"16bit", nullptr, {{"FILE1", "50"}, {"FILE2", "25"}}},
        {"16BIT", nullptr, {{"FILE1", "50"}}},
        {"16BIT", "INSTALL16", {}},
        {"32BIT", "INSTALL32", {}},
    };
    for (const auto &c : cases) {
        if (c.section) {
            deleteIniSection(layout.c_str(), c.section);
            writeIniText(layout.c_str(), c.section, "File1", ",,,");
        }
        writeIniText(ini.c_str(), "General", "OPSYSTEM", c.system);
        writeFileLists();
        EXPECT_EQ(c.sizes, read("SIZEFILES")) << c.system << (c.section ? " with commas only" : "");
        if (!c.section)
            continue;
        Section files = read("INSTALLFILES");
        auto count = std::find_if(files.begin(), files.end(), [](const auto &k) { return k.first == "NUMFILES"; });
        ASSERT_NE(files.end(), count) << c.section;
        EXPECT_EQ("0", count->second) << c.section;
    }
}

TEST_F(CopySections, MaintenanceListsOnlyChanges)
{
    setupState->maintenanceMode = 1;
    pick(1, FILEKIND_MAIN, nullptr, 1);             // installed and still wanted
    pick(2, FILEKIND_NOTES);                        // newly added
    pick(3, FILEKIND_MAIN, "*2HELP", 1, 0);         // no longer wanted
    writeFileLists();
    EXPECT_EQ((Section{{"FILE3", "L2"}}), read("NOTEFILES"));
    EXPECT_EQ((Section{{"NUMFILES", "3"}, {"MAXFILES", "5"}, {"SIZEFILES", "275"}}), read("INSTALLFILES"));
    EXPECT_EQ((Section{{"FILE1", "HELP"}, {"NUMFILES", "1"}}), read("REMOVEFILES"));
}

TEST_F(CopySections, WithoutTableFilesSetupFilesSectionGoes)
{
    writeFileLists();
    EXPECT_TRUE(read("SETUPFILES").empty());
    EXPECT_EQ((Section{{"FILE1", "50"}, {"FILE2", "25"}}), read("SIZEFILES"));
    EXPECT_EQ((Section{{"FILE1", "66"}, {"FILE2", "100"}}), read("PERCENT"));
    EXPECT_EQ((Section{{"NUMFILES", "2"}, {"MAXFILES", "5"}, {"SIZEFILES", "75"}}), read("INSTALLFILES"));
    EXPECT_FALSE(fileExists(setupState->installDir));
}

TEST_F(CopySections, ZeroAndHugeTotalsGiveSoundPercentages)
{
    struct Case {
        int32_t size;
        const char *total;
        Section percent;
    } cases[] = {
        {0, "0", {{"FILE1", "25"}, {"FILE2", "50"}, {"FILE3", "75"}, {"FILE4", "100"}}},   // by file count
        {2000000000, "2147483647", {{"FILE1", "0"}, {"FILE2", "0"}, {"FILE3", "50"}, {"FILE4", "100"}}},
    };
    writeIniText(layout.c_str(), "SIZEFILES", "FILE8", "0");
    writeIniText(layout.c_str(), "SIZEFILES", "FILE9", "0");
    for (const Case &c : cases) {
        pick(1, FILEKIND_MAIN);
        pick(2, FILEKIND_MAIN);
        entry(1).size = entry(2).size = c.size;
        writeFileLists();
        EXPECT_EQ(c.percent, read("PERCENT")) << "size " << c.size;
        EXPECT_EQ((Section{{"FILE3", "L1"}, {"FILE4", "L2"}, {"NUMFILES", "4"}, {"MAXFILES", "5"}, {"SIZEFILES", c.total}}),
                  read("INSTALLFILES"));
    }
}

TEST_F(CopySections, MissingFileCountListsNoTableEntries)
{
    writeTextFile(layout, "[INSTALL32]\r\nFile1=S1\r\n");
    readFileSizes();
    writeFileLists();
    EXPECT_EQ((Section{{"NUMFILES", "1"}, {"MAXFILES", "1"}, {"SIZEFILES", "0"}}), read("INSTALLFILES"));
}

}  // namespace
