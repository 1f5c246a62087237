// The integrations: IntegInstall and IntegDeinstall as the host calls them,
// with real install.ini and layout files and the integration module
// stand-ins copied into each test's media folder; the status probe and the
// module call through the static core.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <sstream>
#include <string>
#include <vector>

#include "autopilot/autopilot.h"
#include "registry/integrations.h"
#include "registry/registry_access.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

struct ModuleCall {
    std::string module;
    int ordinal;
    std::string installDir;  // empty for calls without arguments
    std::string layoutFile;
    bool withArguments;
};

// Lines of the stand-ins' shared log: module, ordinal and, for the switching
// functions, the two arguments, separated by tabs.
std::vector<ModuleCall> readCalls(const std::string &dir)
{
    std::vector<ModuleCall> calls;
    std::istringstream lines(readTextFile(dir + "integration-calls.log"));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        ModuleCall call{"", -1, "", "", false};
        std::string ordinal;
        std::getline(fields, call.module, '\t');
        std::getline(fields, ordinal, '\t');
        call.ordinal = atoi(ordinal.c_str());
        call.withArguments = (bool)std::getline(fields, call.installDir, '\t');
        std::getline(fields, call.layoutFile, '\t');
        calls.push_back(call);
    }
    return calls;
}

std::vector<int> ordinalsOf(const std::vector<ModuleCall> &calls, const std::string &module)
{
    std::vector<int> ordinals;
    for (const ModuleCall &c : calls)
        if (c.module == module)
            ordinals.push_back(c.ordinal);
    return ordinals;
}

class IntegrationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        resetRegistry();
        clearCtl3dLog();
        media = makeTempDir("integ");
        installResourceModule(media);
        useMedia(media);
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        resetRegistry();
    }

    void useMedia(const std::string &dir)
    {
        memset(&record, 0, sizeof record);
        snprintf(record.setupIniPath, sizeof record.setupIniPath, "%sinstall.ini", dir.c_str());
        snprintf(record.layoutFilePath, sizeof record.layoutFilePath, "%slayout.inf", dir.c_str());
        snprintf(record.sourceDir, sizeof record.sourceDir, "%s", dir.c_str());
        snprintf(record.installDir, sizeof record.installDir, "C:\\Lumoria");
    }

    // install.ini with the install type and one INTEGRATION item per prefix.
    void writeSetup(const char *type, const std::vector<std::string> &prefixes, const std::string &dir = "")
    {
        std::string text = std::string("[General]\r\nTYPE=") + type + "\r\n[INTEGRATIONINFO]\r\n";
        for (size_t i = 0; i < prefixes.size(); i++)
            text += "Info" + std::to_string(i + 1) + "=x,INTEG" + std::to_string(i + 1) + "," + prefixes[i] +
                    "," + std::to_string(i + 1) + "\r\n";
        writeTextFile((dir.empty() ? media : dir) + "install.ini", text);
    }

    void writeLayout(int fixedCount, const std::string &dir = "")
    {
        std::string text = "[FIXEDINTEGRATIONS]\r\n";
        for (int k = 1; k <= fixedCount; k++)
            text += "Info" + std::to_string(k) + "=fixed" + std::to_string(k) + "\r\n";
        writeTextFile((dir.empty() ? media : dir) + "layout.inf", text);
    }

    // A stand-in copied into the media folder under the given file name.
    void installModule(const std::string &file, const char *standin = "pnint.dll", const std::string &dir = "")
    {
        ASSERT_TRUE(copyFileTo(exeDir() + standin, (dir.empty() ? media : dir) + file)) << file;
    }

    void answers(const std::string &file, const std::string &lines, const std::string &dir = "")
    {
        writeTextFile((dir.empty() ? media : dir) + file + ".answers", lines);
    }

    void setHostBytes(std::initializer_list<int> bytes)
    {
        int i = 0;
        for (int b : bytes)
            record.integrationResults[i++] = (unsigned char)b;
    }

    std::vector<int> hostBytes(int count) const
    {
        return std::vector<int>(record.integrationResults, record.integrationResults + count);
    }

    void expectNothingLoaded(const std::string &dir, const std::vector<std::string> &files)
    {
        for (const std::string &file : files)
            EXPECT_EQ(nullptr, GetModuleHandleA((dir + file).c_str())) << file << " left loaded";
    }

    std::vector<ModuleCall> calls() const { return readCalls(media); }

    std::string media;
    HostSetupInfo record;
};

