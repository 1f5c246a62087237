// The language to install: languages offered by install.ini, the system
// language from Wine's real win.ini, and the language dialog driven by the
// autopilot, through initLanguage as the host calls it.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "autopilot/autopilot.h"
#include "autopilot/help_capture.h"
#include "dialogs/language_dialog.h"
#include "luinsres_ids.h"
#include "registry/previous_install.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

const int languageButtons[] = {IDC_LANGUAGE_ENGLISH, IDC_LANGUAGE_GERMAN, IDC_LANGUAGE_FRENCH,
                               IDC_LANGUAGE_SPANISH, IDC_LANGUAGE_JAPANESE, IDC_LANGUAGE_RUSSIAN};
const int kButtons = (int)(sizeof languageButtons / sizeof languageButtons[0]);

std::string languageInfo(const std::vector<const char *> &values)
{
    std::string text = "[LANGUAGEINFO]\r\n";
    int k = 1;
    for (const char *value : values) {
        if (value)
            text += "Info" + std::to_string(k) + "=" + value + "\r\n";
        k++;
    }
    return text;
}

// The state of the four language buttons when the dialog opened.
struct ButtonsSeen {
    bool enabled[kButtons];
    bool checked[kButtons];
};

DialogAction inspect(ButtonsSeen *seen, DialogAction then)
{
    return [seen, then](HWND dialog, DialogSeen &record) {
        for (int i = 0; i < kButtons; i++) {
            HWND button = GetDlgItem(dialog, languageButtons[i]);
            seen->enabled[i] = IsWindowEnabled(button) != 0;
            seen->checked[i] = SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
        }
        then(dialog, record);
    };
}

// A click on a radio button as the mouse gives it, then OK.
DialogAction chooseAndConfirm(int button)
{
    return [button](HWND dialog, DialogSeen &) {
        SendDlgItemMessageA(dialog, button, BM_CLICK, 0, 0);
        clickButton(dialog, IDOK);
    };
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        ASSERT_TRUE(windowsDirFile("win.ini", winIni, sizeof winIni));
        char saved[128];
        GetPrivateProfileStringA("intl", "sLanguage", "\x01", saved, sizeof saved, winIni);
        hadLanguage = strcmp(saved, "\x01") != 0;
        savedLanguage = saved;
        media = makeTempDir("language");
        installResourceModule(media);
        memset(&record, 0, sizeof record);
        strcpy(record.sourceDir, media.c_str());
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        WritePrivateProfileStringA("intl", "sLanguage", hadLanguage ? savedLanguage.c_str() : nullptr, winIni);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, winIni);
    }

    // A new install.ini each time: the profile functions may keep a file
    // they read within the same second.
    void offer(const std::vector<const char *> &values)
    {
        std::string path = media + "install" + std::to_string(++offers) + ".ini";
        writeTextFile(path, languageInfo(values));
        strcpy(record.setupIniPath, path.c_str());
    }
    void systemLanguage(const char *code)
    {
        WritePrivateProfileStringA("intl", "sLanguage", code, winIni);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, winIni);
    }
    int run() { return EXPORTED(initLanguage)(nullptr, &record); }

    char winIni[MAX_PATH];
    bool hadLanguage = false;
    std::string savedLanguage;
    std::string media;
    int offers = 0;
    HostSetupInfo record;
};

TEST_F(LanguageTest, NoQuestionWhenNothingIsLeftToAsk)
{
    ASSERT_NE(nullptr, EXPORTED(initLanguage));
    struct Case {
        const char *name;
        std::vector<const char *> offered;
        const char *system;
        int32_t networkMode;
    } cases[] = {
        {"one language", {"FRENCH"}, "deu", 0},
        {"no LANGUAGEINFO", {}, "deu", 0},
        {"system language offered", {"ENGLISH", "GERMAN"}, "DEU", 0},
        {"keys 1 and 3 only", {"ENGLISH", nullptr, "GERMAN"}, "xxx", 0},
        {"network installation", {"ENGLISH", "GERMAN", "FRENCH"}, "xxx", 1},
    };
    for (const Case &c : cases) {
        offer(c.offered);
        systemLanguage(c.system);
        record.networkInstallMode = c.networkMode;
        autopilotStart();
        EXPECT_EQ(1, run()) << c.name;
        EXPECT_TRUE(autopilotLog().empty()) << c.name << ": no dialog";
    }
}

