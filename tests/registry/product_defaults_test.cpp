// The registry defaults rebuilt from the selection: General, the viewers in
// VAPI and the converter tables with All_IDs, read back from Wine's registry
// after a run over a catalogue filled by hand and its install.ini lines.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include "registry/product_defaults.h"
#include "registry/registry_access.h"
#include "state/setup_state.h"
#include "support/test_support.h"
#include "registry_readback.h"

namespace {

const std::string VAPI = PRODUCT_KEY "\\VAPI";
const std::string WPCNV = PRODUCT_KEY "\\WPCnv";
const std::string GFXCNV = PRODUCT_KEY "\\GFXCnv";
const std::string IMGCNV = PRODUCT_KEY "\\IMGCnv";
const char *const OWNER_KEY = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

const std::vector<ExpectedValue> alwaysThere = {
    {"185.1", "doc 1 jordocve.dll"}, {"2", "text 1 jordocve.dll"}, {"jordocve.dll", "jorDOCVIEW"}};

std::vector<ExpectedValue> withAlways(std::vector<ExpectedValue> values)
{
    values.insert(values.end(), alwaysThere.begin(), alwaysThere.end());
    return values;
}

// A catalogue line: format code in field 5, direction fields 6 and 7 "9,9"
// so that a rewrite shows, image and graphics tokens 9 and 10, number 11.
std::string infoLine(const char *tag, const char *code, const char *image = "0", const char *graphics = "0")
{
    char line[128];
    snprintf(line, sizeof line, "%s,key,c,d,%s,9,9,h,%s,%s,%s", tag, code, image, graphics, code);
    return line;
}

std::string directed(std::string line, const char *fields)
{
    return line.replace(line.find(",9,9,"), 5, std::string(",") + fields + ",");
}

class ProductDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        resetRegistry();
        removeShellExtensionKeys();
        workstationInstall = 0;
        networkOptionEnabled = 0;
        dir = makeTempDir("product");
        SetupState &s = *setupState;
        strcpy(s.setupIniPath, (dir + "install.ini").c_str());
        strcpy(s.installDir, "C:\\VIEWER");
        strcpy(s.serverDir, "\\\\server\\lumoria\\");
        strcpy(s.userName, "Ann Reader");
        strcpy(s.companyName, "Reader Ltd");
        s.groups[CATEGORIES].itemCount = 11;
        ini = "[General]\r\nInternal=LU-4.0.0\r\n";
    }
    void TearDown() override
    {
        resetRegistry();
        removeShellExtensionKeys();
        workstationInstall = 0;
        networkOptionEnabled = 0;
    }

    void chooseCategory(int group) { setupState->groups[CATEGORIES].items[group].flags |= ITEM_SELECTED; }

    // Adds an item with its install.ini line under info<position+1>.
    void addItem(int group, const char *section, const char *code, bool selected, const std::string &line)
    {
        ComponentGroup &g = setupState->groups[group];
        ComponentItem &item = g.items[g.itemCount];
        strcpy(item.formatCode, code);
        item.number = atoi(code);
        item.flags = selected ? ITEM_SELECTED : 0;
        g.itemCount++;
        if (!line.empty())
            lines[section][g.itemCount] = line;
    }
    void addItem(int group, const char *section, const char *code, bool selected = true)
    {
        addItem(group, section, code, selected, infoLine(section, code));
    }

    void run()
    {
        std::string text = ini;
        for (const auto &section : lines) {
            text += "[" + section.first + "]\r\n";
            for (const auto &line : section.second)
                text += "info" + std::to_string(line.first) + "=" + line.second + "\r\n";
        }
        writeTextFile(dir + "install.ini", text);
        writeProductDefaults();
    }

    std::string dir, ini;
    std::map<std::string, std::map<int, std::string>> lines;   // section, n of info<n>
};

TEST_F(ProductDefaultsTest, NothingSelectedLeavesOnlyTheDocumentViewerAndGeneral)
{
    addItem(GROUP_VWP, "VWPINFO", "3", true);   // its category is not chosen
    run();
    expectKeyHolds(HKEY_LOCAL_MACHINE, VAPI, alwaysThere);
    for (const std::string &key : {WPCNV, GFXCNV, IMGCNV})
        EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, key.c_str())) << key;
    expectKeyHolds(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY,
                   {{"user", "Ann Reader"}, {"company", "Reader Ltd"}, {"HOME", "C:\\VIEWER"},
                    {"SERVER", "C:\\VIEWER"}, {"Internal", "LU-4.0.0"}});
    EXPECT_EQ("1 0 1", textOf(HKEY_CURRENT_USER, PRODUCT_KEY "\\OPTIONS", "General")) << "fixed defaults run too";
}