TEST_F(IntegrationsTest, BothEntriesBracketCtl3dShowNothingAndLogTheirBytes)
{
    ASSERT_NE(nullptr, EXPORTED(IntegInstall));
    ASSERT_NE(nullptr, EXPORTED(IntegDeinstall));
    writeSetup("STANDARD", {"a", "b"});
    writeLayout(0);
    std::string log = media + "setup.log";
    ASSERT_EQ(1, EXPORTED(setupLogFile)(log.c_str()));
    EXPORTED(IntegInstall)(7, 8, &record);
    EXPORTED(IntegDeinstall)(7, 8, &record);
    EXPORTED(setupLogFile)(nullptr);
    EXPECT_EQ((std::vector<int>{12, 16, 13, 12, 16, 13}), ctl3dCalls()) << "each entry brackets CTL3D";
    EXPECT_TRUE(autopilotLog().empty());
    std::string logged = readTextFile(log);
    EXPECT_NE(std::string::npos, logged.find("IntegInstall: 2 integration(s), bytes 0000")) << logged;
    EXPECT_NE(std::string::npos, logged.find("IntegDeinstall: 2 integration(s), bytes ")) << logged;
}

TEST_F(IntegrationsTest, InstallSwitchesOnItemsWhoseHostByteHasBitOne)
{
    writeSetup("STANDARD", {"a", "b", "c", "d"});
    writeLayout(0);
    for (const char *file : {"apnint.dll", "bpnint.dll", "cpnint.dll", "dpnint.dll"})
        installModule(file);
    answers("apnint.dll", "3=0x105\n");  // only the low byte reaches the host
    answers("cpnint.dll", "3=0\n");
    answers("dpnint.dll", "3=9\n");
    setHostBytes({1, 2, 3, 0x81});
    EXPORTED(IntegInstall)(0, 0, &record);

    std::vector<ModuleCall> seen = calls();
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ("apnint.dll", seen[0].module);
    EXPECT_EQ("cpnint.dll", seen[1].module);
    EXPECT_EQ("dpnint.dll", seen[2].module);
    for (const ModuleCall &c : seen) {
        EXPECT_EQ(3, c.ordinal) << c.module;
        EXPECT_EQ("C:\\Lumoria", c.installDir) << c.module;
        EXPECT_EQ(media + "layout.inf", c.layoutFile) << c.module;
    }
    EXPECT_EQ((std::vector<int>{5, 2, 0, 9}), hostBytes(4)) << "byte 2 skipped, the others answered";
    expectNothingLoaded(media, {"apnint.dll", "bpnint.dll", "cpnint.dll", "dpnint.dll"});
}

TEST_F(IntegrationsTest, DeinstallSwitchesOffWhatTheModulesReport)
{
    writeSetup("STANDARD", {"a", "b", "c", "d"});
    writeLayout(0);
    for (const char *file : {"apnint.dll", "bpnint.dll", "cpnint.dll", "dpnint.dll"})
        installModule(file);
    answers("apnint.dll", "2=1\n");
    answers("bpnint.dll", "2=2\n");
    answers("cpnint.dll", "2=4\n");
    answers("dpnint.dll", "2=0x100\n");  // low byte 0: unavailable
    setHostBytes({0, 0, 1, 1});
    EXPORTED(IntegDeinstall)(0, 0, &record);

    EXPECT_EQ((std::vector<int>{1, 2, 4, 0}), hostBytes(4)) << "the modules' answers replace the host's";
    std::vector<ModuleCall> seen = calls();
    EXPECT_EQ((std::vector<int>{2, 4}), ordinalsOf(seen, "apnint.dll"));
    EXPECT_EQ((std::vector<int>{2, 4}), ordinalsOf(seen, "bpnint.dll"));
    EXPECT_EQ((std::vector<int>{2}), ordinalsOf(seen, "cpnint.dll")) << "neither bit 1 nor 2";
    EXPECT_EQ((std::vector<int>{2}), ordinalsOf(seen, "dpnint.dll"));
    for (const ModuleCall &c : seen)
        if (c.ordinal == 4) {
            EXPECT_EQ("C:\\Lumoria", c.installDir);
            EXPECT_EQ(media + "layout.inf", c.layoutFile);
        }
    expectNothingLoaded(media, {"apnint.dll", "bpnint.dll", "cpnint.dll", "dpnint.dll"});
}