TEST_F(LanguageTest, CoreKeepsTheDetectedOrOnlyLanguage)
{
    struct Case {
        std::vector<const char *> offered;
        const char *system;
        int32_t flags;
    } cases[] = {
        {{"ENGLISH", "GERMAN"}, "DEU", LANGUAGE_GERMAN},
        {{"ENGLISH", nullptr, "GERMAN"}, "deu", LANGUAGE_ENGLISH},
        {{"SPANISH", "FRENCH"}, "Frc", LANGUAGE_FRENCH},
    };
    for (const Case &c : cases) {
        offer(c.offered);
        systemLanguage(c.system);
        EXPECT_EQ(1, initLanguage(nullptr, &record)) << c.system;
        EXPECT_EQ(c.flags, setupState->languageFlags) << c.system;
    }
    EXPECT_STREQ(winIni, setupState->winIniPath);
}

TEST_F(LanguageTest, DialogOffersOnlyTheOfferedLanguages)
{
    struct Case {
        const char *name;
        std::vector<const char *> offered;
        const char *system;
        ButtonsSeen buttons;  // English, German, French, Spanish, Japanese, Russian
        DialogAction then;
        int expected;
    } cases[] = {
        {"English not offered, system enu", {"GERMAN", "FRENCH"}, "enu",
         {{false, true, true, false}, {false, true, false, false}}, pressButton(IDCANCEL),
         LANGUAGE_GERMAN | LANGUAGE_FRENCH},
        {"French chosen", {"ENGLISH", "FRENCH", "SPANISH"}, "",
         {{true, false, true, true}, {true, false, false, false}}, chooseAndConfirm(IDC_LANGUAGE_FRENCH),
         LANGUAGE_FRENCH},
        {"German chosen", {"SPANISH", "GERMAN"}, "",
         {{false, true, false, true}, {false, true, false, false}}, chooseAndConfirm(IDC_LANGUAGE_GERMAN),
         LANGUAGE_GERMAN},
        {"Spanish chosen", {"SPANISH", "ENGLISH"}, "deu",
         {{true, false, false, true}, {true, false, false, false}}, chooseAndConfirm(IDC_LANGUAGE_SPANISH),
         LANGUAGE_SPANISH},
        {"English as offered", {"ENGLISH", "GERMAN"}, "", {{true, true, false, false}, {true, false, false, false}},
         pressButton(IDOK), LANGUAGE_ENGLISH},
        {"names without a bit", {"English", "English"}, "enu",
         {{false, false, false, false}, {false, false, false, false}}, pressButton(IDOK), LANGUAGE_SPANISH},
        {"Japanese chosen", {"JAPANESE", "ENGLISH"}, "",
         {{true, false, false, false, true, false}, {true, false, false, false, false, false}},
         chooseAndConfirm(IDC_LANGUAGE_JAPANESE), LANGUAGE_JAPANESE},
        {"Russian chosen", {"RUSSIAN", "GERMAN"}, "xxx",
         {{false, true, false, false, false, true}, {false, true, false, false, false, false}},
         chooseAndConfirm(IDC_LANGUAGE_RUSSIAN), LANGUAGE_RUSSIAN},
        {"Japanese first of the new two", {"RUSSIAN", "JAPANESE"}, "deu",
         {{false, false, false, false, true, true}, {false, false, false, false, true, false}}, pressButton(IDOK),
         LANGUAGE_JAPANESE},
    };
    for (const Case &c : cases) {
        offer(c.offered);
        systemLanguage(c.system);
        autopilotStart();
        ButtonsSeen seen{};
        autopilotQueue(inspect(&seen, c.then));
        EXPECT_EQ(c.expected, run()) << c.name;
        ASSERT_EQ(1u, autopilotLog().size()) << c.name;
        EXPECT_FALSE(autopilotLog()[0].unexpected);
        for (int i = 0; i < kButtons; i++) {
            EXPECT_EQ(c.buttons.enabled[i], seen.enabled[i]) << c.name << ": button " << languageButtons[i];
            EXPECT_EQ(c.buttons.checked[i], seen.checked[i]) << c.name << ": button " << languageButtons[i];
        }
    }
}

