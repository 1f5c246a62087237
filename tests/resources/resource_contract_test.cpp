// resource_contract_test.cpp - each language's luinsres.dll against what
// dialogint.dll asks of it: every template with the controls and styles its
// dialog procedure relies on, every string within the buffer it is loaded
// into, the printf formats, both list bitmaps and the resources' language.
// The dialogs are made for real, in their own font, at 96, 120, 144 and 192
// dpi on a Western, a Japanese and a Cyrillic system, to find controls
// outside the margins, texts that would be cut, a category list that would
// scroll and boxes that would not grow with its rows. Every template is read
// as the keyboard reaches it: each mnemonic unique in its dialog, each field
// after its label.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <tuple>
#include <vector>

#include "dialogs/component_list.h"
#include "autopilot/autopilot.h"
#include "luinsres_ids.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

struct TemplateContract {
    int id;
    std::vector<int> controls;
};

const TemplateContract kTemplates[] = {
    {DLG_PROGRESS, {IDC_PROGRESS_MESSAGE}},
    {DLG_REINSTALL, {IDC_REINSTALL_MODIFY, IDC_REINSTALL_REINSTALL, IDC_REINSTALL_REMOVE,
                     IDCANCEL, IDC_HELP_BUTTON}},
    {DLG_OPTIONS, {IDC_OPTIONS_LIST, IDC_OPTIONS_DETAILS, IDC_OPTIONS_FREE, IDC_OPTIONS_NEEDED,
                   IDC_OPTIONS_DESCRIPTION, IDOK, IDCANCEL, IDC_HELP_BUTTON}},
    {DLG_LANGUAGE, {IDC_LANGUAGE_ENGLISH, IDC_LANGUAGE_GERMAN, IDC_LANGUAGE_FRENCH,
                    IDC_LANGUAGE_SPANISH, IDC_LANGUAGE_JAPANESE, IDC_LANGUAGE_RUSSIAN, IDOK, IDCANCEL,
                    IDC_HELP_BUTTON}},
    {DLG_MAIN, {IDC_MAIN_DIRECTORY, IDC_MAIN_FREE, IDC_MAIN_FULL_SIZE, IDC_MAIN_DEFAULT_SIZE,
                IDC_MAIN_STANDARD, IDC_MAIN_CUSTOM, IDC_MAIN_WORKSTATION, IDC_HELP_BUTTON,
                IDCANCEL}},
    {DLG_MAIN_UPGRADE, {IDC_MAIN_DIRECTORY, IDC_MAIN_FREE, IDC_MAIN_FULL_SIZE,
                        IDC_MAIN_DEFAULT_SIZE, IDC_MAIN_STANDARD, IDC_MAIN_CUSTOM,
                        IDC_MAIN_WORKSTATION, IDC_HELP_BUTTON, IDCANCEL}},
    {DLG_NETWORK, {IDC_NETWORK_DIRECTORY, IDC_NETWORK_FREE, IDC_NETWORK_NEEDED, IDOK, IDCANCEL}},
};

// Style bits the procedures depend on: (style & mask) must equal expected.
struct StyleContract {
    int dialog, control;
    LONG mask, expected;
};

const LONG kListMask = LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_NOTIFY |
                       LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL;
const LONG kEditMask = ES_AUTOHSCROLL | ES_MULTILINE | ES_READONLY | ES_NUMBER;

