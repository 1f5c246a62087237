// Setup without a mouse: the component list's keys (Space, the moving keys,
// letters, Escape) against what a click does, and a whole custom setup in
// each language driven by key presses alone, whose install.ini and registry
// must equal those of the same choices made with clicks.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "catalogue/selection.h"
#include "dialogs/dialog_fixture.h"
#include "dialogs/options_dialog.h"
#include "luinsres_ids.h"
#include "dialogs/language_dialog.h"
#include "entries/dodialog.h"
#include "registry/previous_install.h"
#include "steps/step_sets.h"

namespace {

std::vector<int32_t> flagsOf(int group)
{
    std::vector<int32_t> flags;
    for (int i = 0; i < setupState->groups[group].itemCount; i++)
        flags.push_back(setupState->groups[group].items[i].flags);
    return flags;
}

int highlightedPosition(int group)
{
    for (int i = 0; i < setupState->groups[group].itemCount; i++)
        if (setupState->groups[group].items[i].flags & ITEM_HIGHLIGHTED)
            return group == CATEGORIES ? i - 1 : i;
    return -1;
}

class ListKeysTest : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        computeSelection(SELECT_DEFAULTS);
        useFakeDisk(50000000);
    }
};

DialogAction focusList()
{
    return inspect([](HWND dialog) { SetFocus(GetDlgItem(dialog, IDC_OPTIONS_LIST)); });
}

TEST_F(ListKeysTest, KeysMoveAndToggleAsClicksDo)
{
    struct Case {
        const char *what;
        int group;
        std::vector<UINT> keys;     // then OK
        bool sizeChanges;           // selectedSize differs from the opening's
        int highlighted;            // position highlighted at the end
    } cases[] = {
        {"Space toggles the highlighted entry", GROUP_VWP, {VK_SPACE}, true, 0},
        {"Space twice puts it back", GROUP_VWP, {VK_SPACE, VK_SPACE}, false, 0},
        {"Down moves the highlight and selects nothing", GROUP_VWP, {VK_DOWN}, false, 1},
        {"Down on the last entry stays, never toggles", GROUP_VWP, {VK_END, VK_DOWN, VK_DOWN}, false, -2},
        {"Up on the first entry stays, never toggles", GROUP_VWP, {VK_UP, VK_HOME}, false, 0},
        {"Page Down goes a page on, Home back", CATEGORIES, {VK_NEXT, VK_HOME}, false, 0},
        // Category 10 is unavailable: the highlight stays on category 1.
        {"a key back onto the highlighted entry never toggles it", CATEGORIES, {VK_END, VK_UP, VK_HOME}, false, 0},
        {"Space on an unavailable entry changes nothing", CATEGORIES, {VK_END, VK_SPACE}, false, 0},
        {"Down then Space toggles the next entry", GROUP_VWP, {VK_DOWN, VK_SPACE}, true, 1},
        {"a letter moves to its entry and never toggles", GROUP_VWP, {'J', 'J'}, false, 1},
    };
    for (const Case &c : cases) {
        autopilotStart();
        int32_t opening = state().selectedSize;
        std::string figureBefore, figureAfter;
        std::vector<DialogStep> steps = {focusList(), inspect([&](HWND dialog) {
                                              figureBefore = controlText(dialog, IDC_OPTIONS_NEEDED);
                                          })};
        for (UINT key : c.keys)
            steps.push_back(key >= 'A' && key <= 'Z' ? DialogStep(inspect([key](HWND dialog) {
                                PostMessageA(GetFocus(), WM_CHAR, key, 1);
                                (void)dialog;
                            }))
                                                      : DialogStep(pressKey(key)));
        steps.push_back(pauseFor(30));
        steps.push_back(inspect([&](HWND dialog) { figureAfter = controlText(dialog, IDC_OPTIONS_NEEDED); }));
        steps.push_back(pressKey(VK_RETURN));
        autopilotQueue(sequence(steps));
        int end = runOptionsPage(c.group);
        EXPECT_EQ(1, end) << c.what << ": Enter is OK";
        EXPECT_EQ(c.sizeChanges, state().selectedSize != opening) << c.what;
        EXPECT_EQ(c.sizeChanges, figureAfter != figureBefore) << c.what << ": the figure follows";
        int expected = c.highlighted == -2 ? state().groups[c.group].itemCount - 1 : c.highlighted;
        EXPECT_EQ(expected, highlightedPosition(c.group)) << c.what;
        // The next case starts from the defaults again.
        for (int g : {CATEGORIES, GROUP_VWP})
            resetComponentStates(g);
        computeSelection(SELECT_DEFAULTS);
        state().currentCategory = 1;
    }
}