TEST_F(IntegrationsTest, MaintenanceDeinstallFollowsTheHostBytes)
{
    writeSetup("STANDARD", {"a", "b", "c", "d"});
    writeLayout(0);
    for (const char *file : {"apnint.dll", "bpnint.dll", "cpnint.dll", "dpnint.dll"})
        installModule(file);
    answers("dpnint.dll", "2=0\n");
    record.maintenanceMode = 1;
    setHostBytes({0, 4, 2, 1});
    EXPORTED(IntegDeinstall)(0, 0, &record);

    EXPECT_EQ((std::vector<int>{0, 4, 2, 1}), hostBytes(4)) << "the host's bytes are put back";
    std::vector<ModuleCall> seen = calls();
    EXPECT_EQ((std::vector<int>{2, 4}), ordinalsOf(seen, "apnint.dll")) << "host byte 0 switched off";
    EXPECT_EQ((std::vector<int>{2}), ordinalsOf(seen, "bpnint.dll")) << "host byte 4 left alone";
    EXPECT_EQ((std::vector<int>{2, 4}), ordinalsOf(seen, "cpnint.dll")) << "host byte 2 switched off";
    EXPECT_EQ((std::vector<int>{2, 4}), ordinalsOf(seen, "dpnint.dll")) << "the host's byte decides";
}

TEST_F(IntegrationsTest, FixedIntegrationOrdinalsFollowTheirNumber)
{
    writeSetup("STANDARD", {});
    writeLayout(2);
    installModule("fixint.dll", "fixint.dll");
    EXPORTED(IntegInstall)(0, 0, &record);
    EXPECT_EQ((std::vector<int>{2, 3, 5, 6}), ordinalsOf(calls(), "fixint.dll"));

    DeleteFileA((media + "integration-calls.log").c_str());
    EXPORTED(IntegDeinstall)(0, 0, &record);
    std::vector<ModuleCall> seen = calls();
    EXPECT_EQ((std::vector<int>{2, 4, 5, 7}), ordinalsOf(seen, "fixint.dll"));
    for (const ModuleCall &c : seen)
        EXPECT_EQ(c.ordinal != 2 && c.ordinal != 5, c.withArguments) << "ordinal " << c.ordinal;
    expectNothingLoaded(media, {"fixint.dll"});
}

TEST_F(IntegrationsTest, FixedStatusBitsDecideTheSwitching)
{
    writeSetup("STANDARD", {});
    writeLayout(4);
    installModule("fixint.dll", "fixint.dll");
    // Statuses 0, 1, 2 and 3 for fixed integrations 1..4.
    answers("fixint.dll", "2=0\n5=1\n8=2\n11=3\n");
    EXPORTED(IntegInstall)(0, 0, &record);
    EXPECT_EQ((std::vector<int>{2, 5, 6, 8, 11, 12}), ordinalsOf(calls(), "fixint.dll")) << "bit 1 switches on";
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), hostBytes(4));

    DeleteFileA((media + "integration-calls.log").c_str());
    EXPORTED(IntegDeinstall)(0, 0, &record);
    EXPECT_EQ((std::vector<int>{2, 5, 7, 8, 10, 11, 13}), ordinalsOf(calls(), "fixint.dll"))
        << "bit 1 or 2 switches off";
}

TEST_F(IntegrationsTest, FixedStatusBytesFollowTheItems)
{
    writeSetup("STANDARD", {"a", "b", "c"});
    writeLayout(2);
    for (const char *file : {"apnint.dll", "bpnint.dll", "cpnint.dll"})
        installModule(file);
    installModule("fixint.dll", "fixint.dll");
    answers("fixint.dll", "2=0x41\n5=0x40\n");
    memset(record.integrationResults, 0xEE, sizeof record.integrationResults);
    setHostBytes({0, 0, 0});
    EXPORTED(IntegInstall)(0, 0, &record);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0x41, 0x40, 0xEE}), hostBytes(6));

    memset(record.integrationResults, 0xEE, sizeof record.integrationResults);
    answers("fixint.dll", "2=7\n5=9\n");
    EXPORTED(IntegDeinstall)(0, 0, &record);
    EXPECT_EQ((std::vector<int>{1, 1, 1, 7, 9, 0xEE}), hostBytes(6));
}