const StyleContract kStyles[] = {
    // Painted by the dialog, read back with LB_GETTEXT, clicks reported;
    // positions are item numbers, so never sorted, and one current entry.
    {DLG_OPTIONS, IDC_OPTIONS_LIST, kListMask, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY},
    {DLG_OPTIONS, IDC_OPTIONS_DESCRIPTION, SS_TYPEMASK, SS_LEFT},  // wraps
    {DLG_PROGRESS, IDC_PROGRESS_MESSAGE, SS_TYPEMASK, SS_LEFT},
    {DLG_MAIN, IDC_MAIN_DIRECTORY, kEditMask, ES_AUTOHSCROLL},
    {DLG_MAIN_UPGRADE, IDC_MAIN_DIRECTORY, kEditMask, ES_AUTOHSCROLL},
    {DLG_NETWORK, IDC_NETWORK_DIRECTORY, kEditMask, ES_AUTOHSCROLL},
    // The dialog only reads the buttons' states at OK.
    {DLG_LANGUAGE, IDC_LANGUAGE_ENGLISH, BS_TYPEMASK | WS_GROUP | WS_TABSTOP,
     BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
    {DLG_LANGUAGE, IDC_LANGUAGE_GERMAN, BS_TYPEMASK | WS_GROUP, BS_AUTORADIOBUTTON},
    {DLG_LANGUAGE, IDC_LANGUAGE_FRENCH, BS_TYPEMASK | WS_GROUP, BS_AUTORADIOBUTTON},
    {DLG_LANGUAGE, IDC_LANGUAGE_SPANISH, BS_TYPEMASK | WS_GROUP, BS_AUTORADIOBUTTON},
    {DLG_LANGUAGE, IDC_LANGUAGE_JAPANESE, BS_TYPEMASK | WS_GROUP, BS_AUTORADIOBUTTON},
    {DLG_LANGUAGE, IDC_LANGUAGE_RUSSIAN, BS_TYPEMASK | WS_GROUP, BS_AUTORADIOBUTTON},
};

// Buffer sizes of the library's loads, terminator excluded.
const int kCaptionLimit = 89;
const int kScratchLimit = 253;
const int kNameLimit = 29;         // 30-byte display-name field
const int kDescriptionLimit = 255;
const int kRemoveSharedLimit = 199;

struct StringContract {
    int id;
    int maxLength;
    bool format;    // exactly one %s, no other conversion
    bool question;  // asked with Yes and No
};

std::vector<StringContract> stringContracts()
{
    std::vector<StringContract> all = {
        {IDS_CAPTION, kCaptionLimit, false, false},
        {IDS_NO_INSTALLATION, kScratchLimit, false, false},
        {IDS_OTHER_VERSION, kScratchLimit, false, false},
        {IDS_OLDER_KIND, kScratchLimit, false, true},
        {IDS_UPGRADE_CUSTOM, kScratchLimit, false, false},
        {IDS_PROGRESS_READING, kScratchLimit, false, false},
        {IDS_PROGRESS_CONFIGURING, kScratchLimit, false, false},
        {IDS_PROGRESS_NETWORK, kScratchLimit, false, false},
        {IDS_REMOVE_SHARED, kRemoveSharedLimit, true, true},
        {IDS_NO_SPACE, kScratchLimit, false, false},
        {IDS_CONFIRM_CANCEL, kScratchLimit, false, true},
        {IDS_NOT_SAVED, kScratchLimit, false, false},
        {IDS_REGISTRY_NOT_WRITTEN, kScratchLimit, false, false},
        {IDS_FOLDER_NOT_MADE, kScratchLimit, false, true},
        {IDS_FOLDER_UNUSABLE, kScratchLimit, false, false},
    };
    for (int k = 0; k <= 10; ++k)
        all.push_back({IDS_CATEGORY_NAME_BASE + k, kNameLimit, false, false});
    for (int k = 1; k <= 10; ++k)
        all.push_back({IDS_CATEGORY_DESCRIPTION_BASE + k, kDescriptionLimit, false, false});
    // Formatted with a name into the same 255 characters.
    for (int g = 1; g <= 9; ++g)
        all.push_back({IDS_ITEM_DESCRIPTION_BASE + g, kDescriptionLimit - kNameLimit + 2, true,
                       false});
    for (int id : {3, 13, 181, 204, 301, 326, 351, 381, 382, 383, 384})
        all.push_back({id, kNameLimit, false, false});
    return all;
}

// The largest signed 32-bit figure with its groups: more than the thousands
// figures ever reach, so a control that takes it never cuts one.
const wchar_t kWidestFigure[] = L"2,147,483,647";
// A display name of the full 29 characters.
const wchar_t kLongestName[] = L"Jor Writer for Workgroups 2.x";

// One language's module: its folder under media\lang\, the language its
// resources are marked with, one text with the letters of the language, to
// see that the code page was read right, and the ANSI code page of the
// systems that speak it, in which the library's 8-bit buffers hold its texts.
struct LanguageModule {
    const char *code;
    LANGID language;
    int sampleId;
    const wchar_t *sample;
    UINT codePage;
};

const LanguageModule kModules[] = {
    {"en", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), IDS_CATEGORY_NAME_BASE + 8, L"Manuals and online help",
     1252},
    {"fr", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), IDS_CATEGORY_NAME_BASE + 5, L"Int\u00e9gration aux applications",
     1252},
    {"de", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), IDS_CATEGORY_NAME_BASE + 8, L"Handb\u00fccher und Onlinehilfe",
     1252},
    {"es", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), IDS_CATEGORY_NAME_BASE + 2,
     L"Filtros de hojas de c\u00e1lculo", 1252},
    {"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), IDS_CATEGORY_NAME_BASE + 8,
     L"\u30de\u30cb\u30e5\u30a2\u30eb\u3068\u30aa\u30f3\u30e9\u30a4\u30f3 \u30d8\u30eb\u30d7", 932},
    {"ru", MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA), IDS_CATEGORY_NAME_BASE + 5,
     L"\u0418\u043d\u0442\u0435\u0433\u0440\u0430\u0446\u0438\u044f \u0441 \u043f\u0440\u0438\u043b\u043e\u0436\u0435\u043d\u0438\u044f\u043c\u0438",
     1251},
};

