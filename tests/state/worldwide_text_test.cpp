// Every text of a module reaches the screen whole, whatever the system's
// code page: the German setup through the dodialog and initLanguage entries
// on a Japanese system (ctest: state_japanese) shows each dialog's texts,
// the names and descriptions of the options dialog (as its list shows them
// and as its accessible object hands them to a screen reader) and its
// message boxes as the module holds them in UTF-16. On any other system the
// same rows hold.
#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "autopilot/autopilot.h"
#include "catalogue/catalogue.h"
#include "dialogs/progress_dialog.h"
#include "entries/dodialog.h"
#include "luinsres_ids.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

INT_PTR CALLBACK quietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The texts a DIALOGEX template of the module holds, as the module holds
// them: the caption first, then each control's title in the template's order
// (empty for a title given by number).
std::vector<std::wstring> templateTexts(HMODULE module, int templateId)
{
    std::vector<std::wstring> texts;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));
    const WORD *at = found ? static_cast<const WORD *>(LockResource(LoadResource(module, found))) : nullptr;
    if (!at || at[1] != 0xFFFF)
        return texts;
    DWORD style = at[6] | (DWORD)at[7] << 16;
    WORD count = at[8];
    at += 13;
    auto text = [&at]() {
        std::wstring read;
        if (*at == 0xFFFF) {
            at += 2;
            return read;
        }
        while (*at)
            read += (wchar_t)*at++;
        at++;
        return read;
    };
    text();                      // menu
    text();                      // class
    texts.push_back(text());     // caption
    if (style & DS_SETFONT) {
        at += 3;                 // size, weight, italic and character set
        text();                  // face
    }
    for (WORD item = 0; item < count; item++) {
        at = reinterpret_cast<const WORD *>(((uintptr_t)at + 3) & ~(uintptr_t)3);
        at += 12;                // help, styles, position, size, identifier
        text();                  // class
        texts.push_back(text());
        WORD extra = *at++;
        at += (extra + 1) / 2;
    }
    return texts;
}

std::vector<HWND> childrenOf(HWND dialog)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

class WorldwideTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetRegistry();
        media = makeTempDir("worldwide");
        for (const char *file : {"install.ini", "setup.lay"})
            copyFileTo(exeDir() + "media\\" + file, media + file);
        copyFileTo(exeDir() + "media\\lang\\de\\luinsres.dll", media + "luinsres.dll");
        for (const char *module : {"apnint.dll", "cpnint.dll", "fixint.dll"})
            copyFileTo(exeDir() + module, media + module);
        record = recordOnMedia(media, media + "target");
        record.languageFlags = LANGUAGE_GERMAN;
        texts = LoadLibraryExA((media + "luinsres.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        if (texts)
            FreeLibrary(texts);
        resetRegistry();
    }
    std::wstring moduleString(int id) const
    {
        WCHAR text[512] = L"";
        LoadStringW(texts, (UINT)id, text, 512);
        return text;
    }
    // Each control the template names a text for shows that text, as a
    // Unicode dialog made from the same template shows it; the controls the
    // dialog fills at run time are left to their own rows.
    void expectTemplateTexts(HWND dialog, int templateId, const std::set<int> &filled) const
    {
        HWND reference = CreateDialogParamW(texts, MAKEINTRESOURCEW(templateId), nullptr, quietProc, 0);
        ASSERT_NE(nullptr, reference);
        EXPECT_EQ(wideTextOf(reference), wideTextOf(dialog)) << "caption of dialog " << templateId;
        std::vector<HWND> expected = childrenOf(reference), shown = childrenOf(dialog);
        ASSERT_EQ(expected.size(), shown.size()) << "dialog " << templateId;
        for (size_t i = 0; i < expected.size(); i++) {
            int id = GetDlgCtrlID(expected[i]);
            if (filled.count(id))
                continue;
            EXPECT_EQ(wideTextOf(expected[i]), wideTextOf(shown[i])) << "dialog " << templateId << " control " << id;
        }
        DestroyWindow(reference);
        // And as the module's template holds it, letter for letter.
        std::vector<std::wstring> held = templateTexts(texts, templateId);
        ASSERT_EQ(shown.size() + 1, held.size()) << "dialog " << templateId;
        EXPECT_EQ(held[0], wideTextOf(dialog)) << "caption of dialog " << templateId;
        for (size_t i = 0; i < shown.size(); i++) {
            int id = GetDlgCtrlID(shown[i]);
            if (!filled.count(id)) {
                EXPECT_EQ(held[i + 1], wideTextOf(shown[i])) << "dialog " << templateId << " control " << id;
            }
        }
    }
    std::string media;
    HostSetupInfo record;
    HMODULE texts = nullptr;
};

