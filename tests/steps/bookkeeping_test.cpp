// The recording of the user's choice: SPACEUSED and the default marks of
// install.ini, the marks added to an existing installation's install.ini in
// add-on mode, and a workstation's server location in the registry.
#include <gtest/gtest.h>

#include <string.h>

#include "registry/registry_access.h"
#include "state/setup_state.h"
#include "steps/bookkeeping.h"
#include "support/test_support.h"

namespace {

std::string iniValue(const std::string &path, const char *section, const char *key)
{
    char value[256];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, path.c_str());
    return value;
}

// An Info%d value with the number in its eleventh field.
std::string entry(const char *tag, int number)
{
    return std::string(tag) + ",key,c,d,5,1,0,h,0,0," + std::to_string(number);
}

class BookkeepingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        resetRegistry();
        dir = makeTempDir("books");
        setupIni = dir + "install.ini";
        installedIni = dir + "installed.ini";
        strcpy(setupState->setupIniPath, setupIni.c_str());
        strcpy(setupState->installedIniPath, installedIni.c_str());
        setupState->groups[CATEGORIES].itemCount = 11;
        spaceUsed = 0;
    }
    void TearDown() override { resetRegistry(); }

    void chooseCategory(int group) { setupState->groups[CATEGORIES].items[group].flags |= ITEM_SELECTED; }
    void addItem(int group, int number, bool chosen)
    {
        ComponentGroup &g = setupState->groups[group];
        g.items[g.itemCount].number = number;
        g.items[g.itemCount].flags = chosen ? ITEM_SELECTED : 0;
        g.itemCount++;
    }

    std::string dir, setupIni, installedIni;
};

TEST_F(BookkeepingTest, WithoutCustomSelectionOnlySpaceUsedIsWritten)
{
    writeTextFile(setupIni, "[VWPINFO]\r\nInfo1Default=S\r\n");
    spaceUsed = 1234567;
    chooseCategory(GROUP_VWP);
    addItem(GROUP_VWP, 1, false);
    recordDefaults();
    EXPECT_EQ("1234567", iniValue(setupIni, "General", "SPACEUSED"));
    EXPECT_EQ("S", iniValue(setupIni, "VWPINFO", "Info1Default"));
    EXPECT_EQ("<missing>", iniValue(setupIni, "VIEWENGINEINFO", "Info1Default"));
}