const int kDpis[] = {96, 120, 144, 192};

// A system the dialogs are shown on: the locale Wine starts its process in,
// the code page that gives, and letters of the system's own, which the
// dialogs' font must have.
struct SystemLocale {
    const char *name;
    const char *locale;
    UINT codePage;
    const wchar_t *letters;
};

const SystemLocale kSystems[] = {
    {"western", "en_US.UTF-8", 1252, L"\u00e9\u00fc\u00f1\u00df"},
    {"japanese", "ja_JP.UTF-8", 932, L"\u65e5\u672c\u8a9e\u30bb\u30c3\u30c8\u30a2\u30c3\u30d7"},
    {"cyrillic", "ru_RU.UTF-8", 1251, L"\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430"},
};

HMODULE g_module = nullptr;
UINT g_codePage = 1252;

// The list's rows are measured by the library's own code, on this module's
// bitmaps, as the options dialog measures them.
INT_PTR CALLBACK contractDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_MEASUREITEM)  // sent by the owner-drawn list of DLG_OPTIONS
        return measureComponentList(dialog, reinterpret_cast<MEASUREITEMSTRUCT *>(lParam));
    if (message == WM_DESTROY)
        releaseListResources();
    return FALSE;
}

// One template made into a hidden dialog for the length of a check.
struct Dialog {
    HWND window;
    explicit Dialog(int id)
        : window(CreateDialogParamW(g_module, MAKEINTRESOURCEW(id), nullptr, contractDialogProc, 0))
    {
    }
    ~Dialog()
    {
        if (window)
            DestroyWindow(window);
    }
    std::vector<HWND> controls() const
    {
        std::vector<HWND> all;
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            all.push_back(c);
        return all;
    }
};

std::wstring loadWide(int id)
{
    wchar_t text[1024] = L"";
    int length = LoadStringW(g_module, id, text, 1024);
    return std::wstring(text, length);
}

// A text as a host in the module's language receives it: in that language's
// code page, so that its length is the bytes the library's buffers take.
std::string loadString(int id)
{
    std::wstring wide = loadWide(id);
    if (wide.empty())
        return "";
    int bytes = WideCharToMultiByte(g_codePage, 0, wide.c_str(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
    std::string text(bytes, '\0');
    WideCharToMultiByte(g_codePage, 0, wide.c_str(), (int)wide.size(), &text[0], bytes, nullptr, nullptr);
    return text;
}

// A text for a failure message.
std::string utf8(const std::wstring &text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], bytes, nullptr, nullptr);
    return out;
}

// The letter after the first single '&', lower case, as the dialog
// manager matches it; 0 without one.
wchar_t foldedMnemonicOf(const std::wstring &text)
{
    WCHAR letter = mnemonicOf(text);
    return letter ? (wchar_t)(UINT_PTR)CharLowerW((LPWSTR)(UINT_PTR)letter) : 0;
}

// Empty when `text` fits `control` in the control's font, else what it needs:
// one line, or, in a static at least two lines high, wrapped lines within its
// height. Push buttons keep room for their frame, radio buttons for the circle.
std::string cutBy(HWND control, const std::wstring &text)
{
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    char className[32] = "";
    GetClassNameA(control, className, sizeof className);
    bool isButton = lstrcmpiA(className, "Button") == 0;
    LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    int room = client.right;
    if (isButton)
        room -= (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) ? 8 : GetSystemMetrics(SM_CXMENUCHECK) + 4;
    bool wraps = !isButton && client.bottom >= 2 * metrics.tmHeight;
    UINT prefix = (!isButton && (GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX)) ? DT_NOPREFIX : 0;
    RECT need = {0, 0, room, 0};
    DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | prefix | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
    if (need.right <= room && need.bottom <= client.bottom)
        return "";
    return "\"" + utf8(text) + "\" needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) +
           " pixels, has " + std::to_string(room) + "x" + std::to_string(client.bottom);
}