TEST_F(WorldwideTextTest, GermanDialogsOnAJapaneseSystemShowTheModulesTextsWhole)
{
    ASSERT_NE(nullptr, texts);
    // The texts the rows look at do hold letters that code page 932 lacks.
    ASSERT_NE(std::wstring::npos, moduleString(NAME_BASE_CATEGORY + 8).find_first_of(L"\u00e4\u00f6\u00fc"))
        << "the module's name of the manuals";
    std::wstring cancelQuestion, working;
    std::vector<std::wstring> names, descriptions;
    std::vector<AccessibleText> spoken;
    // The catalogue is read behind the progress dialog, which says so in the
    // module's words; its wait is long enough to be seen.
    UINT keptPeriod = progressTimerPeriodMs;
    progressTimerPeriodMs = 1000;
    autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([&](HWND dialog) {
        working = wideTextOf(GetDlgItem(dialog, IDC_PROGRESS_MESSAGE));
    }));
    autopilotQueueForControl(IDC_MAIN_DIRECTORY, sequence({
        inspect([&](HWND dialog) {
            expectTemplateTexts(dialog, DLG_MAIN,
                                {IDC_MAIN_DIRECTORY, IDC_MAIN_FREE, IDC_MAIN_FULL_SIZE, IDC_MAIN_DEFAULT_SIZE});
        }),
        pressButton(IDC_MAIN_CUSTOM),
    }));
    autopilotQueueForControl(IDC_OPTIONS_LIST, sequence({
        inspect([&](HWND dialog) {
            expectTemplateTexts(dialog, DLG_OPTIONS,
                                {IDC_OPTIONS_LIST, IDC_OPTIONS_DESCRIPTION, IDC_OPTIONS_NEEDED, IDC_OPTIONS_FREE});
            HWND list = GetDlgItem(dialog, IDC_OPTIONS_LIST);
            int count = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
            for (int position = 0; position < count; position++) {
                WCHAR name[128] = L"";
                SendMessageW(list, LB_GETTEXT, (WPARAM)position, (LPARAM)name);
                names.push_back(name);
                selectListEntry(dialog, IDC_OPTIONS_LIST, position);
                descriptions.push_back(wideTextOf(GetDlgItem(dialog, IDC_OPTIONS_DESCRIPTION)));
            }
            spoken = accessibleChildTexts(list);
        }),
        pressButton(IDCANCEL),
    }));
    autopilotQueueForControl(IDC_MAIN_DIRECTORY, pressButton(IDCANCEL));
    // The question whether to stop: the module's text in a box.
    autopilotQueue([&](HWND box, DialogSeen &) {
        cancelQuestion = wideTextOf(GetDlgItem(box, 0xFFFF));
        clickButton(box, IDYES);
    });
    EXPORTED(dodialog)(nullptr, &record);
    progressTimerPeriodMs = keptPeriod;
    EXPECT_EQ(0u, autopilotUnexpected());
    EXPECT_EQ(0u, autopilotPending());
    EXPECT_EQ(moduleString(IDS_PROGRESS_READING), working);
    EXPECT_EQ(moduleString(IDS_CONFIRM_CANCEL), cancelQuestion);
    ASSERT_FALSE(names.empty());
    // A screen reader is handed the same words: each entry's accessible name
    // and description are the module's strings.
    ASSERT_EQ(names.size(), spoken.size());
    for (size_t position = 0; position < names.size(); position++) {
        int k = (int)position + 1;
        EXPECT_EQ(moduleString(NAME_BASE_CATEGORY + k), names[position]) << "category " << k;
        EXPECT_EQ(moduleString(NAME_BASE_CATEGORY + k), spoken[position].name) << "accessible name of category " << k;
        EXPECT_EQ(descriptions[position], spoken[position].description) << "accessible description of category " << k;
        if (!descriptions[position].empty()) {
            EXPECT_EQ(moduleString(IDS_CATEGORY_DESCRIPTION_BASE + k), descriptions[position]) << "category " << k;
        }
    }
}

