// badinput_fixture.h - the fixture of the bad-input tests: small setup media
// written per test (install.ini, the layout file, the resource module and the
// module stand-ins a case needs), the host's record filled from them, and a
// snapshot of everything the library may touch - install.ini, the layout
// file, the existing installation's install.ini and the product's registry
// keys under both roots - so that a case can say which sections, keys and
// registry trees its run may change and find every other change.
#pragma once

#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "autopilot/autopilot.h"
#include "dialogint.h"
#include "luinsres_ids.h"
#include "support/test_support.h"

// The standard media of these tests: one viewer engine file, two viewers of
// which the first is a default, one setup file. A standard installation
// lists DIALOGINT (1000 bytes) as a setup file and JORDOCVE (2000) and
// PLAINFLT (3000) as table files.
constexpr const char *BASIC_INSTALL_INI =
    "[General]\r\nTYPE=STANDARD\r\nInternal=LU-4.0.0\r\nOPSYSTEM=32BIT\r\n"
    "[VIEWENGINEINFO]\r\nInfo1=1,VIEWENGINE,jordocve.dll,all,0,1,0,app,0,0,0\r\nInfo1Default=S\r\n"
    "[VWPINFO]\r\nInfo1=1,PLAIN,jordocve.dll,txt,3,1,0,doc,0,0,3\r\n"
    "Info2=1,JWRITE1,vwjorw.flt,jw1,13,1,0,doc,0,0,13\r\nInfo1Default=S\r\nInfo2Default=U\r\n";

constexpr const char *BASIC_LAYOUT =
    "[DISKS]\r\nFILENUM=4\r\n"
    "[SIZEFILES]\r\nFILE1=1000\r\nFILE2=2000\r\nFILE3=3000\r\nFILE4=4000\r\n"
    "[LOGICALFILE]\r\nDIALOGINT=FILE1\r\nJORDOCVE=FILE2\r\nPLAINFLT=FILE3\r\nJWRITE1=FILE4\r\n"
    "[INSTALL32]\r\nFile1=DIALOGINT\r\n"
    "[VIEWENGINE32]\r\nFILE1=JORDOCVE\r\n"
    "[PLAINvV]\r\nFILE1=PLAINFLT\r\n"
    "[JWRITE1vV]\r\nFILE1=JWRITE1\r\n";

// A profile file as section -> key -> value, names upper-cased as the profile
// functions compare them. A missing file reads as empty.
using IniContents = std::map<std::string, std::map<std::string, std::string>>;
IniContents readIniContents(const std::string &path);

// Every value of a registry tree: key path -> value name -> type and data.
using RegistryContents = std::map<std::string, std::map<std::string, std::string>>;
RegistryContents readRegistryTree(HKEY root, const std::string &path);

struct Snapshot {
    IniContents setupIni, layout, installedIni;
    RegistryContents machine, user, sharedDlls;
};

// What a run may change. Sections and "SECTION/KEY" names are upper case;
// defaultMarks allows every Info<n>Default key of the *INFO sections.
struct AllowedChanges {
    std::vector<std::string> sections;
    std::vector<std::string> keys;
    bool defaultMarks = false;
    bool productRegistry = false;   // HKLM and HKCU SOFTWARE\Jor\Lumoria
    bool installedIni = false;
};

// The install.ini sections and keys that the setup steps of a completed run
// write.
AllowedChanges completedRunChanges();

void expectOnlyAllowedChanges(const Snapshot &before, const Snapshot &after, const AllowedChanges &allowed);

// Replaces dialog template id of a copy of the resource module with one that
// cannot be made: its one control is of a class nobody registered.
bool breakDialogTemplate(const std::string &modulePath, int id);

// Text of n characters that repeats a pattern, and a record slot filled to
// its last byte, without a terminator.
std::string longText(size_t n, char c = 'A');
template <size_t N> void fillSlot(char (&slot)[N], char c = 'A') { memset(slot, c, N); }

class BadInputTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes install.ini and the layout file (null: the file is not written).
    void writeMedia(const char *installIni, const char *layout);
    void addModule(const char *builtName, const char *mediaName = nullptr);
    void removeResourceModule();

    std::string ini() const { return media + "install.ini"; }
    std::string layout() const { return media + "setup.lay"; }
    std::string installed() const { return media + "installed.ini"; }
    std::string iniText(const char *section, const char *key) const { return profileText(ini(), section, key); }
    static std::string profileText(const std::string &path, const char *section, const char *key);
    void setIni(const char *section, const char *key, const char *value);
    void setLayout(const char *section, const char *key, const char *value);

    Snapshot snapshot() const;

    // The progress dialog runs by itself; the autopilot lets it pass.
    void expectProgress();
    void onMainDialog(DialogAction action);
    void onOptionsDialog(DialogAction action);

    // dodialog through the export: the main dialog's standard button, with the
    // progress dialog before and after it.
    int runStandard();
    int runDodialog();
    // The lines the integration module stand-ins logged in the media folder.
    std::vector<std::string> moduleCalls() const;

    // The message boxes the autopilot saw, as "caption|text".
    std::vector<std::string> boxesSeen() const;

    std::string media;
    HostSetupInfo record;
};