std::string modulePath(const LanguageModule &m)
{
    return exeDir() + "media\\lang\\" + m.code + "\\luinsres.dll";
}

// The language module under test becomes the library's resource module.
void useModule(const LanguageModule &m)
{
    g_module = LoadLibraryA(modulePath(m).c_str());
    g_codePage = m.codePage;
    ASSERT_NE(nullptr, g_module) << modulePath(m) << " does not load";
    resourceModule = g_module;
}

void dropModule()
{
    resourceModule = nullptr;
    if (g_module)
        FreeLibrary(g_module);
    g_module = nullptr;
}

class ResourceContract : public ::testing::TestWithParam<LanguageModule> {
protected:
    void SetUp() override { useModule(GetParam()); }
    void TearDown() override { dropModule(); }
};

std::string languageName(const ::testing::TestParamInfo<LanguageModule> &info) { return info.param.code; }

INSTANTIATE_TEST_SUITE_P(Languages, ResourceContract, ::testing::ValuesIn(kModules), languageName);

TEST_P(ResourceContract, EveryTemplateHoldsTheControlsItsProcedureUses)
{
    for (const TemplateContract &t : kTemplates) {
        EXPECT_NE(nullptr, FindResourceA(g_module, MAKEINTRESOURCEA(t.id), RT_DIALOG))
            << "template " << t.id;
        Dialog dialog(t.id);
        ASSERT_NE(nullptr, dialog.window) << "template " << t.id << " cannot be made";
        for (int id : t.controls)
            EXPECT_NE(nullptr, GetDlgItem(dialog.window, id)) << "template " << t.id << ", control " << id;
    }
}

TEST_P(ResourceContract, ControlsCarryTheStylesTheirProceduresRelyOn)
{
    for (const StyleContract &s : kStyles) {
        Dialog dialog(s.dialog);
        HWND control = GetDlgItem(dialog.window, s.control);
        ASSERT_NE(nullptr, control) << "template " << s.dialog << ", control " << s.control;
        EXPECT_EQ(s.expected, GetWindowLongA(control, GWL_STYLE) & s.mask)
            << "template " << s.dialog << ", control " << s.control;
    }
}

TEST_P(ResourceContract, LanguageButtonsAreOneGroupThatChecksItself)
{
    Dialog dialog(DLG_LANGUAGE);
    ASSERT_NE(nullptr, dialog.window);
    // The group runs from the English button to the next control that starts one.
    std::vector<int> group;
    HWND c = GetDlgItem(dialog.window, IDC_LANGUAGE_ENGLISH);
    do {
        group.push_back(GetDlgCtrlID(c));
        c = GetWindow(c, GW_HWNDNEXT);
    } while (c && !(GetWindowLongA(c, GWL_STYLE) & WS_GROUP));
    EXPECT_EQ((std::vector<int>{IDC_LANGUAGE_ENGLISH, IDC_LANGUAGE_GERMAN, IDC_LANGUAGE_FRENCH,
                                IDC_LANGUAGE_SPANISH, IDC_LANGUAGE_JAPANESE, IDC_LANGUAGE_RUSSIAN}),
              group);

    CheckDlgButton(dialog.window, IDC_LANGUAGE_ENGLISH, BST_CHECKED);
    SendDlgItemMessageA(dialog.window, IDC_LANGUAGE_FRENCH, BM_CLICK, 0, 0);
    EXPECT_EQ(UINT(BST_CHECKED), IsDlgButtonChecked(dialog.window, IDC_LANGUAGE_FRENCH));
    EXPECT_EQ(UINT(BST_UNCHECKED), IsDlgButtonChecked(dialog.window, IDC_LANGUAGE_ENGLISH));
}

TEST_P(ResourceContract, EveryStringIsPresentAndFitsItsBuffer)
{
    for (const StringContract &s : stringContracts()) {
        std::string text = loadString(s.id);
        EXPECT_FALSE(text.empty()) << "string " << s.id;
        // Every letter came through the resource compiler and has a place
        // in the language's code page.
        std::wstring wide = loadWide(s.id);
        EXPECT_EQ(std::wstring::npos, wide.find(L'\ufffd')) << "string " << s.id;
        BOOL lost = FALSE;
        WideCharToMultiByte(g_codePage, WC_NO_BEST_FIT_CHARS, wide.c_str(), (int)wide.size(), nullptr, 0, nullptr,
                            &lost);
        EXPECT_FALSE(lost) << "string " << s.id << " has letters outside code page " << g_codePage;
        EXPECT_LE(text.size(), static_cast<size_t>(s.maxLength)) << "string " << s.id << ": " << text;
        if (s.question) {
            EXPECT_EQ('?', text.empty() ? 0 : text.back()) << "string " << s.id << ": " << text;
        }
        if (s.format) {
            int insertions = 0, others = 0;
            for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1))
                (at + 1 < text.size() && text[at + 1] == 's') ? ++insertions : ++others;
            EXPECT_EQ(1, insertions) << "string " << s.id << ": " << text;
            EXPECT_EQ(0, others) << "string " << s.id << ": " << text;
        }
    }
}