TEST_F(ProductDefaultsTest, DocumentViewersAndTheFormatsThatBringAConverter)
{
    chooseCategory(GROUP_VWP);
    addItem(GROUP_VWP, "VWPINFO", "181");
    addItem(GROUP_VWP, "VWPINFO", "45");   // a viewer without a converter
    addItem(GROUP_VWP, "VWPINFO", "3");
    addItem(GROUP_VWP, "VWPINFO", "13", false);
    addItem(GROUP_VWP, "VWPINFO", "");      // no code: not the key's default value
    run();
    expectKeyHolds(HKEY_LOCAL_MACHINE, VAPI,
                   withAlways({{"181", "doc 4 lxcm.dll 19"}, {"15", "doc 1 jordocve.dll"},
                               {"45", "doc 1 jordocve.dll"}, {"3", "doc 1 jordocve.dll"}}));
    expectKeyHolds(HKEY_LOCAL_MACHINE, WPCNV,
                   {{"3", directed(infoLine("VWPINFO", "3"), "1,0").c_str()},
                    {"181", directed(infoLine("VWPINFO", "181"), "1,0").c_str()},
                    {"All_IDs", "3,181"}});
}

TEST_F(ProductDefaultsTest, WordProcessorMaskChoosesTheLineAndItsDirection)
{
    chooseCategory(GROUP_VWP);
    chooseCategory(GROUP_SWP);
    chooseCategory(GROUP_TWP);
    struct Case {
        const char *code;
        bool viewer, source, target;
        const char *section;   // null: no value
        const char *fields;    // null: unchanged
    } cases[] = {
        {"3", true, true, false, "VWPINFO", "1,0"},     // mask 3
        {"13", false, true, true, "SWPINFO", nullptr},  // mask 6
        {"20", false, false, true, "TWPINFO", "0,1"},   // mask 4
        {"45", false, true, false, "SWPINFO", "1,0"},   // mask 2, any number
        {"27", true, true, true, "VWPINFO", nullptr},   // mask 7
        {"28", true, false, true, nullptr, nullptr},    // mask 5: no line
        {"29", true, false, false, "VWPINFO", "1,0"},   // mask 1
    };
    for (const Case &c : cases) {
        if (c.viewer)
            addItem(GROUP_VWP, "VWPINFO", c.code);
        if (c.source)
            addItem(GROUP_SWP, "SWPINFO", c.code);
        if (c.target)
            addItem(GROUP_TWP, "TWPINFO", c.code);
    }
    run();
    std::vector<std::string> data;
    std::vector<ExpectedValue> expected;
    data.reserve(16);
    for (const Case &c : cases) {
        if (!c.section)
            continue;
        std::string line = infoLine(c.section, c.code);
        data.push_back(c.fields ? directed(line, c.fields) : line);
        expected.push_back({c.code, data.back().c_str()});
    }
    expected.push_back({"All_IDs", "3,13,20,27,29,45"});
    expectKeyHolds(HKEY_LOCAL_MACHINE, WPCNV, expected);
}

TEST_F(ProductDefaultsTest, LineComesFromTheLastViewerButTheFirstConverterItem)
{
    chooseCategory(GROUP_VWP);
    chooseCategory(GROUP_SWP);
    addItem(GROUP_VWP, "VWPINFO", "3", true, infoLine("first viewer", "3"));
    addItem(GROUP_VWP, "VWPINFO", "3", true, infoLine("second viewer", "3"));
    addItem(GROUP_SWP, "SWPINFO", "13", true, infoLine("first source", "13"));
    addItem(GROUP_SWP, "SWPINFO", "13", true, infoLine("second source", "13"));
    chooseCategory(GROUP_SPIC);
    addItem(GROUP_SPIC, "SPICINFO", "85", true, infoLine("first picture", "85", "1", "1"));
    addItem(GROUP_SPIC, "SPICINFO", "85", true, infoLine("second picture", "85", "1", "1"));
    run();
    const std::string picture = directed(infoLine("second picture", "85", "1", "1"), "1,0");
    EXPECT_EQ(picture, textOf(HKEY_LOCAL_MACHINE, IMGCNV, "85")) << "a later picture item takes the place";
    EXPECT_EQ(picture, textOf(HKEY_LOCAL_MACHINE, GFXCNV, "85"));
    EXPECT_EQ(directed(infoLine("second viewer", "3"), "1,0"), textOf(HKEY_LOCAL_MACHINE, WPCNV, "3"));
    EXPECT_EQ(directed(infoLine("first source", "13"), "1,0"), textOf(HKEY_LOCAL_MACHINE, WPCNV, "13"));
}

