// computeSelection on real install.ini and layout files: the default marks of
// mode 0 (with the upgrade and maintenance variants), everything in modes 1
// and 2, and the reference counts each run recounts from zero.
#include "catalogue_fixture.h"

#include "state/profile.h"

namespace {

class ComputeSelection : public CatalogueFixture {
protected:
    // VWP items A {1}, B {2}, C {3}; files of 100, 200, 400 bytes; the viewer
    // engine's files per platform; MANUALINFO as given.
    void build(const std::string &extraIni, const std::string &extraLayout = "")
    {
        buildCatalogue("[VIEWENGINEINFO]\r\nInfo1=x\r\n[VWPINFO]\r\n" + componentKey(1, "A", 1) +
                           componentKey(2, "B", 2) + componentKey(3, "C", 3) + extraIni,
                       tableLayout({100, 200, 400, 800, 1600}) + fileSection("AvV", {1}) + fileSection("BvV", {2}) +
                           fileSection("CvV", {3}) + fileSection("VIEWENGINE32", {4}) +
                           fileSection("VIEWENGINE16", {5}) + extraLayout);
        computeSelection(SELECT_EVERYTHING_PROBED);
    }
    void mark(const char *section, const char *key, const char *value) { writeIniText(ini.c_str(), section, key, value); }
};

TEST_F(ComputeSelection, DefaultMarksSelectDeselectAndKeep)
{
    build("");
    item(GROUP_VWP, 2).flags = ITEM_HIGHLIGHTED;
    mark("VWPINFO", "Info1Default", "S");
    mark("VWPINFO", "Info2Default", "U");
    mark("INSTALLGROUP", "X", "1");
    computeSelection(SELECT_DEFAULTS);
    EXPECT_EQ(ITEM_SELECTED, item(GROUP_VWP, 0).flags);
    EXPECT_EQ(0, item(GROUP_VWP, 1).flags);
    EXPECT_EQ(ITEM_HIGHLIGHTED, item(GROUP_VWP, 2).flags) << "no Info3Default: flags as they were";
    EXPECT_EQ(ITEM_SELECTED, category(GROUP_VWP).flags);
    EXPECT_EQ(0, category(GROUP_VIEWENGINE).flags) << "no VIEWENGINEINFO Info1Default";
    EXPECT_EQ(100, setupState->selectedSize);
    EXPECT_EQ(1, setupState->selectionState);
    EXPECT_EQ(1u, readSection(ini, "INSTALLGROUP").size()) << "a selection writes nothing";
}

TEST_F(ComputeSelection, EveryModeLeavesInstallGroupToTheStepsAndTheOptionsPageAlone)
{
    build("");
    for (int mode : {SELECT_DEFAULTS, SELECT_EVERYTHING, SELECT_EVERYTHING_PROBED}) {
        mark("INSTALLGROUP", "X", "1");
        setupState->optionsPage = GROUP_TPIC;
        computeSelection(mode);
        EXPECT_EQ(1u, readSection(ini, "INSTALLGROUP").size()) << "mode " << mode;
        EXPECT_EQ(GROUP_TPIC, setupState->optionsPage) << "mode " << mode;
        emptyInstallGroups();
        EXPECT_TRUE(readSection(ini, "INSTALLGROUP").empty()) << "mode " << mode;
    }
}

TEST_F(ComputeSelection, MarkLengthAndMissingFirstMark)
{
    struct Case {
        const char *section, *key;
        size_t length;     // of a mark beginning with "S"; 0: no key
        int group;
        int32_t itemFlags, categoryFlags;
    } cases[] = {
        {"VWPINFO", "Info2Default", 97, GROUP_VWP, ITEM_SELECTED, ITEM_SELECTED},
        {"VWPINFO", "Info2Default", 98, GROUP_VWP, ITEM_HIGHLIGHTED, ITEM_SELECTED},  // no mark: kept
        {"CONVTOOLINFO", "Info1Default", 0, GROUP_CONVTOOL, -1, ITEM_UNAVAILABLE},
    };
    for (const Case &c : cases) {
        build("Info1Default=S\r\n[CONVTOOLINFO]\r\nInfo1=x\r\n", fileSection("CONVTOOL", {5}));
        item(GROUP_VWP, 1).flags = ITEM_HIGHLIGHTED;
        mark(c.section, c.key, c.length ? ("S" + std::string(c.length - 1, 'x')).c_str() : nullptr);
        computeSelection(SELECT_DEFAULTS);
        if (c.itemFlags >= 0) {
            EXPECT_EQ(c.itemFlags, item(c.group, 1).flags) << c.key << " of " << c.length;
        }
        EXPECT_EQ(c.categoryFlags, category(c.group).flags) << c.section << " " << c.length;
        releaseCatalogue();
    }
}

TEST_F(ComputeSelection, EmptyGroupsMarkTheirCategories)
{
    build("");
    mark("VIEWENGINEINFO", "Info1Default", "S");
    mark("CONVTOOLINFO", "Info1Default", "S");
    computeSelection(SELECT_DEFAULTS);
    EXPECT_EQ(0, category(GROUP_VWP).flags) << "no Info1Default: unavailable during the pass, then 0";
    EXPECT_EQ(0, category(GROUP_SPREADSHEET).flags) << "an empty group ends with 0";
    EXPECT_EQ(ITEM_UNAVAILABLE, category(GROUP_CONVTOOL).flags) << "an empty group 10 stays unavailable";
    EXPECT_EQ(ITEM_SELECTED, category(GROUP_VIEWENGINE).flags);
    EXPECT_EQ(800, setupState->selectedSize) << "the VWP items keep their flags but count only when chosen";
    computeSelection(SELECT_EVERYTHING);
    EXPECT_EQ(ITEM_UNAVAILABLE, category(GROUP_CONVTOOL).flags);
    EXPECT_EQ(5, setupState->selectionState);
}

TEST_F(ComputeSelection, KeptSelectionsCountOnlyInAChosenCategory)
{
    build("");   // mode 2 left every item selected
    mark("VWPINFO", "Info1Default", "S");
    computeSelection(SELECT_DEFAULTS);
    EXPECT_EQ(ITEM_SELECTED, item(GROUP_VWP, 1).flags);
    EXPECT_EQ(100 + 200 + 400, setupState->selectedSize) << "ticked items B and C count with their category";

    mark("VWPINFO", "Info1Default", "U");
    computeSelection(SELECT_DEFAULTS);
    EXPECT_EQ(0, category(GROUP_VWP).flags);
    EXPECT_EQ(0, entry(2).refCount) << "an unchosen category counts nothing";
    // Opening the category adds its ticked items once (the options sequence).
    applySelection(CATEGORIES, &category(GROUP_VWP), 1, &group(CATEGORIES), GROUP_VWP);
    EXPECT_EQ(1, entry(2).refCount);
    EXPECT_EQ(200 + 400, setupState->selectedSize);
}

TEST_F(ComputeSelection, ManualMarksFollowTheKeysPresent)
{
    struct Case {
        const char *manual, *marks;
        std::vector<int32_t> flags;
        int32_t categoryFlags;
    } cases[] = {
        {"Info3=x\r\n", "Info3Default=S\r\n", {ITEM_SELECTED}, ITEM_SELECTED},
        {"Info1=x\r\nInfo3=x\r\n", "", {0, 0}, 0},
        {"Info1=x\r\nInfo2=x\r\nInfo3=x\r\n", "Info1Default=S\r\nInfo3Default=S\r\n", {ITEM_SELECTED, 0, ITEM_SELECTED}, ITEM_SELECTED},
    };
    int n = 0;
    for (const Case &c : cases) {
        releaseCatalogue();
        ini = dir + "manual" + std::to_string(++n) + ".ini";
        copyText(setupState->setupIniPath, PATH_BYTES, ini.c_str());
        buildCatalogue(std::string("[MANUALINFO]\r\n") + c.manual + c.marks, tableLayout({1}));
        computeSelection(SELECT_DEFAULTS);
        ASSERT_EQ(c.flags.size(), (size_t)group(GROUP_MANUAL).itemCount) << c.manual;
        for (size_t i = 0; i < c.flags.size(); i++)
            EXPECT_EQ(c.flags[i], item(GROUP_MANUAL, (int)i).flags) << c.manual << c.marks << " item " << i;
        EXPECT_EQ(c.categoryFlags, category(GROUP_MANUAL).flags) << c.manual << c.marks;
    }
}

TEST_F(ComputeSelection, EverythingTwiceGivesTheSameCounts)
{
    build("[SWPINFO]\r\n" + componentKey(1, "A", 1) + "[TWPINFO]\r\n" + componentKey(1, "A", 1),
          fileSection("AsS", {1, 2}) + fileSection("AtT", {2}) + fileSection("ANYCNV", {3}));
    int32_t first = setupState->selectedSize;
    EXPECT_EQ(100 + 200 + 400 + 800, first);
    EXPECT_EQ(group(GROUP_SWP).sharedFileList, group(GROUP_TWP).sharedFileList);
    for (int run = 0; run < 2; run++) {
        computeSelection(SELECT_EVERYTHING);
        EXPECT_EQ(first, setupState->selectedSize) << "run " << run;
        EXPECT_EQ(3, group(GROUP_VWP).fileCount) << "run " << run;
        EXPECT_EQ(3, entry(3).refCount) << "C, and ANYCNV with each of two items; run " << run;
    }
}

TEST_F(ComputeSelection, ViewEngineFilesFollowThePlatform)
{
    for (const char *platform : {"Windows 3.x", "Windows 3.11", "Windows NT"}) {
        copyText(setupState->platformName, sizeof setupState->platformName, platform);
        build("");
        bool sixteen = strcmp(platform, "Windows 3.x") == 0;
        EXPECT_EQ(std::vector<int>{sixteen ? 5 : 4}, indexes(category(GROUP_VIEWENGINE).fileList)) << platform;
        EXPECT_EQ(ITEM_SELECTED, category(GROUP_VIEWENGINE).flags) << platform;
        releaseCatalogue();
    }
}

TEST_F(ComputeSelection, UnavailableIntegrationStaysOutButItsFilesCount)
{
    build("[INTEGRATIONINFO]\r\nInfo1=1,M,none,1\r\nInfo2=1,N,none,2\r\nInfo3=1,O,none,3\r\n",
          fileSection("M", {4}) + fileSection("N", {5}) + fileSection("O", {4}));
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(ITEM_UNAVAILABLE, item(GROUP_INTEGRATION, i).flags) << "no module answers; item " << i;
        EXPECT_EQ(0, host.integrationResults[i]);
    }
    item(GROUP_INTEGRATION, 0).flags = ITEM_HIGHLIGHTED;
    item(GROUP_INTEGRATION, 2).flags = 0;
    computeSelection(SELECT_EVERYTHING);
    EXPECT_EQ(ITEM_HIGHLIGHTED | ITEM_SELECTED, item(GROUP_INTEGRATION, 0).flags);
    EXPECT_EQ(ITEM_UNAVAILABLE, item(GROUP_INTEGRATION, 1).flags);
    EXPECT_EQ(ITEM_SELECTED, item(GROUP_INTEGRATION, 2).flags);
    EXPECT_EQ(1, entry(5).refCount) << "the unavailable item's files are still counted";
}