TEST_F(IntegrationsTest, LegacyCustomAndNotesInstallsSkipFixedIntegrations)
{
    writeLayout(2);
    installModule("apnint.dll");
    installModule("fixint.dll", "fixint.dll");
    struct Case {
        const char *type;
        bool fixedCalled;
    } cases[] = {{"LEGACY", false}, {"CUSTOM", false}, {"NOTES", false},
                 {"STANDARD", true}, {"DEMO", true}, {"EVALUATION", true}};
    for (const Case &c : cases) {
        writeSetup(c.type, {"a"});
        for (auto entry : {EXPORTED(IntegInstall), EXPORTED(IntegDeinstall)}) {
            DeleteFileA((media + "integration-calls.log").c_str());
            setHostBytes({1});
            EXPECT_EQ(0, entry(0, 0, &record));
            std::vector<ModuleCall> seen = calls();
            EXPECT_EQ(c.fixedCalled, !ordinalsOf(seen, "fixint.dll").empty()) << c.type;
            EXPECT_FALSE(ordinalsOf(seen, "apnint.dll").empty()) << c.type << ": items are still switched";
        }
    }
}

TEST_F(IntegrationsTest, SourceDirWithoutBackslashLoadsNoModule)
{
    writeSetup("STANDARD", {"a"});
    writeLayout(1);
    installModule("apnint.dll");
    installModule("fixint.dll", "fixint.dll");
    std::string runTogether = media.substr(0, media.size() - 1);
    snprintf(record.sourceDir, sizeof record.sourceDir, "%s", runTogether.c_str());
    setHostBytes({1, 0xEE});
    // The resource module is not found either: its box, then the work goes on.
    autopilotQueue(pressButton(IDOK));
    EXPORTED(IntegInstall)(0, 0, &record);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ((std::vector<int>{0, 0}), hostBytes(2)) << "nothing loaded: both answers are 0";
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ("LanEnter", autopilotLog()[0].caption);
}

TEST_F(IntegrationsTest, FailedPrologueDoesNotStopEitherEntry)
{
    DeleteFileA((media + "luinsres.dll").c_str());
    writeSetup("STANDARD", {"a"});
    writeLayout(1);
    installModule("apnint.dll");
    installModule("fixint.dll", "fixint.dll");
    setHostBytes({1});
    autopilotQueue(pressButton(IDOK));
    autopilotQueue(pressButton(IDOK));
    EXPORTED(IntegInstall)(0, 0, &record);
    EXPORTED(IntegDeinstall)(0, 0, &record);
    ASSERT_EQ(2u, autopilotLog().size());
    for (const DialogSeen &box : autopilotLog())
        EXPECT_EQ("LanEnter", box.caption);
    std::vector<ModuleCall> seen = calls();
    EXPECT_EQ((std::vector<int>{3, 2, 4}), ordinalsOf(seen, "apnint.dll"));
    EXPECT_EQ((std::vector<int>{2, 3, 2, 4}), ordinalsOf(seen, "fixint.dll"));
    EXPECT_EQ((std::vector<int>{12, 16, 13, 12, 16, 13}), ctl3dCalls());
}

TEST_F(IntegrationsTest, MissingModuleOrOrdinalAnswersZeroWithoutABox)
{
    // Item 1's module is missing, item 2's lacks ordinal 2; fixed
    // integration 11 lies beyond the ordinals fixint.dll exports.
    writeSetup("STANDARD", {"a", "nostatus"});
    writeLayout(11);
    installModule("nostatuspnint.dll", "nostatuspnint.dll");
    installModule("fixint.dll", "fixint.dll");
    answers("fixint.dll", "29=1\n");
    setHostBytes({1, 1});
    EXPORTED(IntegInstall)(0, 0, &record);
    EXPECT_EQ(0, record.integrationResults[0]) << "missing module reported as 0";
    EXPECT_EQ(1, record.integrationResults[1]) << "ordinal 3 is there";
    EXPECT_EQ(1, record.integrationResults[11]) << "fixed integration 10";
    EXPECT_EQ(0, record.integrationResults[12]) << "fixed integration 11: no ordinal 32";
    EXPECT_TRUE(autopilotLog().empty()) << "the loader's box is suppressed";

    DeleteFileA((media + "integration-calls.log").c_str());
    memset(record.integrationResults, 0xEE, sizeof record.integrationResults);
    EXPORTED(IntegDeinstall)(0, 0, &record);
    EXPECT_EQ((std::vector<int>{0, 0}), hostBytes(2)) << "no status: unavailable";
    EXPECT_TRUE(ordinalsOf(calls(), "nostatuspnint.dll").empty()) << "an unavailable item is not switched off";
    EXPECT_EQ(0, record.integrationResults[12]);
    EXPECT_TRUE(autopilotLog().empty());
}