TEST_F(ListKeysTest, EscapeOnTheCategoryListRestoresAsCancelDoes)
{
    std::vector<int32_t> before = flagsOf(CATEGORIES);
    int32_t size = state().selectedSize;
    autopilotQueue(sequence({focusList(), pressKey(VK_DOWN), pressKey(VK_SPACE), pressKey(VK_DOWN),
                             pressKey(VK_SPACE), pauseFor(30), pressKey(VK_ESCAPE)}));
    EXPECT_EQ(0, runOptionsPage(CATEGORIES));
    EXPECT_EQ(before, flagsOf(CATEGORIES));
    EXPECT_EQ(size, state().selectedSize);
}

// ---------------------------------------------------------------------------
// A whole custom setup by keys and by clicks

const char SERVER_DIR[] = "C:\\server\\lumoria\\";

struct LanguageRun {
    const char *code;
    int32_t bit;
    int button;
};

const LanguageRun kLanguages[] = {
    {"en", LANGUAGE_ENGLISH, IDC_LANGUAGE_ENGLISH},
    {"fr", LANGUAGE_FRENCH, IDC_LANGUAGE_FRENCH},
    {"de", LANGUAGE_GERMAN, IDC_LANGUAGE_GERMAN},
    {"es", LANGUAGE_SPANISH, IDC_LANGUAGE_SPANISH},
    {"ja", LANGUAGE_JAPANESE, IDC_LANGUAGE_JAPANESE},
    {"ru", LANGUAGE_RUSSIAN, IDC_LANGUAGE_RUSSIAN},
};

struct SetupOutcome {
    int language = 0, dodialog = -99;
    std::string installIni, registry;
    std::vector<std::string> notes;
};

