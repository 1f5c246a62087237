// resource_contract_test.cpp - luinsres.dll against what dialogint.dll asks
// of it: every template with the controls and styles its dialog procedure
// relies on, every string within the buffer it is loaded into, the printf
// formats, and both list bitmaps. The dialogs are made for real, in their own
// font, to find controls outside the margins and texts that would be cut.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "luinsres_ids.h"

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
                    IDC_LANGUAGE_SPANISH, IDOK, IDCANCEL, IDC_HELP_BUTTON}},
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
const char kWidestFigure[] = "2,147,483,647";
// A display name of the full 29 characters.
const char kLongestName[] = "Jor Writer for Workgroups 2.x";

HMODULE g_module = nullptr;

INT_PTR CALLBACK contractDialogProc(HWND, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_MEASUREITEM) {  // sent by the owner-drawn list of DLG_OPTIONS
        reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)->itemHeight = 16;
        return TRUE;
    }
    return FALSE;
}

// One template made into a hidden dialog for the length of a check.
struct Dialog {
    HWND window;
    explicit Dialog(int id)
        : window(CreateDialogParamA(g_module, MAKEINTRESOURCEA(id), nullptr, contractDialogProc, 0))
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

std::string loadString(int id)
{
    char text[1024] = "";
    int length = LoadStringA(g_module, id, text, sizeof text);
    return std::string(text, length);
}

std::string windowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Empty when `text` fits `control` in the control's font, else what it needs:
// one line, or, in a static at least two lines high, wrapped lines within its
// height. Push buttons keep room for their frame, radio buttons for the circle.
std::string cutBy(HWND control, const std::string &text)
{
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    char className[32] = "";
    GetClassNameA(control, className, sizeof className);
    bool isButton = lstrcmpiA(className, "Button") == 0;
    LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    int room = client.right;
    if (isButton)
        room -= (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) ? 8 : GetSystemMetrics(SM_CXMENUCHECK) + 4;
    bool wraps = !isButton && client.bottom >= 2 * metrics.tmHeight;
    RECT need = {0, 0, room, 0};
    DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
    if (need.right <= room && need.bottom <= client.bottom)
        return "";
    return "\"" + text + "\" needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) +
           " pixels, has " + std::to_string(room) + "x" + std::to_string(client.bottom);
}

class ResourceContract : public ::testing::Test {
protected:
    static void SetUpTestSuite() { g_module = LoadLibraryA("luinsres.dll"); }
    static void TearDownTestSuite()
    {
        if (g_module)
            FreeLibrary(g_module);
        g_module = nullptr;
    }
    void SetUp() override { ASSERT_NE(nullptr, g_module) << "luinsres.dll does not load"; }
};

TEST_F(ResourceContract, EveryTemplateHoldsTheControlsItsProcedureUses)
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

TEST_F(ResourceContract, ControlsCarryTheStylesTheirProceduresRelyOn)
{
    for (const StyleContract &s : kStyles) {
        Dialog dialog(s.dialog);
        HWND control = GetDlgItem(dialog.window, s.control);
        ASSERT_NE(nullptr, control) << "template " << s.dialog << ", control " << s.control;
        EXPECT_EQ(s.expected, GetWindowLongA(control, GWL_STYLE) & s.mask)
            << "template " << s.dialog << ", control " << s.control;
    }
}

TEST_F(ResourceContract, LanguageButtonsAreOneGroupThatChecksItself)
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
                                IDC_LANGUAGE_SPANISH}),
              group);

    CheckDlgButton(dialog.window, IDC_LANGUAGE_ENGLISH, BST_CHECKED);
    SendDlgItemMessageA(dialog.window, IDC_LANGUAGE_FRENCH, BM_CLICK, 0, 0);
    EXPECT_EQ(UINT(BST_CHECKED), IsDlgButtonChecked(dialog.window, IDC_LANGUAGE_FRENCH));
    EXPECT_EQ(UINT(BST_UNCHECKED), IsDlgButtonChecked(dialog.window, IDC_LANGUAGE_ENGLISH));
}

TEST_F(ResourceContract, EveryStringIsPresentAndFitsItsBuffer)
{
    for (const StringContract &s : stringContracts()) {
        std::string text = loadString(s.id);
        EXPECT_FALSE(text.empty()) << "string " << s.id;
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

TEST_F(ResourceContract, BoxBitmapsLoadByNameInOneSize)
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

TEST_F(ResourceContract, EveryControlLiesWithinTheDialogMargins)
{
    for (const TemplateContract &t : kTemplates) {
        Dialog dialog(t.id);
        ASSERT_NE(nullptr, dialog.window) << "template " << t.id;
        RECT area, margin = {7, 7, 0, 0};
        GetClientRect(dialog.window, &area);
        MapDialogRect(dialog.window, &margin);
        InflateRect(&area, -margin.left, -margin.top);
        for (HWND control : dialog.controls()) {
            RECT r;
            GetWindowRect(control, &r);
            MapWindowPoints(HWND_DESKTOP, dialog.window, reinterpret_cast<POINT *>(&r), 2);
            RECT inside;
            IntersectRect(&inside, &r, &area);
            EXPECT_TRUE(EqualRect(&inside, &r)) << "template " << t.id << ", control "
                                                << GetDlgCtrlID(control) << " \"" << windowText(control) << "\"";
        }
    }
}

TEST_F(ResourceContract, NoTextIsCutByItsControl)
{
    for (const TemplateContract &t : kTemplates) {
        Dialog dialog(t.id);
        for (HWND control : dialog.controls()) {
            std::string text = windowText(control);
            if (!text.empty()) {
                EXPECT_EQ("", cutBy(control, text)) << "template " << t.id;
            }
        }
    }

    // Texts the library writes into controls while the dialogs run.
    std::vector<std::string> descriptions;
    for (int k = 1; k <= 10; ++k)
        descriptions.push_back(loadString(IDS_CATEGORY_DESCRIPTION_BASE + k));
    for (int g = 1; g <= 9; ++g) {
        std::string text = loadString(IDS_ITEM_DESCRIPTION_BASE + g);
        size_t at = text.find("%s");
        descriptions.push_back(at == std::string::npos ? text : text.replace(at, 2, kLongestName));
    }
    const std::vector<std::string> figure = {kWidestFigure};
    const struct {
        int dialog, control;
        std::vector<std::string> texts;
    } fillings[] = {
        {DLG_PROGRESS, IDC_PROGRESS_MESSAGE,
         {loadString(IDS_PROGRESS_READING), loadString(IDS_PROGRESS_CONFIGURING), loadString(IDS_PROGRESS_NETWORK)}},
        {DLG_MAIN_UPGRADE, IDC_MAIN_CUSTOM, {loadString(IDS_UPGRADE_CUSTOM)}},
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
        for (const std::string &text : f.texts)
            EXPECT_EQ("", cutBy(control, text)) << "template " << f.dialog << ", control " << f.control;
    }
}

}  // namespace
