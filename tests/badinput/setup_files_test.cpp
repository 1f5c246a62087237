// Setup files that are missing, empty, beyond the library's fixed bounds or
// hold malformed numbers: whole dodialog runs through the export on small
// media, with the copy sections the host reads checked and every other key
// of install.ini, the layout file and the registry compared with what was
// there before.
#include "badinput_fixture.h"

#include <stdio.h>

namespace {

class SetupFilesTest : public BadInputTest {
protected:
    // The install type is kept between calls; these runs start from STANDARD.
    void decodeStandardType()
    {
        std::string other = makeTempDir("badinput-type");
        installResourceModule(other);
        writeTextFile(other + "install.ini", "[General]\r\nTYPE=STANDARD\r\n");
        ASSERT_EQ(SETUP_GO_ON, EXPORTED(setupInstall)(nullptr, "", other.c_str()));
    }

    // Keys FILE1.. of an install.ini copy section, in order.
    std::vector<std::string> listed(const char *section, int upTo) const
    {
        std::vector<std::string> names;
        for (int n = 1; n <= upTo; n++) {
            char key[16];
            snprintf(key, sizeof key, "FILE%d", n);
            std::string value = iniText(section, key);
            if (value != "<none>")
                names.push_back(value);
        }
        return names;
    }

    // PERCENT FILE1..FILE<files>: each within 0..100, the last 100.
    void expectPercentages(int files) const
    {
        for (int j = 1; j <= files; j++) {
            char key[16];
            snprintf(key, sizeof key, "FILE%d", j);
            int percent = atoi(iniText("PERCENT", key).c_str());
            EXPECT_GE(percent, 0) << key;
            EXPECT_LE(percent, 100) << key;
            if (j == files) {
                EXPECT_EQ(100, percent) << "the last file completes the copy";
            }
        }
        EXPECT_EQ("<none>", iniText("PERCENT", ("FILE" + std::to_string(files + 1)).c_str()));
    }
};

TEST_F(SetupFilesTest, MissingOrEmptySetupFilesGiveAnEmptyButCompleteRun)
{
    const struct {
        const char *name;
        const char *installIni;   // null: no file
        const char *layout;
        const char *numFiles, *maxFiles, *sizeFiles;
        int32_t viewEngineChoice;
    } cases[] = {
        // Without install.ini the catalogue is empty; the setup program's own
        // file is still copied.
        {"no install.ini", nullptr, BASIC_LAYOUT, "1", "5", "1000", 0},
        {"empty install.ini", "", BASIC_LAYOUT, "1", "5", "1000", 0},
        // Without a layout the components have no files: nothing to copy.
        {"no layout file", BASIC_INSTALL_INI, nullptr, "0", "0", "0", 1},
        {"empty layout file", BASIC_INSTALL_INI, "", "0", "0", "0", 1},
        {"neither file", nullptr, nullptr, "0", "0", "0", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        decodeStandardType();
        autopilotStart();
        writeMedia(c.installIni, c.layout);
        record.viewEngineChoice = 0x55;
        Snapshot before = snapshot();
        EXPECT_EQ(DODIALOG_STANDARD, runStandard());
        EXPECT_EQ(0u, autopilotUnexpected());
        EXPECT_EQ(c.numFiles, iniText("INSTALLFILES", "NUMFILES"));
        EXPECT_EQ(c.maxFiles, iniText("INSTALLFILES", "MAXFILES"));
        EXPECT_EQ(c.sizeFiles, iniText("INSTALLFILES", "SIZEFILES"));
        EXPECT_EQ(std::vector<std::string>{}, listed("INSTALLFILES", 5)) << "no component file";
        EXPECT_EQ("<none>", iniText("SETUPFILES", "FILE1")) << "nothing listed, no setup files";
        expectPercentages(atoi(c.numFiles));
        EXPECT_EQ(c.viewEngineChoice, record.viewEngineChoice);
        expectOnlyAllowedChanges(before, snapshot(), completedRunChanges());
    }
}

TEST_F(SetupFilesTest, TableAndListBoundsLeaveOutWhatTheFixedSizesCannotHold)
{
    // FILENUM beyond the 299 table entries; PLAIN names files that a list
    // byte or a table entry cannot hold next to ones that just fit; JWRITE1
    // names 120 files, of which a list holds 99.
    std::string layoutText =
        "[DISKS]\r\nFILENUM=1000\r\n"
        "[SIZEFILES]\r\nFILE1=1000\r\nFILE2=2000\r\nFILE11=11\r\nFILE253=253\r\nFILE254=254\r\n"
        "FILE255=255\r\nFILE299=299\r\nFILE300=300\r\n"
        "[LOGICALFILE]\r\nDIALOGINT=FILE1\r\nJORDOCVE=FILE2\r\nLONGLOGICALNAME1=FILE10\r\n"
        "LOGICALNAME15CH=FILE11\r\nF253=FILE253\r\nF254=FILE254\r\nF255=FILE255\r\nF299=FILE299\r\n"
        "F300=FILE300\r\nTAILED=FILE12AB\r\nCUT=FILE0012345\r\n";
    for (int n = 1; n <= 120; n++)
        layoutText += "L" + std::to_string(n) + "=FILE" + std::to_string(n + 20) + "\r\n";
    layoutText += "[INSTALL32]\r\nFile1=DIALOGINT\r\n[VIEWENGINE32]\r\nFILE1=JORDOCVE\r\n"
                  "[PLAINvV]\r\nFILE1=LONGLOGICALNAME1\r\nFILE2=LOGICALNAME15CH\r\nFILE3=,,,\r\n"
                  "FILE4=F254\r\nFILE5=F255\r\nFILE6=F299\r\nFILE7=F300\r\nFILE8=TAILED\r\n"
                  "FILE9=  F253 ,more text\r\nFILE10=CUT\r\n"
                  "[JWRITE1vV]\r\n";
    for (int n = 1; n <= 120; n++)
        layoutText += "FILE" + std::to_string(n) + "=L" + std::to_string(n) + "\r\n";
    decodeStandardType();
    writeMedia(BASIC_INSTALL_INI, layoutText.c_str());
    setIni("VWPINFO", "Info2Default", "S");

    Snapshot before = snapshot();
    EXPECT_EQ(DODIALOG_STANDARD, runStandard());
    EXPECT_EQ("300", iniText("INSTALLFILES", "MAXFILES")) << "299 table entries and one setup file";
    std::vector<std::string> files = listed("INSTALLFILES", 200);
    std::vector<std::string> expected = {"JORDOCVE", "LOGICALNAME15CH"};
    for (int n = 1; n <= 99; n++)
        expected.push_back("L" + std::to_string(n));
    expected.push_back("F253");
    expected.push_back("F254");
    EXPECT_EQ(expected, files) << "a 16-character name, files 255 and up, FILE12AB, FILE0012345 and list "
                                  "places past 99 are left out";
    EXPECT_EQ(std::to_string(1 + expected.size()), iniText("INSTALLFILES", "NUMFILES"));
    EXPECT_EQ(std::to_string(1000 + 2000 + 11 + 253 + 254), iniText("INSTALLFILES", "SIZEFILES"));
    expectPercentages(1 + (int)expected.size());
    expectOnlyAllowedChanges(before, snapshot(), completedRunChanges());
}

TEST_F(SetupFilesTest, CatalogueKeysBeyondTheGroupsSlotsAreIgnored)
{
    // 45 viewers: the group holds 40; the marks of the other five are not
    // the library's to write.
    std::string installIni = "[General]\r\nTYPE=STANDARD\r\n[VWPINFO]\r\n";
    for (int n = 1; n <= 45; n++)
        installIni += "Info" + std::to_string(n) + "=1,V" + std::to_string(n) + ",v.flt,v,3,1,0,doc,0,0,3\r\n" +
                      "Info" + std::to_string(n) + "Default=X\r\n";
    // Values without the tokens the catalogue reads, or with no token at all.
    installIni += "[SWPINFO]\r\nInfo1=,,,,\r\nInfo2=1,SHORT\r\nInfo3=1,OK,c.cnv,c,3,1,0,doc,0,0,3\r\n";
    writeMedia(installIni.c_str(), BASIC_LAYOUT);
    AllowedChanges allowed = completedRunChanges();
    for (int n = 1; n <= 40; n++)
        allowed.keys.push_back("VWPINFO/INFO" + std::to_string(n) + "DEFAULT");
    for (int n = 1; n <= 3; n++)
        allowed.keys.push_back("SWPINFO/INFO" + std::to_string(n) + "DEFAULT");
    allowed.keys.push_back("VIEWENGINEINFO/INFO1DEFAULT");
    allowed.keys.push_back("CONVTOOLINFO/INFO1DEFAULT");

    Snapshot before = snapshot();
    expectProgress();
    onMainDialog(pressButton(IDC_MAIN_CUSTOM));
    onOptionsDialog(pressButton(IDOK));   // everything, as the custom way starts
    expectProgress();
    EXPECT_EQ(DODIALOG_CUSTOM, runDodialog());
    EXPECT_EQ(0u, autopilotUnexpected());
    for (int n : {1, 40})
        EXPECT_EQ("S", iniText("VWPINFO", ("Info" + std::to_string(n) + "Default").c_str())) << n;
    for (int n = 41; n <= 45; n++)
        EXPECT_EQ("X", iniText("VWPINFO", ("Info" + std::to_string(n) + "Default").c_str())) << n;
    for (int n = 1; n <= 3; n++)
        EXPECT_EQ("S", iniText("SWPINFO", ("Info" + std::to_string(n) + "Default").c_str())) << n;
    expectOnlyAllowedChanges(before, snapshot(), allowed);
}

TEST_F(SetupFilesTest, MalformedFileCountsAndSizesReadAsTheirLeadingNumber)
{
    const struct {
        const char *fileNum;      // null: no key
        const char *size;         // SIZEFILES FILE2, JORDOCVE
        const char *maxFiles;
        const char *listedSize;   // SIZEFILES of JORDOCVE in install.ini
        const char *total;
    } cases[] = {
        {"12AB", "2000", "13", "2000", "6000"},
        {nullptr, "2000", "1", nullptr, "1000"},
        {"", "2000", "1", nullptr, "1000"},
        {"-5", "2000", "1", nullptr, "1000"},
        {"99999999999", "2000", "300", "2000", "6000"},
        {"4", "12AB", "5", "12", "4012"},
        {"4", "", "5", "0", "4000"},
        {"4", "-5", "5", "-5", "3995"},
        {"4", "3000000000", "5", "2147483647", "2147483647"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("FILENUM ") + (c.fileNum ? c.fileNum : "missing") + ", size " + c.size);
        decodeStandardType();
        autopilotStart();
        writeMedia(BASIC_INSTALL_INI, BASIC_LAYOUT);
        setLayout("DISKS", "FILENUM", c.fileNum);
        setLayout("SIZEFILES", "FILE2", c.size);
        Snapshot before = snapshot();
        ASSERT_EQ(DODIALOG_STANDARD, runStandard());
        EXPECT_EQ(c.maxFiles, iniText("INSTALLFILES", "MAXFILES"));
        EXPECT_EQ(c.total, iniText("INSTALLFILES", "SIZEFILES"));
        EXPECT_EQ(c.listedSize ? c.listedSize : "<none>", iniText("SIZEFILES", "FILE2"));
        expectPercentages(atoi(iniText("INSTALLFILES", "NUMFILES").c_str()));
        expectOnlyAllowedChanges(before, snapshot(), completedRunChanges());
    }
}

} // namespace