TEST_F(BookkeepingTest, MarksFollowTheGroupAndTheItemChoice)
{
    setupState->customSelectionMade = 1;
    spaceUsed = -5;
    chooseCategory(GROUP_VIEWENGINE);
    chooseCategory(GROUP_VWP);
    for (int i = 0; i < 3; i++) {
        addItem(GROUP_VWP, 40 + i, i == 1);
        addItem(GROUP_SWP, 50 + i, true);   // its group is not chosen
    }
    for (int g : {GROUP_TPIC, GROUP_TWP, GROUP_INTEGRATION, GROUP_SPREADSHEET, GROUP_INTERUTIL}) {
        chooseCategory(g);
        addItem(g, 1, true);
        addItem(g, 2, false);
    }
    recordDefaults();
    struct Case {
        const char *section, *key, *mark;
    } cases[] = {
        {"General", "SPACEUSED", "-5"},
        {"VIEWENGINEINFO", "Info1Default", "S"}, {"CONVTOOLINFO", "Info1Default", "U"},
        {"VWPINFO", "Info1Default", "U"},        {"VWPINFO", "Info2Default", "S"},
        {"VWPINFO", "Info3Default", "U"},        {"VWPINFO", "Info4Default", "<missing>"},
        {"SWPINFO", "Info1Default", "U"},        {"SWPINFO", "Info2Default", "U"},
        {"SWPINFO", "Info3Default", "U"},        {"SPICINFO", "Info1Default", "<missing>"},
        {"TPICINFO", "Info1Default", "S"},       {"TPICINFO", "Info2Default", "U"},
        {"TWPINFO", "Info1Default", "S"},        {"TWPINFO", "Info2Default", "U"},
        {"INTEGRATIONINFO", "Info1Default", "S"}, {"INTEGRATIONINFO", "Info2Default", "U"},
        {"SPREADSHEETINFO", "Info1Default", "S"}, {"SPREADSHEETINFO", "Info2Default", "U"},
        {"INTERUTILINFO", "Info1Default", "S"},  {"INTERUTILINFO", "Info2Default", "U"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.mark, iniValue(setupIni, c.section, c.key)) << c.section << " / " << c.key;
}

TEST_F(BookkeepingTest, ManualKeysAreTheItemNumbers)
{
    setupState->customSelectionMade = 1;
    chooseCategory(GROUP_MANUAL);
    addItem(GROUP_MANUAL, 1, true);
    addItem(GROUP_MANUAL, 3, false);
    addItem(GROUP_MANUAL, -1, true);
    recordDefaults();
    EXPECT_EQ("S", iniValue(setupIni, "MANUALINFO", "Info1Default"));
    EXPECT_EQ("<missing>", iniValue(setupIni, "MANUALINFO", "Info2Default"));
    EXPECT_EQ("U", iniValue(setupIni, "MANUALINFO", "Info3Default"));
    EXPECT_EQ("<missing>", iniValue(setupIni, "MANUALINFO", "Info-1Default"));
}

TEST_F(BookkeepingTest, AddOnMarksEntriesWhereTheExistingFileListsThem)
{
    writeTextFile(installedIni, "[SWPINFO]\r\nInfo1=" + entry("a", 10) + "\r\nInfo2=" + entry("b", 45) +
                                    "\r\nInfo3=" + entry("c", 12) + "\r\nInfo4=" + entry("d", 45) +
                                    "\r\n[INTEGRATIONINFO]\r\nInfo1=x,int,pre,7\r\nInfo2=x,int,pre,8\r\n");
    chooseCategory(GROUP_SWP);
    chooseCategory(GROUP_INTEGRATION);
    addItem(GROUP_SWP, 12, true);
    addItem(GROUP_SWP, 99, false);
    addItem(GROUP_SWP, 70, false);
    addItem(GROUP_SWP, 45, true);     // position 3: its own index matches first
    addItem(GROUP_INTEGRATION, 8, true);
    recordSharedDefaults();
    struct Case {
        const char *section, *key, *mark;
    } cases[] = {
        {"SWPINFO", "Info3Default", "S"},  {"SWPINFO", "Info4Default", "S"},
        {"SWPINFO", "Info1Default", "<missing>"}, {"SWPINFO", "Info2Default", "<missing>"},
        {"SWPINFO", "Info5", "<missing>"}, {"INTEGRATIONINFO", "Info2Default", "S"},
        {"INTEGRATIONINFO", "Info1Default", "<missing>"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.mark, iniValue(installedIni, c.section, c.key)) << c.section << " / " << c.key;
}

TEST_F(BookkeepingTest, AddOnCopiesNewEntriesToTheFirstFreeIndexes)
{
    writeTextFile(installedIni, "[VWPINFO]\r\nInfo1=" + entry("a", 10) + "\r\nInfo2=" + entry("b", 11) +
                                    "\r\nInfo4=" + entry("d", 13) + "\r\n");
    writeTextFile(setupIni, "[VWPINFO]\r\nInfo1=" + entry("new77", 77) + "\r\nInfo2=" + entry("new78", 78) + "\r\n");
    chooseCategory(GROUP_VWP);
    addItem(GROUP_VWP, 77, true);
    addItem(GROUP_VWP, 78, true);
    addItem(GROUP_VWP, 79, true);   // nothing to copy: no entry in the new file
    recordSharedDefaults();
    EXPECT_EQ(entry("new77", 77), iniValue(installedIni, "VWPINFO", "Info3"));
    EXPECT_EQ("S", iniValue(installedIni, "VWPINFO", "Info3Default"));
    EXPECT_EQ(entry("d", 13), iniValue(installedIni, "VWPINFO", "Info4")) << "taken entries stay";
    EXPECT_EQ(entry("new78", 78), iniValue(installedIni, "VWPINFO", "Info5"));
    EXPECT_EQ("S", iniValue(installedIni, "VWPINFO", "Info5Default"));
    EXPECT_EQ("<missing>", iniValue(installedIni, "VWPINFO", "Info6"));
    EXPECT_EQ("<missing>", iniValue(installedIni, "VWPINFO", "Info6Default"));
}

TEST_F(BookkeepingTest, AddOnLeavesUnchosenGroupsAndItemsAndNeverWritesU)
{
    // MANUALINFO has entries in both files, so that only the rule keeps it out.
    const std::string before = "[VWPINFO]\r\nInfo1=" + entry("a", 10) + "\r\n[MANUALINFO]\r\nInfo1=" + entry("m", 9) + "\r\n";
    writeTextFile(installedIni, before);
    writeTextFile(setupIni, "[VWPINFO]\r\nInfo1=" + entry("n", 20) + "\r\n[SWPINFO]\r\nInfo1=" + entry("s", 30) +
                                "\r\n[MANUALINFO]\r\nInfo1=" + entry("m", 1) + "\r\n");
    chooseCategory(GROUP_VWP);
    chooseCategory(GROUP_MANUAL);
    addItem(GROUP_VWP, 20, false);
    addItem(GROUP_SWP, 30, true);   // its group is not chosen
    addItem(GROUP_MANUAL, 1, true);
    recordSharedDefaults();
    EXPECT_EQ(before, readTextFile(installedIni));
}

TEST_F(BookkeepingTest, AddOnMarksChosenCategoriesOnly)
{
    chooseCategory(GROUP_CONVTOOL);
    recordSharedDefaults();
    EXPECT_EQ("S", iniValue(installedIni, "CONVTOOLINFO", "Info1Default"));
    EXPECT_EQ("<missing>", iniValue(installedIni, "VIEWENGINEINFO", "Info1Default"));
}

TEST_F(BookkeepingTest, EntryWithoutANumberMatchesNoItem)
{
    writeTextFile(installedIni, "[TWPINFO]\r\nInfo1=short,line\r\nInfo2=" + entry("b", 5) + "\r\n");
    int firstFree = 0;
    EXPECT_EQ(0, findSharedEntry("TWPINFO", GROUP_TWP, -1, 0, &firstFree));
    EXPECT_EQ(3, firstFree);
    EXPECT_EQ(2, findSharedEntry("TWPINFO", GROUP_TWP, 5, 0, &firstFree));
}

TEST(EntryNumber, EleventhFieldOrFourthForIntegrations)
{
    struct Case {
        const char *value;
        int group;
        int32_t number;
    } cases[] = {
        {"a,b,c,d,e,f,g,h,i,j,181", GROUP_VWP, 181},
        {"a,b,c,d,e,f,g,h,i,j,  42,extra", GROUP_SPIC, 42},
        {"a,,b,c,d,e,f,g,h,i,j,7", GROUP_SWP, 7},   // empty fields do not count
        {"a,b,c,d,e,f,g,h,i,j", GROUP_SWP, -1},
        {"", GROUP_SWP, -1},
        {"a,b,pre, 12", GROUP_INTEGRATION, 12},
        {"a,b,pre", GROUP_INTEGRATION, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.number, entryNumber(c.value, c.group)) << c.value;
}

TEST_F(BookkeepingTest, WorkstationRecordsTheServerWithoutItsTrailingBackslash)
{
    struct Case {
        const char *serverDir, *recorded;
    } cases[] = {
        {"\\\\server\\lumoria\\", "\\\\server\\lumoria"},
        {"S:\\lumoria", "S:\\lumoria"},
        {"", ""},
    };
    for (const Case &c : cases) {
        strcpy(setupState->serverDir, c.serverDir);
        recordWorkstation();
        EXPECT_STREQ(c.recorded, setupState->serverDir);
        for (const char *name : {"Home", "Server"}) {
            DWORD type = 0;
            std::string data;
            ASSERT_TRUE(readRegValue(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, name, &type, &data)) << name;
            EXPECT_EQ((DWORD)REG_SZ, type);
            EXPECT_EQ(std::string(c.recorded) + '\0', data) << name << " from " << c.serverDir;
        }
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(readRegValue(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "WorkStation", &type, &data));
        EXPECT_EQ(std::string("TRUE", 5), data);
    }
}

} // namespace