TEST_F(IntegrationsTest, WorkstationModulesGetTheServerDirectory)
{
    setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "WorkStation", "TRUE");
    writeSetup("STANDARD", {"a"});
    writeLayout(1);
    installModule("apnint.dll");
    installModule("fixint.dll", "fixint.dll");
    struct Case {
        const char *serverDir;
        const char *expected;
    } cases[] = {
        {"S:\\Shared\\Lumoria\\", "S:\\Shared\\Lumoria"},
        {"S:\\Shared\\Lumoria", "S:\\Shared\\Lumoria"},
        {"S:\\Twice\\\\", "S:\\Twice"},  // made absolute: the doubled separator is one
    };
    for (const Case &c : cases) {
        snprintf(record.serverDir, sizeof record.serverDir, "%s", c.serverDir);
        for (auto entry : {EXPORTED(IntegInstall), EXPORTED(IntegDeinstall)}) {
            DeleteFileA((media + "integration-calls.log").c_str());
            setHostBytes({1});
            entry(0, 0, &record);
            std::vector<ModuleCall> seen = calls();
            int switched = 0;
            for (const ModuleCall &call : seen)
                if (call.withArguments) {
                    switched++;
                    EXPECT_EQ(c.expected, call.installDir) << call.module << " " << call.ordinal;
                }
            EXPECT_EQ(2, switched) << c.serverDir;
        }
    }
}

TEST_F(IntegrationsTest, WithoutWorkstationTheHostsDirectoryIsPassedOn)
{
    setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "WorkStation", "FALSE");
    writeSetup("STANDARD", {"a"});
    writeLayout(0);
    installModule("apnint.dll");
    snprintf(record.serverDir, sizeof record.serverDir, "S:\\Shared\\");
    snprintf(record.installDir, sizeof record.installDir, "D:\\Apps\\Lumoria");
    setHostBytes({1});
    EXPORTED(IntegInstall)(0, 0, &record);
    std::vector<ModuleCall> seen = calls();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("D:\\Apps\\Lumoria", seen[0].installDir);
}

TEST_F(IntegrationsTest, MoreThanFiftyIntegrationsStopAtTheLastByte)
{
    std::vector<std::string> prefixes;
    for (int i = 0; i < MAX_INTEGRATIONS; i++)
        prefixes.push_back(std::string("p") + (char)('a' + i));
    writeSetup("STANDARD", prefixes);
    writeLayout(40);
    installModule("fixint.dll", "fixint.dll");
    answers("fixint.dll", "2=5\n29=6\n");
    memset(record.integrationResults, 0xEE, sizeof record.integrationResults);
    record.upgradeMode = 0x5A5A5A5A;
    record.maintenanceMode = 0;
    for (auto entry : {EXPORTED(IntegInstall), EXPORTED(IntegDeinstall)}) {
        EXPECT_EQ(0, entry(0, 0, &record));
        EXPECT_EQ(0x5A5A5A5A, record.upgradeMode) << "nothing written past byte 49";
        EXPECT_EQ(0, record.maintenanceMode);
        EXPECT_EQ(5, record.integrationResults[20]) << "fixed integration 1";
        EXPECT_EQ(6, record.integrationResults[29]) << "fixed integration 10";
        for (int b = 30; b < 50; b++)
            EXPECT_EQ(0, record.integrationResults[b]) << "byte " << b << ": missing ordinal answered 0";
    }
}