TEST_F(ComputeSelection, UnavailableIntegrationMarkedUnselectedStaysUnavailable)
{
    build("[INTEGRATIONINFO]\r\nInfo1=1,M,none,1\r\nInfo1Default=U\r\n", fileSection("M", {4}));
    ASSERT_EQ(ITEM_UNAVAILABLE, item(GROUP_INTEGRATION, 0).flags);
    computeSelection(SELECT_DEFAULTS);
    EXPECT_EQ(ITEM_UNAVAILABLE, item(GROUP_INTEGRATION, 0).flags) << "a U mark does not make it available";
    computeSelection(SELECT_EVERYTHING);
    EXPECT_EQ(ITEM_UNAVAILABLE, item(GROUP_INTEGRATION, 0).flags) << "nor can everything select it afterwards";
}

TEST_F(ComputeSelection, UpgradeReadsPreviousMarksAndSelectsTheRenumberedItem)
{
    std::string installed = dir + "old.ini";
    writeTextFile(installed, "[VWPINFO]\r\n" + componentKey(1, "OLDC", 3) + "Info1Default=S\r\nInfo2Default=U\r\n" +
                                 "Info3Default=S\r\n" + componentKey(3, "GONE", 9) + "[INSTALLGROUP]\r\nX=1\r\n" +
                                 "[INTEGRATIONINFO]\r\nInfo1=1,N,none,2\r\nInfo1Default=S\r\n" +
                                 "Info2=1,P,none,3\r\nInfo2Default=S\r\n");
    copyText(setupState->installedIniPath, PATH_BYTES, installed.c_str());
    copyText(setupState->installedLayoutFilePath, PATH_BYTES, (dir + "old.lay").c_str());
    setupState->upgradeMode = 1;
    // This setup's own marks are not the ones read.
    build("Info3Default=U\r\n[INTEGRATIONINFO]\r\nInfo1=1,M,none,1\r\nInfo2=1,N,none,2\r\nInfo3=1,P,none,3\r\n");
    mark("INSTALLGROUP", "Y", "1");
    for (int i = 0; i < 3; i++)
        item(GROUP_VWP, i).flags = 0;
    item(GROUP_INTEGRATION, 0).flags = item(GROUP_INTEGRATION, 1).flags = ITEM_HIGHLIGHTED;
    item(GROUP_INTEGRATION, 2).flags = ITEM_UNAVAILABLE;   // its module answered 0
    computeSelection(SELECT_DEFAULTS);
    EXPECT_EQ(0, item(GROUP_VWP, 0).flags) << "old key 1 named component 3";
    EXPECT_EQ(0, item(GROUP_VWP, 1).flags);
    EXPECT_EQ(ITEM_SELECTED, item(GROUP_VWP, 2).flags) << "found under its old number";
    EXPECT_EQ(400, setupState->selectedSize) << "the files of the item selected";
    EXPECT_EQ(ITEM_HIGHLIGHTED, item(GROUP_INTEGRATION, 0).flags) << "old key 1 named integration 2";
    EXPECT_EQ(ITEM_SELECTED, item(GROUP_INTEGRATION, 1).flags) << "the integration found: exactly selected";
    EXPECT_EQ(ITEM_UNAVAILABLE, item(GROUP_INTEGRATION, 2).flags) << "found under its old number, but unavailable";
    EXPECT_EQ(ini, setupState->setupIniPath) << "paths restored after the run";
    EXPECT_EQ(layout, setupState->layoutFilePath);
    EXPECT_EQ(1u, readSection(installed, "INSTALLGROUP").size()) << "a selection writes nothing";
    emptyInstallGroups();
    EXPECT_TRUE(readSection(installed, "INSTALLGROUP").empty()) << "emptied in the file the defaults were read from";
    EXPECT_TRUE(readSection(ini, "INSTALLGROUP").empty()) << "and in this setup's own, which the build read";
}

TEST_F(ComputeSelection, MaintenanceMarksInstalledItems)
{
    setupState->maintenanceMode = 1;
    build("Info1Default=S\r\nInfo2Default=U\r\n");
    item(GROUP_VWP, 1).installedMark = ITEM_SELECTED;
    computeSelection(SELECT_DEFAULTS);
    EXPECT_EQ(ITEM_SELECTED, item(GROUP_VWP, 0).installedMark);
    EXPECT_EQ(0, item(GROUP_VWP, 1).installedMark);
}

}  // namespace