TEST_F(ProductDefaultsTest, PictureViewersAndTheirConverters)
{
    chooseCategory(GROUP_SPIC);
    chooseCategory(GROUP_TPIC);
    addItem(GROUP_SPIC, "SPICINFO", "4", true, infoLine("spic", "4", "1"));
    addItem(GROUP_SPIC, "SPICINFO", "182", true, infoLine("spic", "182", "1"));
    addItem(GROUP_SPIC, "SPICINFO", "59", true, infoLine("spic", "59", "1"));
    addItem(GROUP_SPIC, "SPICINFO", "85", true, infoLine("spic", "85", "0", "1"));
    addItem(GROUP_SPIC, "SPICINFO", "22", true, infoLine("spic", "22", "0", "1"));
    addItem(GROUP_TPIC, "TPICINFO", "71", true, infoLine("tpic", "71", "1"));
    addItem(GROUP_TPIC, "TPICINFO", "4", true, infoLine("tpic", "4", "1"));
    addItem(GROUP_TPIC, "TPICINFO", "66", true, infoLine("tpic", "66", "0", "1"));
    run();
    expectKeyHolds(HKEY_LOCAL_MACHINE, VAPI,
                   withAlways({{"98", "ppnt 3 jorssfun.dll 4"}, {"4.4", "pic 1 jorpicve.dll"},
                               {"182", "fax 1 jorpicve.dll"}, {"71.19", "fax 1 jorpicve.dll"},
                               {"59.4", "pic 4 lxraster.dll 2"}, {"85.5", "wmf 3 lqifcnvt.dll 4"},
                               {"22.5", "wmf 1 jorwmfve.dll"}, {"66.5", "wmf 3 lqifcnvt.dll 4"},
                               {"jorwmfve.dll", "jorWMFVIEW"}, {"jorpicve.dll", "jorPICVIEW"}}));
    const std::string img4 = infoLine("spic", "4", "1"), img59 = directed(infoLine("spic", "59", "1"), "1,0"),
                      img71 = directed(infoLine("tpic", "71", "1"), "0,1"),
                      img182 = directed(infoLine("spic", "182", "1"), "1,0");
    expectKeyHolds(HKEY_LOCAL_MACHINE, IMGCNV,
                   {{"4", img4.c_str()}, {"59", img59.c_str()}, {"71", img71.c_str()}, {"182", img182.c_str()},
                    {"All_IDs", "4,59,71,182"}});
    const std::string gfx22 = directed(infoLine("spic", "22", "0", "1"), "1,0"),
                      gfx66 = directed(infoLine("tpic", "66", "0", "1"), "0,1"),
                      gfx85 = directed(infoLine("spic", "85", "0", "1"), "1,0");
    expectKeyHolds(HKEY_LOCAL_MACHINE, GFXCNV,
                   {{"22", gfx22.c_str()}, {"66", gfx66.c_str()}, {"85", gfx85.c_str()}, {"All_IDs", "22,66,85"}});
}

TEST_F(ProductDefaultsTest, TargetPicturesAloneRegisterOnlyTheGraphicsViewer)
{
    chooseCategory(GROUP_TPIC);
    addItem(GROUP_TPIC, "TPICINFO", "71", true, infoLine("tpic", "71", "1"));
    addItem(GROUP_TPIC, "TPICINFO", "22", true, infoLine("tpic", "22", "0", "1"));
    run();
    expectKeyHolds(HKEY_LOCAL_MACHINE, VAPI,
                   withAlways({{"22.5", "wmf 1 jorwmfve.dll"}, {"jorwmfve.dll", "jorWMFVIEW"}}));
    EXPECT_EQ(directed(infoLine("tpic", "71", "1"), "0,1"), textOf(HKEY_LOCAL_MACHINE, IMGCNV, "71"));
}