TEST_F(IntegrationsTest, ModulePathsOfMoreThan99CharactersAreNotLoaded)
{
    // Folders whose paths with "apnint.dll" come to exactly 99 and 100
    // characters.
    for (size_t length : {99u, 100u}) {
        size_t padding = length - media.size() - 1 - strlen("apnint.dll");
        std::string dir = media + std::string(padding, 'd') + "\\";
        ASSERT_EQ(length, dir.size() + strlen("apnint.dll"));
        CreateDirectoryA(dir.c_str(), nullptr);
        installResourceModule(dir);
        writeSetup("STANDARD", {"a"}, dir);
        writeLayout(0, dir);
        installModule("apnint.dll", "pnint.dll", dir);
        useMedia(dir);
        setHostBytes({1});
        EXPORTED(IntegInstall)(0, 0, &record);
        std::vector<ModuleCall> seen = readCalls(dir);
        EXPECT_EQ(length == 99 ? 1u : 0u, seen.size()) << "path of " << length << " characters";
        EXPECT_EQ(length == 99 ? 1 : 0, record.integrationResults[0]) << length;
        expectNothingLoaded(dir, {"apnint.dll"});
    }
    EXPECT_TRUE(autopilotLog().empty());
}

TEST_F(IntegrationsTest, NullRecordIsIgnored)
{
    EXPORTED(IntegInstall)(0, 0, nullptr);
    EXPORTED(IntegDeinstall)(0, 0, nullptr);
    EXPECT_TRUE(autopilotLog().empty());
}

// The status probe and the module call inside the core, as the selection
// computation uses them.
class IntegrationCoreTest : public IntegrationsTest {
protected:
    void SetUp() override
    {
        IntegrationsTest::SetUp();
        strcpy(setupState->sourceDir, media.c_str());
        strcpy(setupState->installDir, "C:\\Lumoria");
        strcpy(setupState->layoutFilePath, (media + "layout.inf").c_str());
        memset(record.integrationResults, 0xEE, sizeof record.integrationResults);
        setupState->hostRecord = &record;
    }

    void catalogue(const std::vector<const char *> &prefixes)
    {
        ComponentGroup &group = setupState->groups[GROUP_INTEGRATION];
        group.itemCount = (int32_t)prefixes.size();
        for (size_t i = 0; i < prefixes.size(); i++) {
            group.items[i].flags = ITEM_SELECTED;
            if (i + 1 <= MAX_INTEGRATIONS)
                strcpy(setupState->integrationModulePrefix[i + 1], prefixes[i]);
        }
    }
};

TEST_F(IntegrationCoreTest, StatusBytesWrittenAndSilentItemsMarkedUnavailable)
{
    installModule("apnint.dll");
    installModule("bpnint.dll");
    installModule("cpnint.dll");
    installModule("nostatuspnint.dll", "nostatuspnint.dll");
    answers("apnint.dll", "2=3\n");
    answers("bpnint.dll", "2=0\n");
    answers("cpnint.dll", "2=0x200\n");
    catalogue({"a", "b", "c", "nostatus", "missing"});
    queryIntegrationStatus();

    EXPECT_EQ((std::vector<int>{3, 0, 0, 0, 0, 0xEE}), hostBytes(6)) << "one byte per item, no more";
    struct Expect {
        int item;
        int32_t flags;
    } expected[] = {{0, ITEM_SELECTED}, {1, ITEM_UNAVAILABLE}, {2, ITEM_UNAVAILABLE},
                    {3, ITEM_UNAVAILABLE}, {4, ITEM_UNAVAILABLE}};
    for (const Expect &e : expected)
        EXPECT_EQ(e.flags, setupState->groups[GROUP_INTEGRATION].items[e.item].flags) << "item " << e.item;
    std::vector<ModuleCall> seen = calls();
    ASSERT_EQ(3u, seen.size());
    for (const ModuleCall &c : seen) {
        EXPECT_EQ(2, c.ordinal) << c.module;
        EXPECT_FALSE(c.withArguments) << c.module;
    }
    EXPECT_EQ(nullptr, integrationModule);
    expectNothingLoaded(media, {"apnint.dll", "bpnint.dll", "cpnint.dll", "nostatuspnint.dll"});
}

