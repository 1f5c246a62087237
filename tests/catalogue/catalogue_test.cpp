// The catalogue as loadCatalogue reads it from install.ini, the group view,
// the reference counting behind every selection change, and the release of
// every list exactly once.
#include "catalogue_fixture.h"

#include "support/largest_catalogue.h"

namespace {

using LoadCatalogue = CatalogueFixture;

// The resource module's string, as the 30-byte name field can hold it.
std::string resourceName(int id)
{
    char name[30];
    if (LoadStringA(resourceModule, id, name, sizeof name) <= 0)
        name[0] = 0;
    return name;
}

TEST_F(LoadCatalogue, ComponentGroupsTakeKeySuffixNumberFormatAndName)
{
    struct Case {
        int g;
        const char *section, *token, *key;
        int number, nameId;
    } cases[] = {
        {GROUP_VWP, "VWPINFO", "WRI", "WRIv", 3, 3},
        {GROUP_SPREADSHEET, "SPREADSHEETINFO", "JS1", "JS1", 1, 301},
        {GROUP_SWP, "SWPINFO", "JW1", "JW1s", 13, 13},
        {GROUP_TWP, "TWPINFO", "JW2", "JW2t", 181, 181},
        {GROUP_SPIC, "SPICINFO", "BMP", "BMP", 4, 204},
        {GROUP_TPIC, "TPICINFO", "BMP", "BMP", 4, 204},
        {GROUP_INTERUTIL, "INTERUTILINFO", "ARC", "ARC", 1, 326},
    };
    std::string text;
    for (const Case &c : cases)
        text += std::string("[") + c.section + "]\r\n" + componentKey(1, c.token, c.number, "F12") +
                componentKey(2, std::string(" ") + c.token + "2", 2);
    buildCatalogue(text, "");
    for (const Case &c : cases) {
        ASSERT_EQ(2, group(c.g).itemCount) << c.section;
        EXPECT_STREQ(c.key, item(c.g, 0).key) << c.section;
        EXPECT_EQ(c.number, item(c.g, 0).number) << c.section;
        EXPECT_EQ(1, item(c.g, 0).keyIndex) << c.section;
        EXPECT_STREQ("F12", item(c.g, 0).formatCode) << c.section;
        ASSERT_NE("", resourceName(c.nameId)) << "the media name string " << c.nameId;
        EXPECT_EQ(resourceName(c.nameId), item(c.g, 0).displayName) << c.section;
        EXPECT_EQ(std::string(c.token) + "2" + (c.key + strlen(c.token)), item(c.g, 1).key)
            << c.section << ": leading blanks of a token are dropped";
        EXPECT_EQ(2, item(c.g, 1).keyIndex) << c.section;
    }
}

TEST_F(LoadCatalogue, SectionNamePartsFillTheirTenByteFieldsWhole)
{
    struct Case {
        int g;
        const char *prefix, *suffix;
    } cases[] = {
        {GROUP_VIEWENGINE, "", "VIEWENGINE"}, {GROUP_SPREADSHEET, "SPREAD", ""}, {GROUP_TWP, "", "T"},
        {GROUP_TPIC, "PIC", "T"}, {GROUP_INTERUTIL, "INTERUTIL", ""}, {GROUP_CONVTOOL, "", "CONVTOOL"},
    };
    buildCatalogue("", "");
    for (const Case &c : cases) {
        EXPECT_EQ(c.prefix, std::string(group(c.g).prefix, strnlen(group(c.g).prefix, 10))) << c.g;
        EXPECT_EQ(c.suffix, std::string(group(c.g).suffix, strnlen(group(c.g).suffix, 10))) << c.g;
    }
}

TEST_F(LoadCatalogue, ItemsStopAtFirstMissingKey)
{
    buildCatalogue("[VWPINFO]\r\n" + componentKey(1, "A", 3) + componentKey(2, "B", 13) + componentKey(4, "D", 1) +
                       "[MANUALINFO]\r\nInfo3=x\r\n[VIEWENGINEINFO]\r\nInfo1=x\r\n",
                   "");
    EXPECT_EQ(2, group(GROUP_VWP).itemCount) << "Info3 missing ends the group";
    ASSERT_EQ(1, group(GROUP_MANUAL).itemCount);
    EXPECT_STREQ("README", item(GROUP_MANUAL, 0).key);
    EXPECT_EQ(3, item(GROUP_MANUAL, 0).number);
    EXPECT_EQ(resourceName(383), item(GROUP_MANUAL, 0).displayName);
    EXPECT_EQ(1, group(GROUP_VIEWENGINE).itemCount);
    EXPECT_EQ(0, group(GROUP_CONVTOOL).itemCount) << "no CONVTOOLINFO section";
    ASSERT_EQ(11, group(CATEGORIES).itemCount);
    for (int k = 0; k < 11; k++)
        EXPECT_EQ(resourceName(574 + k), category(k).displayName) << "category " << k;
    EXPECT_EQ(resourceName(574), item(GROUP_VIEWENGINE, 0).displayName);
}

TEST_F(LoadCatalogue, IntegrationKeepsModulePrefixByKeyNumber)
{
    buildCatalogue("[INTEGRATIONINFO]\r\nInfo1=1,MAIL,jm,1\r\nInfo2=1,NOTE, nt ,7\r\n", "");
    ASSERT_EQ(2, group(GROUP_INTEGRATION).itemCount);
    EXPECT_STREQ("jm", setupState->integrationModulePrefix[1]);
    EXPECT_STREQ("nt ", setupState->integrationModulePrefix[2]);
    EXPECT_EQ(7, item(GROUP_INTEGRATION, 1).number);
    EXPECT_EQ(resourceName(351), item(GROUP_INTEGRATION, 0).displayName);
    EXPECT_STREQ("", item(GROUP_INTEGRATION, 0).formatCode);
}

TEST_F(LoadCatalogue, OverlongGroupsShortValuesAndLongTokensStayInBounds)
{
    std::string text = "[VWPINFO]\r\n";
    for (int n = 1; n <= 45; n++)
        text += componentKey(n, "K" + std::to_string(n), n);
    text += "[INTEGRATIONINFO]\r\n";
    for (int n = 1; n <= 25; n++)
        text += "Info" + std::to_string(n) + "=1,I,p" + std::to_string(n) + ",1\r\n";
    text += "[SWPINFO]\r\nInfo1=1,SHORT\r\nInfo2=,,,,,\r\nInfo3=1," + std::string(40, 'K') + ",a,b,FORMAT99,c,d,e,f,g,901\r\n";
    text += "[SPICINFO]\r\nInfo1=1,P,a,b,F,c,d,e,f,g,99999\r\n";
    text += "[INTERUTILINFO]\r\nInfo1=1,Q,a,b,F,c,d,e,f,g,-400\r\n";
    buildCatalogue(text + "[TPICINFO]\r\nInfo1=1,P,a,b,F,c,d,e,f,g,29000\r\n", "");

    EXPECT_EQ(40, group(GROUP_VWP).itemCount) << "keys beyond 40 are ignored";
    EXPECT_EQ(20, group(GROUP_INTEGRATION).itemCount) << "keys beyond 20 are ignored";
    EXPECT_STREQ("p20", setupState->integrationModulePrefix[20]);
    ASSERT_EQ(3, group(GROUP_SWP).itemCount);
    EXPECT_STREQ("SHORTs", item(GROUP_SWP, 0).key);
    EXPECT_EQ(0, item(GROUP_SWP, 0).number) << "a missing number token reads as 0";
    EXPECT_STREQ("", item(GROUP_SWP, 0).formatCode);
    EXPECT_STREQ("s", item(GROUP_SWP, 1).key) << "a value of commas only has empty tokens";
    EXPECT_EQ(23u, strlen(item(GROUP_SWP, 2).key));
    EXPECT_STREQ("FORMA", item(GROUP_SWP, 2).formatCode);
    EXPECT_EQ(29u, strlen(item(GROUP_SWP, 2).displayName)) << "string 901 cut to 29 characters";
    EXPECT_STREQ("", item(GROUP_SPIC, 0).displayName) << "200 + 99999 names no string";
    EXPECT_STREQ("", item(GROUP_INTERUTIL, 0).displayName) << "325 - 400 names no string";
    EXPECT_STREQ("", item(GROUP_TPIC, 0).displayName) << "string 29200 is missing";
}

TEST_F(LoadCatalogue, OneGroupLeavesOthersEmpty)
{
    buildCatalogue("[VWPINFO]\r\n" + componentKey(1, "A", 3) + "[INTEGRATIONINFO]\r\nInfo1=1,M,jm,1\r\n" +
                       "[VIEWENGINEINFO]\r\nInfo1=x\r\n",
                   "");
    ASSERT_EQ(1, group(GROUP_VWP).itemCount);
    loadCatalogue(GROUP_INTEGRATION);
    EXPECT_EQ(0, group(GROUP_VWP).itemCount);
    EXPECT_EQ(0, group(GROUP_VIEWENGINE).itemCount);
    EXPECT_EQ(1, group(GROUP_INTEGRATION).itemCount);
    EXPECT_EQ(11, group(CATEGORIES).itemCount);
    EXPECT_EQ(resourceName(579), category(5).displayName);
}

TEST_F(LoadCatalogue, UpgradeTakesPreviousNumberFromInstalledSetup)
{
    std::string installed = dir + "old.ini";
    writeTextFile(installed, "[VWPINFO]\r\n" + componentKey(1, "OLD", 13) + "[MANUALINFO]\r\nInfo1=x\r\n");
    copyText(setupState->installedIniPath, PATH_BYTES, installed.c_str());
    setupState->upgradeMode = 1;
    buildCatalogue("[VWPINFO]\r\n" + componentKey(1, "A", 181) + componentKey(2, "B", 13) +
                       "[MANUALINFO]\r\nInfo2=x\r\n",
                   "");
    EXPECT_EQ(13, item(GROUP_VWP, 0).previousNumber);
    EXPECT_EQ(13, item(GROUP_VWP, 1).previousNumber) << "no entry there: its own number";
    EXPECT_EQ(2, item(GROUP_MANUAL, 0).previousNumber);
}

TEST_F(LoadCatalogue, GroupViewOfTheGroupAskedFor)
{
    buildCatalogue("[SWPINFO]\r\n" + componentKey(1, "A", 3) + componentKey(2, "B", 4), "");
    ComponentItem *first = nullptr;
    int32_t count = -7;
    ComponentGroup *record = nullptr;
    for (int outside : {-1, 12, 99}) {
        groupView(outside, &first, &count, &record);
        EXPECT_EQ(nullptr, first);
        EXPECT_EQ(-7, count) << "outputs unchanged for group " << outside;
    }
    groupView(GROUP_SWP, &first, &count, &record);
    EXPECT_EQ(&item(GROUP_SWP, 0), first);
    EXPECT_EQ(2, count);
    EXPECT_EQ(&group(GROUP_SWP), record);
}

// ---------------------------------------------------------------------------

class ReferenceCounting : public CatalogueFixture {
protected:
    // Files 1..5 of 100, 200, 400, 800, 1600 bytes; VWP items A {1,2}, B {2,3};
    // SPREADSHEET items X {3}, Y {} with the common files {4,5}.
    void SetUp() override
    {
        CatalogueFixture::SetUp();
        buildCatalogue("[VWPINFO]\r\n" + componentKey(1, "A", 1) + componentKey(2, "B", 2) + "[SPREADSHEETINFO]\r\n" +
                           componentKey(1, "X", 1) + componentKey(2, "Y", 2),
                       tableLayout({100, 200, 400, 800, 1600}) + fileSection("Av", {1, 2}) + fileSection("Bv", {2, 3}) +
                           fileSection("SPREADX", {3}) + fileSection("ANYSPREADSHEET", {4, 5}));
        item(GROUP_VWP, 0).fileList = buildFileList("Av");
        item(GROUP_VWP, 1).fileList = buildFileList("Bv");
        item(GROUP_SPREADSHEET, 0).fileList = buildFileList("SPREADX");
        item(GROUP_SPREADSHEET, 1).fileList = buildFileList("SPREADY");
        group(GROUP_SPREADSHEET).sharedFileList = buildFileList("ANYSPREADSHEET");
    }
    void apply(int g, int i, int select)
    {
        applySelection(g, &item(g, i), select, &group(g), i);
    }
};

TEST_F(ReferenceCounting, SharedFileCountedOnceUntilLastItemLeaves)
{
    struct Step {
        int i, select;
        int32_t fileCount, selectedSize, refCountOf2;
    } steps[] = {
        {0, 1, 2, 300, 1}, {1, 1, 3, 700, 2}, {0, 0, 2, 600, 1}, {1, 0, 0, 0, 0},
        {1, 0, 0, 0, 0},   // removing again: counts at 0 stay 0
    };
    for (const Step &st : steps) {
        apply(GROUP_VWP, st.i, st.select);
        EXPECT_EQ(st.fileCount, group(GROUP_VWP).fileCount) << "item " << st.i << " select " << st.select;
        EXPECT_EQ(st.selectedSize, setupState->selectedSize) << "item " << st.i << " select " << st.select;
        EXPECT_EQ(st.refCountOf2, entry(2).refCount);
    }
}

TEST_F(ReferenceCounting, SpreadsheetCommonFilesLeaveWithLastItem)
{
    apply(GROUP_SPREADSHEET, 0, 1);
    apply(GROUP_SPREADSHEET, 1, 1);
    EXPECT_EQ(400 + 800 + 1600, setupState->selectedSize);
    EXPECT_EQ(1, group(GROUP_SPREADSHEET).fileCount) << "common files count into no group";
    EXPECT_EQ(2, entry(4).refCount);
    apply(GROUP_SPREADSHEET, 0, 0);
    EXPECT_EQ(2400, setupState->selectedSize);
    apply(GROUP_SPREADSHEET, 1, 0);
    EXPECT_EQ(0, setupState->selectedSize);
}

TEST_F(ReferenceCounting, WholeCategoryCountsItsSelectedItems)
{
    item(GROUP_VWP, 1).flags = ITEM_SELECTED;
    applySelection(CATEGORIES, &category(GROUP_VWP), 1, &group(CATEGORIES), GROUP_VWP);
    EXPECT_EQ(600, setupState->selectedSize) << "only item B is selected";
    EXPECT_EQ(2, group(GROUP_VWP).fileCount);

    category(GROUP_CONVTOOL).fileList = buildFileList("Av");
    applySelection(CATEGORIES, &category(GROUP_CONVTOOL), 1, &group(CATEGORIES), GROUP_CONVTOOL);
    EXPECT_EQ(600, setupState->selectedSize) << "an unselected category item counts nothing";
    category(GROUP_CONVTOOL).flags = ITEM_SELECTED;
    applySelection(CATEGORIES, &category(GROUP_CONVTOOL), 1, &group(CATEGORIES), GROUP_CONVTOOL);
    EXPECT_EQ(700, setupState->selectedSize);
    applySelection(CATEGORIES, &category(GROUP_VWP), 1, &group(CATEGORIES), 40);
    EXPECT_EQ(700, setupState->selectedSize) << "a category outside 0..10 counts nothing";
}

TEST_F(ReferenceCounting, SizesBeyondThirtyTwoBitsSaturateAndStayExact)
{
    entry(1).size = 2000000000;
    entry(2).size = 2000000000;
    entry(3).size = 5;
    apply(GROUP_VWP, 0, 1);
    EXPECT_EQ(INT32_MAX, setupState->selectedSize);
    apply(GROUP_VWP, 1, 1);
    apply(GROUP_VWP, 0, 0);
    EXPECT_EQ(2000000005, setupState->selectedSize) << "exact again once the sum fits";
}

TEST_F(ReferenceCounting, IndexesOutsideTheTableAndNullListsCountNothing)
{
    unsigned char list[] = {0, 6, 200, 254, 3, FILE_LIST_END};
    countFileReferences(1, list, &group(GROUP_VWP));
    EXPECT_EQ(400, setupState->selectedSize) << "only entry 3 is live";
    EXPECT_EQ(1, group(GROUP_VWP).fileCount);
    countFileReferences(1, nullptr, &group(GROUP_VWP));
    countFileReferences(0, list, nullptr);
    EXPECT_EQ(0, setupState->selectedSize);
    EXPECT_EQ(1, group(GROUP_VWP).fileCount) << "no group given, none changed";
}

// ---------------------------------------------------------------------------

using ReleaseCatalogue = CatalogueFixture;

TEST_F(ReleaseCatalogue, HundredBuildsFreeEveryBlockExactlyOnce)
{
    std::string iniText = "[VIEWENGINEINFO]\r\nInfo1=x\r\n[CONVTOOLINFO]\r\nInfo1=x\r\n[MANUALINFO]\r\nInfo1=x\r\n";
    for (const char *section : {"VWPINFO", "SPREADSHEETINFO", "SWPINFO", "TWPINFO", "SPICINFO", "TPICINFO", "INTERUTILINFO"})
        iniText += std::string("[") + section + "]\r\n" + componentKey(1, "A", 1) + componentKey(2, "B", 2);
    iniText += "[INTEGRATIONINFO]\r\nInfo1=1,M,none,1\r\n";
    std::string layoutText = tableLayout({10, 20}) + fileSection("ANYCNV", {1}) + fileSection("ANYPIC", {2});
    for (int round = 0; round < 100; round++) {
        buildCatalogue(iniText, layoutText);
        computeSelection(SELECT_EVERYTHING_PROBED);
        ASSERT_EQ(group(GROUP_SWP).sharedFileList, group(GROUP_TWP).sharedFileList);
        ASSERT_EQ(group(GROUP_SPIC).sharedFileList, group(GROUP_TPIC).sharedFileList);
        ASSERT_EQ(30, setupState->selectedSize) << "round " << round;
        // A category item that shares its group's list, as another step may arrange.
        category(GROUP_VWP).fileList = item(GROUP_VWP, 0).fileList;
        size_t lists = blocks().live.size() - 2;
        ASSERT_EQ(22u, lists) << "14 items, 4 common lists, INTEGRATION, MANUAL and the items of 0 and 10; round " << round;
        releaseCatalogue();
        ASSERT_EQ(0u, blocks().live.size()) << "round " << round;
        ASSERT_EQ(0, blocks().badFrees) << "round " << round;
        EXPECT_EQ(nullptr, setupState->sharedFileTable);
        EXPECT_EQ(nullptr, category(GROUP_VWP).fileList);
    }
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
}

TEST_F(ReleaseCatalogue, ReloadingReleasesTheListsOfTheOldCatalogue)
{
    buildCatalogue("[VWPINFO]\r\n" + componentKey(1, "A", 1), tableLayout({10}) + fileSection("AvV", {1}));
    computeSelection(SELECT_EVERYTHING_PROBED);
    ASSERT_NE(nullptr, item(GROUP_VWP, 0).fileList);
    computeSelection(SELECT_EVERYTHING_PROBED);   // rebuilds: the first lists are freed
    EXPECT_EQ(10, setupState->selectedSize);
    loadCatalogue(GROUP_INTEGRATION);
    EXPECT_EQ(2u, blocks().live.size()) << "only the two tables remain";
}

using CatalogueAtItsLimits = CatalogueFixture;

TEST_F(CatalogueAtItsLimits, ListsStayInBoundsAndCountsBalanceExactly)
{
    writeLargestCatalogue(dir);
    layout = dir + "setup.lay";
    copyText(setupState->layoutFilePath, PATH_BYTES, layout.c_str());
    setupState->languageFlags = 7;
    buildCatalogue(readTextFile(ini), readTextFile(layout));
    computeSelection(SELECT_EVERYTHING_PROBED);
    EXPECT_EQ(kLargestFileCount, setupState->sharedFileCount);
    EXPECT_EQ(kLargestIntegrations, group(GROUP_INTEGRATION).itemCount);

    int64_t referenced = 0;
    for (int e = 1; e <= kLargestFileCount; e++)
        referenced += entry(e).refCount > 0 ? entry(e).size : 0;
    EXPECT_EQ(saturate32(referenced), setupState->selectedSize);
    for (int g = 0; g < GROUP_COUNT; g++) {
        for (int i = 0; i < MAX_GROUP_ITEMS; i++) {
            const unsigned char *list = item(g, i).fileList;
            for (int b : indexes(list))
                ASSERT_TRUE(b >= 1 && b <= kLargestListedFiles) << "group " << g << " item " << i << ": " << b;
            if (list) {
                ASSERT_EQ(FILE_LIST_END, list[indexes(list).size()]) << "group " << g << " item " << i;
            }
        }
    }

    // Taking every item out again, unavailable ones too, leaves nothing counted.
    for (int g = 0; g < CATEGORIES; g++) {
        bool carried = groupTable[g].layout == LAYOUT_PRESENCE;
        for (int i = 0; i < group(g).itemCount; i++)
            applySelection(g, carried ? &category(g) : &item(g, i), 0, carried ? &group(CATEGORIES) : &group(g), i);
    }
    for (int e = 1; e <= kLargestFileCount; e++)
        ASSERT_EQ(0, entry(e).refCount) << "file " << e;
    EXPECT_EQ(0, setupState->selectedSize);
}

}  // namespace