TEST_F(ProductDefaultsTest, PictureLinesWithoutBothTokensAreNotRegistered)
{
    chooseCategory(GROUP_SPIC);
    addItem(GROUP_SPIC, "SPICINFO", "4", true, "a,b,c,d,4,1,1,h,1");   // nine tokens
    addItem(GROUP_SPIC, "SPICINFO", "25", true, "");                    // no line at all
    addItem(GROUP_SPIC, "SPICINFO", "56", true, infoLine("spic", "56", " 1", " 1"));  // blanks count
    addItem(GROUP_SPIC, "SPICINFO", "70", true, "a,b,c,d,70,1,1,,,h,,1,1");  // empty tokens skipped
    run();
    expectKeyHolds(HKEY_LOCAL_MACHINE, VAPI,
                   withAlways({{"70.4", "pic 1 jorpicve.dll"}, {"70.5", "wmf 1 jorwmfve.dll"},
                               {"jorwmfve.dll", "jorWMFVIEW"}, {"jorpicve.dll", "jorPICVIEW"}}));
    EXPECT_EQ("70", textOf(HKEY_LOCAL_MACHINE, IMGCNV, "All_IDs"));
}

TEST_F(ProductDefaultsTest, WorkbookAndArchiveViewers)
{
    chooseCategory(GROUP_SPREADSHEET);
    chooseCategory(GROUP_INTERUTIL);
    for (const char *code : {"90", "81"})
        addItem(GROUP_SPREADSHEET, "SPREADSHEETINFO", code);
    for (const char *code : {"192", "0192", "198", "206", "132", "194", "167", "50"})
        addItem(GROUP_INTERUTIL, "INTERUTILINFO", code);
    run();
    expectKeyHolds(HKEY_LOCAL_MACHINE, VAPI,
                   withAlways({{"188.2", "wkb 1 jorwkbve.dll"}, {"90.2.0", "wkb 1 jorwkbve.dll"},
                               {"90.2.2", "wkb 1 jorwkbve.dll"}, {"90.2.4", "wkb 1 jorwkbve.dll"},
                               {"90.2.3", "wmf 4 lxvector.dll 2"}, {"40.2.3", "wmf 4 lxvector.dll 2"},
                               {"44.2.3", "wmf 4 lxvector.dll 2"}, {"81.2.0", "wkb 1 jorwkbve.dll"},
                               {"192", "0 2 jorzee.dll 2"}, {"198", "0 2 jorgz.dll 10"},
                               {"206", "0 2 jorhqx.dll 2"}, {"132", "zip 1 jorwkbve.dll"},
                               {"194", "zip 1 jorwkbve.dll"}, {"167", "zip 1 jorwkbve.dll"},
                               {"50", "wkb 1 jorwkbve.dll"}, {"jorwkbve.dll", "jorWKBVIEW"}}));
}

TEST_F(ProductDefaultsTest, NetworkOptionCountsEverythingButUnchosenTargets)
{
    networkOptionEnabled = 1;
    addItem(GROUP_VWP, "VWPINFO", "3", false);
    addItem(GROUP_TWP, "TWPINFO", "13", false);
    addItem(GROUP_TWP, "TWPINFO", "20", true);
    run();
    expectKeyHolds(HKEY_LOCAL_MACHINE, WPCNV,
                   {{"3", directed(infoLine("VWPINFO", "3"), "1,0").c_str()},
                    {"20", directed(infoLine("TWPINFO", "20"), "0,1").c_str()},
                    {"All_IDs", "3,20"}});
    EXPECT_EQ("\\\\server\\lumoria", textOf(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "SERVER"));
    EXPECT_STREQ("\\\\server\\lumoria", setupState->serverDir) << "the field itself loses its backslash";
    EXPECT_EQ("C:\\VIEWER", textOf(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "HOME"));
}

TEST_F(ProductDefaultsTest, WorkstationLeavesHomeAndServerAndMissingInternalIsEmpty)
{
    workstationInstall = 1;
    networkOptionEnabled = 1;
    ini = "[General]\r\n";
    run();
    expectKeyHolds(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY,
                   {{"user", "Ann Reader"}, {"company", "Reader Ltd"}, {"Internal", ""}});
}