TEST_F(LanguageTest, CancelOrCloseReturnsEveryOfferedLanguage)
{
    offer({"ENGLISH", "GERMAN", "FRENCH", "SPANISH", "ITALIAN"});
    systemLanguage("ita");
    DialogAction endings[] = {pressButton(IDCANCEL), closeWindow(),
                              [](HWND dialog, DialogSeen &) { PostMessageA(dialog, WM_CLOSE, 0, 0); }};
    for (const DialogAction &ending : endings) {
        autopilotStart();
        autopilotQueue(ending);
        EXPECT_EQ(15, run());
        EXPECT_EQ(1u, autopilotLog().size());
    }
}

// The language settled on goes back in the record's languageFlags, also
// when nothing was asked, so that a host need not work it out again; a
// cancelled dialog leaves the host's value.
TEST_F(LanguageTest, TheLanguageSettledOnGoesBackInTheRecord)
{
    struct Case {
        const char *name;
        std::vector<const char *> offered;
        const char *system;
        int32_t networkMode;
        int button;   // 0: no dialog; IDCANCEL cancels, else chosen and confirmed
        int32_t settled;
    } cases[] = {
        {"system language offered", {"ENGLISH", "GERMAN"}, "deu", 0, 0, LANGUAGE_GERMAN},
        {"the only language offered", {"SPANISH"}, "enu", 0, 0, LANGUAGE_SPANISH},
        {"no LANGUAGEINFO", {}, "deu", 0, 0, LANGUAGE_ENGLISH},
        {"network installation", {"GERMAN", "FRENCH"}, "xxx", 1, 0, LANGUAGE_ENGLISH},
        {"French chosen", {"ENGLISH", "FRENCH"}, "xxx", 0, IDC_LANGUAGE_FRENCH, LANGUAGE_FRENCH},
        {"dialog cancelled", {"ENGLISH", "FRENCH"}, "xxx", 0, IDCANCEL, 99},
        {"system language Japanese", {"ENGLISH", "JAPANESE"}, "jpn", 0, 0, LANGUAGE_JAPANESE},
        {"Russian chosen", {"ENGLISH", "RUSSIAN"}, "xxx", 0, IDC_LANGUAGE_RUSSIAN, LANGUAGE_RUSSIAN},
    };
    for (const Case &c : cases) {
        offer(c.offered);
        systemLanguage(c.system);
        record.networkInstallMode = c.networkMode;
        record.languageFlags = 99;
        autopilotStart();
        if (c.button == IDCANCEL)
            autopilotQueue(pressButton(IDCANCEL));
        else if (c.button)
            autopilotQueue(chooseAndConfirm(c.button));
        run();
        EXPECT_EQ(c.settled, record.languageFlags) << c.name;
        EXPECT_EQ(c.button ? 1u : 0u, autopilotLog().size()) << c.name;
    }
}

TEST_F(LanguageTest, HelpOpensOnTheChoicesTopic)
{
    offer({"ENGLISH", "GERMAN"});
    systemLanguage("");
    helpCaptureStart();
    autopilotQueue([](HWND dialog, DialogSeen &) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HELP_BUTTON, BN_CLICKED), 0);
        clickButton(dialog, IDOK);
    });
    EXPECT_EQ(LANGUAGE_ENGLISH, run());
    std::vector<HelpRequest> requests = helpRequests();
    helpCaptureStop();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ((unsigned)HELP_CONTEXT, requests[0].command);
    EXPECT_EQ(16433ul, requests[0].context);
    EXPECT_EQ(media + "lumoria.hlp", requests[0].file);
}

TEST_F(LanguageTest, MissingResourceModuleGivesMinusOne)
{
    offer({"ENGLISH", "GERMAN"});
    strcpy(record.sourceDir, makeTempDir("language-empty").c_str());
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(-1, run());
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ("LanEnter", autopilotLog()[0].caption);
}