class KeyboardSetupTest : public ::testing::TestWithParam<LanguageRun> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(windowsDirFile("win.ini", winIni, sizeof winIni));
        char saved[128];
        GetPrivateProfileStringA("intl", "sLanguage", "\x01", saved, sizeof saved, winIni);
        savedLanguage = saved;
        // A system language the media does not offer: the dialog asks.
        WritePrivateProfileStringA("intl", "sLanguage", "xyz", winIni);
        media = makeTempDir("keyboard");
    }
    void TearDown() override
    {
        autopilotStop();
        WritePrivateProfileStringA("intl", "sLanguage", savedLanguage == "\x01" ? nullptr : savedLanguage.c_str(),
                                   winIni);
        resetRegistry();
    }

    void freshMedia()
    {
        for (const char *file : {"install.ini", "setup.lay", "luinsres.dll"})
            copyFileTo(exeDir() + "media\\" + file, media + file);
        for (const char *module : {"apnint.dll", "cpnint.dll", "fixint.dll"})
            copyFileTo(exeDir() + module, media + module);
        const char *offered[] = {"SPANISH", "JAPANESE", "RUSSIAN"};
        for (int i = 0; i < 3; i++)
            WritePrivateProfileStringA("LANGUAGEINFO", ("Info" + std::to_string(4 + i)).c_str(), offered[i],
                                       (media + "install.ini").c_str());
    }

    void expectProgress()
    {
        if (progressTimerPeriodMs >= 1000)
            autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([](HWND) {}));
    }

    // Language, main dialog, the category list, the first category's page,
    // the category list again; by keys or by the clicks that make the same
    // choices.
    SetupOutcome run(bool keys)
    {
        const LanguageRun &lang = GetParam();
        resetCoreState();
        resetRegistry();
        freshMedia();
        autopilotStart();
        HostSetupInfo record = recordOnMedia(media, media + "target");
        strcpy(record.serverDir, SERVER_DIR);

        auto lastEntry = [](HWND dialog) {
            return (int)SendDlgItemMessageA(dialog, IDC_OPTIONS_LIST, LB_GETCOUNT, 0, 0) - 1;
        };
        auto selectLast = [lastEntry]() {
            return inspect([lastEntry](HWND dialog) { selectListEntry(dialog, IDC_OPTIONS_LIST, lastEntry(dialog)); });
        };
        if (keys) {
            autopilotQueueForControl(IDC_LANGUAGE_ENGLISH,
                                     sequence({pressMnemonicOf(lang.button), pressKey(VK_RETURN)}));
        } else {
            int button = lang.button;
            autopilotQueueForControl(IDC_LANGUAGE_ENGLISH, sequence({inspect([button](HWND dialog) {
                                                                         SendDlgItemMessageA(dialog, button, BM_CLICK, 0, 0);
                                                                     }),
                                                                     pressButton(IDOK)}));
        }
        SetupOutcome outcome;
        outcome.language = EXPORTED(initLanguage)(nullptr, &record);
        // The host takes the chosen language's module for the rest of setup.
        copyFileTo(exeDir() + "media\\lang\\" + lang.code + "\\luinsres.dll", media + "luinsres.dll");
        record.languageFlags = outcome.language;

        expectProgress();
        if (keys) {
            autopilotQueueForControl(IDC_MAIN_DIRECTORY, pressMnemonicOf(IDC_MAIN_CUSTOM));
            autopilotQueueForControl(IDC_OPTIONS_LIST, sequence({pressKey(VK_DOWN), pressKey(VK_SPACE), pressKey(VK_HOME),
                                                                 pressMnemonicOf(IDC_OPTIONS_DETAILS)}));
            autopilotQueueForControl(IDC_OPTIONS_LIST, sequence({pressKey(VK_DOWN), pressKey(VK_SPACE), pressKey(VK_END),
                                                                 pressKey(VK_SPACE), pressKey(VK_RETURN)}));
            autopilotQueueForControl(IDC_OPTIONS_LIST,
                                     sequence({pressKey(VK_DOWN), pressKey(VK_DOWN), pressKey(VK_DOWN), pressKey(VK_DOWN),
                                               pressKey(VK_SPACE), pressKey(VK_RETURN)}));
        } else {
            autopilotQueueForControl(IDC_MAIN_DIRECTORY, pressButton(IDC_MAIN_CUSTOM));
            autopilotQueueForControl(IDC_OPTIONS_LIST,
                                     sequence({selectEntry(IDC_OPTIONS_LIST, 1), selectEntry(IDC_OPTIONS_LIST, 1),
                                               selectEntry(IDC_OPTIONS_LIST, 0), pressButton(IDC_OPTIONS_DETAILS)}));
            autopilotQueueForControl(IDC_OPTIONS_LIST,
                                     sequence({selectEntry(IDC_OPTIONS_LIST, 1), selectEntry(IDC_OPTIONS_LIST, 1),
                                               selectLast(), selectLast(), pressButton(IDOK)}));
            autopilotQueueForControl(IDC_OPTIONS_LIST,
                                     sequence({selectEntry(IDC_OPTIONS_LIST, 4), selectEntry(IDC_OPTIONS_LIST, 4),
                                               pressButton(IDOK)}));
        }
        expectProgress();
        outcome.dodialog = EXPORTED(dodialog)(nullptr, &record);
        autopilotStop();
        for (const DialogSeen &seen : autopilotLog()) {
            if (seen.unexpected)
                outcome.notes.push_back("unexpected: " + seen.caption);
            for (const std::string &note : seen.notes)
                outcome.notes.push_back(seen.caption + ": " + note);
        }
        if (autopilotPending())
            outcome.notes.push_back(std::to_string(autopilotPending()) + " dialog(s) never came");
        outcome.installIni = readTextFile(media + "install.ini");
        outcome.registry = registryTreeText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor");
        outcome.registry += registryTreeText(HKEY_CURRENT_USER, "SOFTWARE\\Jor");
        return outcome;
    }

    char winIni[MAX_PATH];
    std::string savedLanguage, media;
};

std::string languageCode(const ::testing::TestParamInfo<LanguageRun> &info) { return info.param.code; }

INSTANTIATE_TEST_SUITE_P(Languages, KeyboardSetupTest, ::testing::ValuesIn(kLanguages), languageCode);

TEST_P(KeyboardSetupTest, KeysAloneGiveTheSameSetupAsClicks)
{
    SetupOutcome byClicks = run(false);
    SetupOutcome byKeys = run(true);
    EXPECT_EQ(std::vector<std::string>(), byClicks.notes);
    EXPECT_EQ(std::vector<std::string>(), byKeys.notes);
    EXPECT_EQ(GetParam().bit, byClicks.language);
    EXPECT_EQ(GetParam().bit, byKeys.language);
    EXPECT_EQ(DODIALOG_CUSTOM, byClicks.dodialog);
    EXPECT_EQ(DODIALOG_CUSTOM, byKeys.dodialog);
    // The choices reached install.ini: JWRITE1 deselected on the page.
    EXPECT_NE(std::string::npos, byKeys.installIni.find("Info2Default=U"));
    EXPECT_EQ(byClicks.installIni, byKeys.installIni);
    EXPECT_FALSE(byKeys.registry.empty());
    EXPECT_EQ(byClicks.registry, byKeys.registry);
}

} // namespace