TEST_F(ProductDefaultsTest, SecondRunRestoresUserDefaultsAndDropsDeselectedViewers)
{
    chooseCategory(GROUP_VWP);
    chooseCategory(GROUP_SPIC);
    addItem(GROUP_VWP, "VWPINFO", "3");
    addItem(GROUP_SPIC, "SPICINFO", "85", true, infoLine("spic", "85", "1", "1"));
    run();
    ASSERT_EQ("3", textOf(HKEY_LOCAL_MACHINE, WPCNV, "All_IDs"));
    ASSERT_EQ("85", textOf(HKEY_LOCAL_MACHINE, GFXCNV, "All_IDs"));
    setRegText(HKEY_CURRENT_USER, PRODUCT_KEY "\\OPTIONS", "RasterImages", "9");
    setRegText(HKEY_CURRENT_USER, PRODUCT_KEY "\\HTML", "H1FONT", "Comic 40");
    setRegText(HKEY_CURRENT_USER, PRODUCT_KEY "\\LaunchManager\\General", "TalkDDE", "0");
    setRegText(HKEY_CURRENT_USER, PRODUCT_KEY "\\LaunchManager\\General", "Position", "10 10");
    setupState->groups[GROUP_VWP].items[0].flags = 0;
    setupState->groups[GROUP_SPIC].items[0].flags = 0;
    run();
    EXPECT_EQ("3 100 0 100 1 1", textOf(HKEY_CURRENT_USER, PRODUCT_KEY "\\OPTIONS", "RasterImages"));
    EXPECT_EQ("Arial 22 b", textOf(HKEY_CURRENT_USER, PRODUCT_KEY "\\HTML", "H1FONT"));
    EXPECT_EQ("1", textOf(HKEY_CURRENT_USER, PRODUCT_KEY "\\LaunchManager\\General", "TalkDDE"));
    EXPECT_EQ("", textOf(HKEY_CURRENT_USER, PRODUCT_KEY "\\LaunchManager\\General", "Position"));
    expectKeyHolds(HKEY_LOCAL_MACHINE, VAPI, alwaysThere);
    for (const std::string &key : {WPCNV, GFXCNV, IMGCNV})
        EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, key.c_str())) << key;
}

TEST_F(ProductDefaultsTest, FormatNumbersOutsideTheTablesAreNotMarked)
{
    chooseCategory(GROUP_SWP);
    chooseCategory(GROUP_SPIC);
    chooseCategory(GROUP_VWP);
    for (const char *code : {"299", "300", "65535"})
        addItem(GROUP_SWP, "SWPINFO", code);
    addItem(GROUP_SPIC, "SPICINFO", "300", true, infoLine("spic", "300", "1", "1"));
    addItem(GROUP_VWP, "VWPINFO", "99999");
    run();
    EXPECT_EQ("299", textOf(HKEY_LOCAL_MACHINE, WPCNV, "All_IDs"));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, IMGCNV.c_str()));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, GFXCNV.c_str()));
    EXPECT_EQ("pic 1 jorpicve.dll", textOf(HKEY_LOCAL_MACHINE, VAPI, "300.4")) << "the viewer is still named";
    EXPECT_EQ("doc 1 jordocve.dll", textOf(HKEY_LOCAL_MACHINE, VAPI, "99999"));
}

TEST_F(ProductDefaultsTest, LongIdListAndGrownLinesAreWrittenWhole)
{
    chooseCategory(GROUP_SWP);
    chooseCategory(GROUP_TWP);
    std::string ids;
    for (int n = 200; n < 280; n++) {
        std::string code = std::to_string(n);
        addItem(n < 240 ? GROUP_SWP : GROUP_TWP, n < 240 ? "SWPINFO" : "TWPINFO", code.c_str());
        ids += (ids.empty() ? "" : ",") + code;
    }
    // A 99-character line with empty direction fields grows by two.
    std::string longLine = "a,b,c,d,e,,," + std::string(87, 'x');
    lines["SWPINFO"][1] = longLine;
    run();
    EXPECT_EQ(ids, textOf(HKEY_LOCAL_MACHINE, WPCNV, "All_IDs")) << ids.size() << " characters";
    EXPECT_EQ("a,b,c,d,e,1,0," + std::string(87, 'x'), textOf(HKEY_LOCAL_MACHINE, WPCNV, "200"));
}