// A resource module whose entry leaves luinsres.ran beside it when it runs:
// its dialog and strings serve as the shipping module's do, mapped while the
// entry needs them and gone after, and its code never runs.
TEST_F(LanguageTest, ResourceModuleCarryingCodeServesItsResourcesAndNeverRuns)
{
    std::string module = media + "luinsres.dll", marker = media + "luinsres.ran";
    ASSERT_TRUE(copyFileTo(exeDir() + "luinsres_withcode.dll", module));
    offer({"ENGLISH", "GERMAN"});
    systemLanguage("");
    bool mappedDuring = false;
    autopilotQueue([&](HWND dialog, DialogSeen &seen) {
        mappedDuring = fileMappedHere(module);
        pressButton(IDOK)(dialog, seen);
    });
    EXPECT_EQ(LANGUAGE_ENGLISH, run());
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ("Lumoria Setup - Language", autopilotLog()[0].caption) << "the module's own template";
    EXPECT_TRUE(mappedDuring) << "the module is mapped while its dialog is up";
    EXPECT_FALSE(fileMappedHere(module)) << "and released with the entry";
    char text[200] = "";
    EXPECT_EQ(1, EXPORTED(installLoadStr)(IDS_CAPTION, text, media.c_str()));
    EXPECT_STREQ("Lumoria Setup", text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str())) << "the module's entry ran";
}

TEST(OfferedLanguagesTest, ListEndsAtTheFirstGapAndNamesMatchExactly)
{
    resetCoreState();
    std::string dir = makeTempDir("offered");
    std::string overlong(300, 'E');
    struct Case {
        std::vector<const char *> values;
        int offered;
        int32_t flags;
    } cases[] = {
        {{}, 0, 0},
        {{"ENGLISH", "GERMAN", "FRENCH", "SPANISH"}, 4, 15},
        {{"ENGLISH", "", "GERMAN"}, 1, 1},
        {{"GERMAN", nullptr, "ENGLISH"}, 1, 4},
        {{"english", "ENGLISH2", "Spanish"}, 3, 0},
        {{overlong.c_str(), "SPANISH"}, 2, 8},
        {{"FRENCH", "FRENCH"}, 2, 2},
        {{"JAPANESE", "RUSSIAN", "SPANISH"}, 3, 56},
        {{"japanese", "Russian"}, 2, 0},
    };
    int n = 0;
    for (const Case &c : cases) {
        // A new file per case: the profile functions may keep a file they
        // read within the same second.
        std::string path = dir + "install" + std::to_string(n) + ".ini";
        writeTextFile(path, languageInfo(c.values));
        strcpy(setupState->setupIniPath, path.c_str());
        setupState->languageFlags = 99;
        EXPECT_EQ(c.offered, readOfferedLanguages()) << "case " << n;
        EXPECT_EQ(c.flags, setupState->languageFlags) << "case " << n;
        n++;
    }
}

TEST(SystemLanguageTest, CodesSelectOnlyOfferedLanguages)
{
    resetCoreState();
    std::string dir = makeTempDir("system-language");
    struct Case {
        const char *code;  // null: no key at all
        int32_t offered;
        int matched;
        int32_t flags;
    } cases[] = {
        {"eng", 15, 1, 1},  {"ENU", 15, 1, 1},  {"Deu", 15, 1, 4},  {"fra", 15, 1, 2},
        {"FRC", 6, 1, 2},   {"esn", 9, 1, 8},   {"ESP", 8, 1, 8},   {"deu", 3, 0, 3},
        {"enu", 14, 0, 14}, {"de", 15, 0, 15},  {"", 15, 0, 15},    {nullptr, 15, 0, 15},
        {"english", 15, 0, 15},
        {"jpn", 63, 1, 16}, {"RUS", 63, 1, 32}, {"Jpn", 16, 1, 16}, {"jpn", 47, 0, 47},
        {"rus", 31, 0, 31}, {"ja", 63, 0, 63},  {"ru", 63, 0, 63},
    };
    int n = 0;
    for (const Case &c : cases) {
        std::string path = dir + "win" + std::to_string(n++) + ".ini";
        if (c.code)
            writeTextFile(path, std::string("[intl]\r\nsLanguage=") + c.code + "\r\n");
        strcpy(setupState->winIniPath, path.c_str());
        setupState->languageFlags = c.offered;
        EXPECT_EQ(c.matched, detectSystemLanguage()) << (c.code ? c.code : "(none)") << " of " << c.offered;
        EXPECT_EQ(c.flags, setupState->languageFlags) << (c.code ? c.code : "(none)") << " of " << c.offered;
    }
}

} // namespace