TEST_P(ResourceContract, ResourcesAreMarkedWithTheirLanguageAndKeepItsLetters)
{
    const LanguageModule &m = GetParam();
    for (const TemplateContract &t : kTemplates)
        EXPECT_NE(nullptr, FindResourceExA(g_module, RT_DIALOG, MAKEINTRESOURCEA(t.id), m.language))
            << "template " << t.id;
    for (int id : {IDS_CAPTION, IDS_ITEM_DESCRIPTION_BASE + 1, IDS_NAME_BASE_MANUAL + 1})
        EXPECT_NE(nullptr, FindResourceExA(g_module, RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), m.language))
            << "string " << id;
    wchar_t text[64] = L"";
    LoadStringW(g_module, m.sampleId, text, 64);
    EXPECT_STREQ(m.sample, text);
}

TEST_P(ResourceContract, BoxBitmapsLoadByNameInOneSize)
{
    BITMAP sizes[2] = {};
    const char *names[2] = {BMP_TICK, BMP_BLANK};
    std::vector<COLORREF> pixels[2];
    for (int b = 0; b < 2; ++b) {
        HBITMAP bitmap = LoadBitmapA(g_module, names[b]);
        ASSERT_NE(nullptr, bitmap) << names[b];
        GetObjectA(bitmap, sizeof sizes[b], &sizes[b]);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        for (int y = 0; y < sizes[b].bmHeight; ++y)
            for (int x = 0; x < sizes[b].bmWidth; ++x)
                pixels[b].push_back(GetPixel(dc, x, y));
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    // The list's text starts two tick widths in, whichever box is drawn, and a
    // row is the blank box's height + 2: both boxes alike, and small.
    EXPECT_EQ(sizes[0].bmWidth, sizes[1].bmWidth);
    EXPECT_EQ(sizes[0].bmHeight, sizes[1].bmHeight);
    EXPECT_GE(sizes[1].bmHeight, 11);
    EXPECT_LE(sizes[1].bmHeight + 2, 16) << "rows would grow beyond a 16-pixel text line";
    EXPECT_TRUE(pixels[0] != pixels[1]) << "the tick box shows no tick";
}

std::string classOf(HWND control)
{
    char name[32] = "";
    GetClassNameA(control, name, sizeof name);
    return name;
}

// Read as the keyboard and a screen reader reach each dialog: Tab reaches
// every control that takes input, each column top to bottom; Alt and a
// letter reaches every button but OK and Cancel (Enter and Escape do) and
// every field that takes input, through its label, never two controls with
// one letter; and every field and figure comes right after its label in the
// tab order, where a screen reader takes its name from.
TEST_P(ResourceContract, TabOrderReadsDownEachColumnMnemonicsAreUniqueAndEveryFieldFollowsItsLabel)
{
    for (const TemplateContract &t : kTemplates) {
        Dialog dialog(t.id);
        ASSERT_NE(nullptr, dialog.window) << "template " << t.id;
        std::wstring letters;
        HWND previous = nullptr;
        bool inRadioGroup = false;
        std::vector<RECT> stops;   // the tab stops so far, in tab order
        for (HWND control : dialog.controls()) {
            LONG controlStyle = GetWindowLongA(control, GWL_STYLE);
            std::string controlClass = classOf(control);
            LONG buttonType = controlStyle & BS_TYPEMASK;
            bool radio = lstrcmpiA(controlClass.c_str(), "Button") == 0 &&
                         (buttonType == BS_AUTORADIOBUTTON || buttonType == BS_RADIOBUTTON);
            bool interactive = lstrcmpiA(controlClass.c_str(), "Edit") == 0 ||
                               lstrcmpiA(controlClass.c_str(), "ListBox") == 0 ||
                               (lstrcmpiA(controlClass.c_str(), "Button") == 0 && buttonType != BS_GROUPBOX);
            // The buttons of a radio group after its first are reached with
            // the arrow keys.
            if (interactive && !(radio && inRadioGroup && !(controlStyle & WS_GROUP))) {
                EXPECT_TRUE(controlStyle & WS_TABSTOP)
                    << "template " << t.id << ", control " << GetDlgCtrlID(control) << " is not reached with Tab";
                RECT r;
                GetWindowRect(control, &r);
                for (const RECT &before : stops)
                    if (before.left == r.left) {
                        EXPECT_LT(before.top, r.top) << "template " << t.id << ", control " << GetDlgCtrlID(control)
                                                     << " comes after a control below it in its column";
                    }
                stops.push_back(r);
            }
            inRadioGroup = radio;
            std::wstring text = wideTextOf(control);
            std::string kind = classOf(control);
            LONG style = GetWindowLongA(control, GWL_STYLE);
            int id = GetDlgCtrlID(control);
            bool isStatic = lstrcmpiA(kind.c_str(), "Static") == 0;
            bool isButton = lstrcmpiA(kind.c_str(), "Button") == 0;
            wchar_t letter = (isStatic && (style & SS_NOPREFIX)) ? 0 : foldedMnemonicOf(text);
            std::string where = "template " + std::to_string(t.id) + ", control " + std::to_string(id) + " \"" +
                                utf8(text) + "\"";
            if (letter) {
                EXPECT_EQ(std::wstring::npos, letters.find(letter))
                    << where << ": '" << utf8(std::wstring(1, letter)) << "' taken twice";
                letters += letter;
            }
            LONG type = style & BS_TYPEMASK;
            if (isButton && type != BS_GROUPBOX && id != IDOK && id != IDCANCEL) {
                EXPECT_NE(0, letter) << where << ": a button without a mnemonic";
            }
            bool takesInput = lstrcmpiA(kind.c_str(), "Edit") == 0 || lstrcmpiA(kind.c_str(), "ListBox") == 0;
            bool figure = isStatic && (style & SS_TYPEMASK) == SS_RIGHT;
            if (takesInput || figure) {
                std::wstring label = previous ? wideTextOf(previous) : L"";
                bool labelled = previous && !label.empty() &&
                                (lstrcmpiA(classOf(previous).c_str(), "Static") == 0 ||
                                 (GetWindowLongA(previous, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) &&
                                (WORD)GetDlgCtrlID(previous) == 0xFFFF;   // a label, not a field
                EXPECT_TRUE(labelled) << where << ": no label right before it";
                if (takesInput) {
                    EXPECT_NE(0, foldedMnemonicOf(label)) << where << ": its label \"" << label << "\" has no mnemonic";
                }
            }
            previous = control;
        }
    }
}

// Every control inside the dialog and, but for the rounding of dialog units
// to pixels (one pixel), inside its 7-unit margins.
void checkMargins()
{
    for (const TemplateContract &t : kTemplates) {
        Dialog dialog(t.id);
        ASSERT_NE(nullptr, dialog.window) << "template " << t.id;
        RECT area, margin = {7, 7, 0, 0};
        GetClientRect(dialog.window, &area);
        MapDialogRect(dialog.window, &margin);
        RECT whole = area;
        InflateRect(&area, 1 - margin.left, 1 - margin.top);
        for (HWND control : dialog.controls()) {
            RECT r;
            GetWindowRect(control, &r);
            MapWindowPoints(HWND_DESKTOP, dialog.window, reinterpret_cast<POINT *>(&r), 2);
            RECT inside, shown;
            IntersectRect(&inside, &r, &area);
            IntersectRect(&shown, &r, &whole);
            EXPECT_TRUE(EqualRect(&shown, &r)) << "template " << t.id << ", control " << GetDlgCtrlID(control)
                                               << " \"" << utf8(wideTextOf(control)) << "\" lies outside the dialog";
            EXPECT_TRUE(EqualRect(&inside, &r)) << "template " << t.id << ", control " << GetDlgCtrlID(control)
                                                << " \"" << utf8(wideTextOf(control)) << "\" crosses the margin";
        }
    }
}

// No text of a template, nor any text the library writes into its controls,
// is cut in the control's own font.
void checkNoTextCut()
{
    for (const TemplateContract &t : kTemplates) {
        Dialog dialog(t.id);
        for (HWND control : dialog.controls()) {
            std::wstring text = wideTextOf(control);
            if (!text.empty()) {
                EXPECT_EQ("", cutBy(control, text)) << "template " << t.id;
            }
        }
    }

    // Texts the library writes into controls while the dialogs run.
    std::vector<std::wstring> descriptions;
    for (int k = 1; k <= 10; ++k)
        descriptions.push_back(loadWide(IDS_CATEGORY_DESCRIPTION_BASE + k));
    for (int g = 1; g <= 9; ++g) {
        std::wstring text = loadWide(IDS_ITEM_DESCRIPTION_BASE + g);
        size_t at = text.find(L"%s");
        descriptions.push_back(at == std::wstring::npos ? text : text.replace(at, 2, kLongestName));
    }
    const std::vector<std::wstring> figure = {kWidestFigure};
    const struct {
        int dialog, control;
        std::vector<std::wstring> texts;
    } fillings[] = {
        {DLG_PROGRESS, IDC_PROGRESS_MESSAGE,
         {loadWide(IDS_PROGRESS_READING), loadWide(IDS_PROGRESS_CONFIGURING), loadWide(IDS_PROGRESS_NETWORK)}},
        {DLG_MAIN_UPGRADE, IDC_MAIN_CUSTOM, {loadWide(IDS_UPGRADE_CUSTOM)}},
        {DLG_OPTIONS, IDC_OPTIONS_DESCRIPTION, descriptions},
        {DLG_OPTIONS, IDC_OPTIONS_FREE, figure},
        {DLG_OPTIONS, IDC_OPTIONS_NEEDED, figure},
        {DLG_MAIN, IDC_MAIN_FREE, figure},
        {DLG_MAIN, IDC_MAIN_FULL_SIZE, figure},
        {DLG_MAIN, IDC_MAIN_DEFAULT_SIZE, figure},
        {DLG_MAIN_UPGRADE, IDC_MAIN_FREE, figure},
        {DLG_MAIN_UPGRADE, IDC_MAIN_FULL_SIZE, figure},
        {DLG_MAIN_UPGRADE, IDC_MAIN_DEFAULT_SIZE, figure},
        {DLG_NETWORK, IDC_NETWORK_FREE, figure},
        {DLG_NETWORK, IDC_NETWORK_NEEDED, figure},
    };
    for (const auto &f : fillings) {
        Dialog dialog(f.dialog);
        HWND control = GetDlgItem(dialog.window, f.control);
        ASSERT_NE(nullptr, control) << "template " << f.dialog << ", control " << f.control;
        for (const std::wstring &text : f.texts)
            EXPECT_EQ("", cutBy(control, text)) << "template " << f.dialog << ", control " << f.control;
    }
}

// The category list shows its ten entries without scrolling, in rows of the
// height the options dialog measures.
void checkCategoryRows()
{
    Dialog dialog(DLG_OPTIONS);
    ASSERT_NE(nullptr, dialog.window);
    HWND list = GetDlgItem(dialog.window, IDC_OPTIONS_LIST);
    for (int k = 1; k <= 10; ++k)
        SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)loadWide(IDS_CATEGORY_NAME_BASE + k).c_str());
    int rowHeight = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    RECT client, last;
    GetClientRect(list, &client);
    SendMessageA(list, LB_GETITEMRECT, 9, (LPARAM)&last);
    ASSERT_GT(rowHeight, 0);
    EXPECT_GE(client.bottom / rowHeight, 10) << "rows of " << rowHeight << " pixels in " << client.bottom;
    // Large text: the boxes grow with the resolution, as the rows do, and
    // still fit their row.
    SIZE box = componentListDrawing.boxSize;
    HDC context = GetDC(list);
    int dpi = GetDeviceCaps(context, LOGPIXELSY);
    ReleaseDC(list, context);
    EXPECT_GE(box.cy * 96, componentListDrawing.blankSize.cy * dpi - 96) << "boxes of " << box.cy << " pixels at " << dpi << " dpi";
    EXPECT_EQ(box.cx, box.cy);
    EXPECT_LE(box.cy + 2, rowHeight) << "boxes of " << box.cy << " pixels in rows of " << rowHeight;
    EXPECT_LE(last.bottom, client.bottom) << "the tenth category is below the list's edge";
    EXPECT_EQ(0, (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0));
}

// The dialogs' font has the glyphs of the system's own letters: without a
// font for them (a Japanese system whose "MS UI Gothic" is missing) every one
// would be an empty box, and boxes fit anywhere.
void checkFontHoldsTheSystemsLetters(const SystemLocale &system)
{
    Dialog dialog(DLG_MAIN);
    ASSERT_NE(nullptr, dialog.window);
    HDC dc = GetDC(dialog.window);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog.window, WM_GETFONT, 0, 0)));
    WCHAR face[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, face);
    std::wstring letters = system.letters;
    std::vector<WORD> glyphs(letters.size());
    GetGlyphIndicesW(dc, letters.c_str(), (int)letters.size(), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, oldFont);
    ReleaseDC(dialog.window, dc);
    for (size_t i = 0; i < letters.size(); i++)
        EXPECT_NE(0xFFFF, glyphs[i]) << "the dialogs' font " << utf8(face) << " has no glyph for U+" << std::hex
                                     << (unsigned)letters[i];
}