TEST_F(ProductDefaultsTest, EveryFormatNumberMarkedListsAllOfThemOnce)
{
    writeTextFile(dir + "install.ini", "[SWPINFO]\r\ninfo1=" + infoLine("s", "1") + "\r\n");
    static ConverterMarks marks;
    std::string ids;
    for (int n = 0; n < FORMAT_NUMBERS; n++) {
        marks.wp[n] = {MARK_SOURCE | MARK_TARGET, 0};
        ids += (n ? "," : "") + std::to_string(n);
    }
    writeConverterTables(&marks);
    EXPECT_EQ(ids, textOf(HKEY_LOCAL_MACHINE, WPCNV, "All_IDs"));
    EXPECT_EQ(infoLine("s", "1"), textOf(HKEY_LOCAL_MACHINE, WPCNV, "299"));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, GFXCNV.c_str()));
}

TEST(DirectionFields, SixthAndSeventhFieldsRewrittenOrLineLeftAlone)
{
    struct Case {
        const char *line;
        size_t cap;
        int first, second;
        const char *result;
        bool rewritten;
    } cases[] = {
        {"a,b,c,d,e,1,1,x,y", 64, 1, 0, "a,b,c,d,e,1,0,x,y", true},
        {"a,b,c,d,e,1,1,x,y", 64, 0, 1, "a,b,c,d,e,0,1,x,y", true},
        {"a,b,c,d,e,long,longer,x", 64, 1, 0, "a,b,c,d,e,1,0,x", true},
        {",,,,,,,", 10, 1, 0, ",,,,,1,0,", true},      // empty fields count
        {",,,,,,,", 9, 1, 0, ",,,,,,,", false},        // would not fit
        {"a,b,c,d,e,1,1", 64, 1, 0, "a,b,c,d,e,1,1", false},  // six commas
        {"", 64, 0, 1, "", false},
    };
    for (const Case &c : cases) {
        char line[64];
        strcpy(line, c.line);
        EXPECT_EQ(c.rewritten, setDirectionFields(line, c.cap, c.first, c.second)) << c.line;
        EXPECT_STREQ(c.result, line) << c.line << " in " << c.cap;
    }
}

class RegisteredOwnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        hadOwner = readRegValue(HKEY_LOCAL_MACHINE, OWNER_KEY, "RegisteredOwner", &ownerType, &owner);
        hadOrganization = readRegValue(HKEY_LOCAL_MACHINE, OWNER_KEY, "RegisteredOrganization", &organizationType,
                                       &organization);
    }
    void TearDown() override
    {
        restore("RegisteredOwner", hadOwner, ownerType, owner);
        restore("RegisteredOrganization", hadOrganization, organizationType, organization);
    }
    static void restore(const char *name, bool had, DWORD type, const std::string &data)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, OWNER_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        if (had)
            RegSetValueExA(key, name, 0, type, (const BYTE *)data.data(), (DWORD)data.size());
        else
            RegDeleteValueA(key, name);
        RegCloseKey(key);
    }

    bool hadOwner = false, hadOrganization = false;
    DWORD ownerType = 0, organizationType = 0;
    std::string owner, organization;
};

TEST_F(RegisteredOwnerTest, OwnerAndOrganizationFillEmptyNamesCutTo59)
{
    std::string longOwner(80, 'o');
    setRegText(HKEY_LOCAL_MACHINE, OWNER_KEY, "RegisteredOwner", longOwner.c_str());
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, OWNER_KEY, "RegisteredOrganization");
    readRegisteredOwner();
    EXPECT_EQ(std::string(59, 'o'), setupState->userName);
    EXPECT_STREQ("", setupState->companyName) << "missing organization";

    setRegText(HKEY_LOCAL_MACHINE, OWNER_KEY, "RegisteredOwner", "Windows Owner");
    setRegText(HKEY_LOCAL_MACHINE, OWNER_KEY, "RegisteredOrganization", "Windows Org");
    strcpy(setupState->userName, "Typed Name");
    readRegisteredOwner();
    EXPECT_STREQ("Typed Name", setupState->userName) << "a name already known is kept";
    EXPECT_STREQ("Windows Org", setupState->companyName);
}

} // namespace