TEST_F(WorldwideTextTest, GermanLanguageDialogOnAJapaneseSystemNamesEachLanguageWhole)
{
    ASSERT_NE(nullptr, texts);
    char winIni[MAX_PATH];
    GetWindowsDirectoryA(winIni, MAX_PATH);
    strcat(winIni, "\\win.ini");
    char saved[64] = "";
    bool had = GetPrivateProfileStringA("intl", "sLanguage", "\x01", saved, sizeof saved, winIni) > 0 &&
               saved[0] != '\x01';
    // A system language that install.ini does not offer: the dialog asks.
    WritePrivateProfileStringA("intl", "sLanguage", "ita", winIni);
    autopilotQueueForControl(IDC_LANGUAGE_ENGLISH, sequence({
        inspect([&](HWND dialog) { expectTemplateTexts(dialog, DLG_LANGUAGE, {}); }),
        pressButton(IDCANCEL),
    }));
    EXPORTED(initLanguage)(nullptr, &record);
    WritePrivateProfileStringA("intl", "sLanguage", had ? saved : nullptr, winIni);
    EXPECT_EQ(0u, autopilotPending()) << "the language dialog was shown";
    EXPECT_EQ(0u, autopilotUnexpected());
}

// A folder the system's code page cannot hold, or one longer in its bytes
// than the host's slot, is refused with the module's message, never turned
// into question marks or cut; the main dialog stays for another.
TEST_F(WorldwideTextTest, FolderTheCodePageCannotHoldOnAJapaneseSystemIsRefused)
{
    ASSERT_NE(nullptr, texts);
    bool japanese = GetACP() == 932;
    std::wstring longName(150, L'\u30bd');
    const struct {
        const char *name;
        std::wstring folder;
        int button;
    } rows[] = {
        {"a letter the code page lacks", japanese ? L"C:\\Lum\u00f6ria" : L"C:\\\u30bd\u30d5\u30c8", IDC_MAIN_STANDARD},
        {"the same, custom", japanese ? L"C:\\Lum\u00f6ria" : L"C:\\\u30bd\u30d5\u30c8", IDC_MAIN_CUSTOM},
        {"no script at all", L"C:\\\U0001F600", IDC_MAIN_STANDARD},
        {"longer than the slot in bytes", L"C:\\" + longName, IDC_MAIN_STANDARD},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        autopilotStart();
        // The catalogue's progress dialog goes by itself.
        if (progressTimerPeriodMs >= 1000)
            autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([](HWND) {}));
        std::wstring refusal;
        DWORD before = GetFileAttributesW(row.folder.c_str());
        // The main dialog stays: once the refusal is answered, it is cancelled.
        autopilotQueueForControl(IDC_MAIN_DIRECTORY, sequence({
            inspect([&](HWND dialog) { SetDlgItemTextW(dialog, IDC_MAIN_DIRECTORY, row.folder.c_str()); }),
            pressButton(row.button),
            pressButton(IDCANCEL),
        }));
        autopilotQueue([&](HWND box, DialogSeen &) {
            refusal = wideTextOf(GetDlgItem(box, 0xFFFF));
            clickButton(box, IDOK);
        });
        autopilotQueue([&](HWND box, DialogSeen &) { clickButton(box, IDYES); });
        EXPORTED(dodialog)(nullptr, &record);
        EXPECT_EQ(0u, autopilotUnexpected());
        EXPECT_EQ(0u, autopilotPending());
        EXPECT_EQ(moduleString(IDS_FOLDER_UNUSABLE), refusal);
        EXPECT_EQ(before, GetFileAttributesW(row.folder.c_str())) << "no folder made";
        autopilotStop();
    }
}

} // namespace