// ---------------------------------------------------------------------------
// The layout at each resolution on each system. Wine takes the code page
// from the Unix locale it starts in, which a Windows process cannot hand its
// children: each system's rows run in a test program started in its locale
// (ctest's resources_<system>), the others skip. Wine takes the resolution
// from HKCU\Control Panel\Desktop "LogPixels" when a process starts, so a
// resolution other than this process's runs the same test in a child process
// started while the value says so; the value is put back as soon as the child
// has started.

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kChildEvent[] = "DIALOGINT_LAYOUT_CHILD";

int screenDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Runs the current test at `dpi` in a child process on the same system; its
// output when it fails.
void runInChild(int dpi, const SystemLocale &system)
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string eventName = "dialogint-layout-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(dpi) +
                            "-" + system.name;
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    DWORD type = 0;
    std::string kept;
    bool hadValue = readRegValue(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", &type, &kept);
    HKEY desktop;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &desktop, nullptr));
    DWORD value = (DWORD)dpi;
    RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, (const BYTE *)&value, sizeof value);

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" --gtest_color=no --gtest_filter=" +
                          test->test_suite_name() + "." + test->name();
    PROCESS_INFORMATION child = {};
    SetEnvironmentVariableA(kChildEvent, eventName.c_str());
    BOOL made = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableA(kChildEvent, nullptr);
    CloseHandle(writeEnd);
    if (made)
        WaitForSingleObject(started, 60000);
    if (hadValue)
        RegSetValueExA(desktop, "LogPixels", 0, type, (const BYTE *)kept.data(), (DWORD)kept.size());
    else
        RegDeleteValueA(desktop, "LogPixels");
    RegCloseKey(desktop);
    std::string output;
    char buffer[4096];
    DWORD n;
    while (made && ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0)
        output.append(buffer, n);
    CloseHandle(readEnd);
    CloseHandle(started);
    ASSERT_TRUE(made) << command;
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    EXPECT_EQ(0u, exitCode) << "at " << dpi << " dpi on the " << system.name << " system:\n" << output;
    EXPECT_NE(std::string::npos, output.find("[  PASSED  ] 1 test.")) << "the child ran no test:\n" << output;
}