TEST_F(IntegrationCoreTest, ItemsBeyondThePrefixSlotsAreUnavailable)
{
    installModule("apnint.dll");
    std::vector<const char *> prefixes(MAX_GROUP_ITEMS, "a");
    catalogue(prefixes);
    queryIntegrationStatus();
    ComponentGroup &group = setupState->groups[GROUP_INTEGRATION];
    for (int i = 0; i < MAX_GROUP_ITEMS; i++) {
        bool hasSlot = i < MAX_INTEGRATIONS;
        EXPECT_EQ(hasSlot ? 1 : 0, record.integrationResults[i]) << "item " << i;
        EXPECT_EQ(hasSlot ? ITEM_SELECTED : ITEM_UNAVAILABLE, group.items[i].flags) << "item " << i;
    }
    EXPECT_EQ(0xEE, record.integrationResults[MAX_GROUP_ITEMS]);
    EXPECT_EQ((size_t)MAX_INTEGRATIONS, calls().size());
}

TEST_F(IntegrationCoreTest, WithoutHostRecordItemsAreStillProbed)
{
    installModule("apnint.dll");
    answers("apnint.dll", "2=0\n");
    catalogue({"a"});
    setupState->hostRecord = nullptr;
    queryIntegrationStatus();
    EXPECT_EQ(ITEM_UNAVAILABLE, setupState->groups[GROUP_INTEGRATION].items[0].flags);
    EXPECT_EQ(1u, calls().size());
}

TEST_F(IntegrationCoreTest, CallReturnsTheWholeValueAndKeepsTheModuleUntilReleased)
{
    installModule("apnint.dll");
    answers("apnint.dll", "2=0x12345678\n3=0x80000001\n");
    UINT outer = SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_EQ(0x12345678, callIntegrationModule("apnint.dll", 2, 0));
    EXPECT_EQ((UINT)SEM_FAILCRITICALERRORS, SetErrorMode(SEM_FAILCRITICALERRORS)) << "error mode restored";
    EXPECT_NE(nullptr, GetModuleHandleA((media + "apnint.dll").c_str())) << "loaded until released";
    releaseIntegrationModule();
    EXPECT_EQ(nullptr, GetModuleHandleA((media + "apnint.dll").c_str()));
    EXPECT_EQ(nullptr, integrationModule);

    EXPECT_EQ((int32_t)0x80000001, callIntegrationModule("apnint.dll", 3, 1));
    releaseIntegrationModule();
    EXPECT_EQ(0, callIntegrationModule("apnint.dll", 9, 0)) << "no such ordinal";
    releaseIntegrationModule();
    EXPECT_EQ(0, callIntegrationModule("gone.dll", 2, 0)) << "no such module";
    EXPECT_EQ((UINT)SEM_FAILCRITICALERRORS, SetErrorMode(outer)) << "restored after a failed load too";
    releaseIntegrationModule();

    std::vector<ModuleCall> seen = calls();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("C:\\Lumoria", seen[1].installDir);
    EXPECT_EQ(media + "layout.inf", seen[1].layoutFile);
}

TEST_F(IntegrationCoreTest, EmptySourceDirTakesTheHostProgramsFolder)
{
    // The current folder holds a module of the same name; the one of the
    // host program's folder (the tests' own) is the one loaded.
    installModule("apnint.dll");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(media.c_str());
    setupState->sourceDir[0] = 0;
    callIntegrationModule("apnint.dll", 2, 0);
    EXPECT_EQ(nullptr, GetModuleHandleA((media + "apnint.dll").c_str())) << "not the current folder's";
    EXPECT_NE(nullptr, GetModuleHandleA((exeDir() + "apnint.dll").c_str())) << "the host program's";
    releaseIntegrationModule();
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(calls().empty());
    DeleteFileA((exeDir() + "integration-calls.log").c_str());
}

TEST_F(IntegrationCoreTest, ACallBeforeTheReleaseFreesThePreviousModule)
{
    installModule("apnint.dll");
    installModule("bpnint.dll");
    callIntegrationModule("apnint.dll", 2, 0);
    callIntegrationModule("bpnint.dll", 2, 0);
    EXPECT_EQ(nullptr, GetModuleHandleA((media + "apnint.dll").c_str())) << "at most one module loaded";
    releaseIntegrationModule();
    EXPECT_EQ(nullptr, GetModuleHandleA((media + "bpnint.dll").c_str()));
}

} // namespace