using LayoutRow = std::tuple<SystemLocale, LanguageModule, int>;

class ResourceLayout : public ::testing::TestWithParam<LayoutRow> {
protected:
    void SetUp() override
    {
        const char *event = getenv(kChildEvent);
        if (event) {
            HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, event);
            if (started) {
                SetEvent(started);
                CloseHandle(started);
            }
        }
        useModule(std::get<1>(GetParam()));
    }
    void TearDown() override { dropModule(); }
};

std::string layoutName(const ::testing::TestParamInfo<LayoutRow> &info)
{
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).code + "_" +
           std::to_string(std::get<2>(info.param)) + "dpi";
}

INSTANTIATE_TEST_SUITE_P(SystemsLanguagesAndDpis, ResourceLayout,
                         ::testing::Combine(::testing::ValuesIn(kSystems), ::testing::ValuesIn(kModules),
                                            ::testing::ValuesIn(kDpis)),
                         layoutName);

TEST_P(ResourceLayout, ControlsKeepTheirMarginsNoTextIsCutAndTenCategoriesShow)
{
    const SystemLocale &system = std::get<0>(GetParam());
    int dpi = std::get<2>(GetParam());
    if (GetACP() != system.codePage) {
        ASSERT_EQ(nullptr, getenv(kChildEvent)) << "started for code page " << system.codePage << ", runs on " << GetACP();
        GTEST_SKIP() << "the " << system.name << " system's rows run with LC_ALL=" << system.locale
                     << " (ctest: resources_" << system.name << ")";
    }
    if (screenDpi() != dpi) {
        ASSERT_EQ(nullptr, getenv(kChildEvent)) << "started for " << dpi << " dpi, runs at " << screenDpi();
        runInChild(dpi, system);
        return;
    }
    checkFontHoldsTheSystemsLetters(system);
    checkMargins();
    checkNoTextCut();
    checkCategoryRows();
}

}  // namespace
