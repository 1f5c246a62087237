// The owner-drawn component list: what each entry looks like on screen (its
// pixels read back from the list), the focus rectangle, the item height, the
// drawing resources made and deleted over many showings, and the end values
// when a bitmap is missing.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "catalogue/selection.h"
#include "dialogs/component_list.h"
#include "dialogs/dialog_fixture.h"
#include "dialogs/resource_edit.h"
#include "luinsres_ids.h"

namespace {

// The pixels of a rectangle of a device context, row by row, as 0x00BBGGRR.
struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[(size_t)y * width + x]; }
    int count(COLORREF colour, int left = 0, int right = -1) const
    {
        int n = 0;
        if (right < 0)
            right = width;
        for (int y = 0; y < height; y++)
            for (int x = left; x < right; x++)
                n += at(x, y) == colour;
        return n;
    }
};

Picture capture(HDC source, int left, int top, int width, int height)
{
    Picture p;
    p.width = width;
    p.height = height;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, section);
    BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
    GdiFlush();
    const DWORD *raw = (const DWORD *)bits;
    for (int i = 0; i < width * height; i++)
        p.pixels.push_back(RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF));
    SelectObject(memory, old);
    DeleteObject(section);
    DeleteDC(memory);
    return p;
}

Picture bitmapPicture(const char *name)
{
    HBITMAP bitmap = LoadBitmapA(resourceModule, name);
    BITMAP b = {};
    GetObjectA(bitmap, sizeof b, &b);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    Picture p = capture(memory, 0, 0, b.bmWidth, b.bmHeight);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return p;
}

bool boxShows(const Picture &entry, const Picture &box)
{
    for (int y = 0; y < box.height; y++)
        for (int x = 0; x < box.width; x++)
            if (entry.at(2 + x, 1 + y) != box.at(x, y))
                return false;
    return true;
}

// Entry p of the list as painted now, scrolled into view first: how many
// rows the list shows depends on the fonts of the machine.
Picture entryPicture(HWND dialog, int position)
{
    HWND list = GetDlgItem(dialog, IDC_OPTIONS_LIST);
    RECT r, client;
    GetClientRect(list, &client);
    SendMessageA(list, LB_GETITEMRECT, position, (LPARAM)&r);
    if (r.top < 0 || r.bottom > client.bottom)
        SendMessageA(list, LB_SETTOPINDEX, position, 0);
    UpdateWindow(list);
    SendMessageA(list, LB_GETITEMRECT, position, (LPARAM)&r);
    HDC context = GetDC(list);
    Picture p = capture(context, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(list, context);
    return p;
}

class ComponentListTest : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        computeSelection(SELECT_DEFAULTS);
        useFakeDisk(50000000);
        tick = bitmapPicture(BMP_TICK);
        blank = bitmapPicture(BMP_BLANK);
        ASSERT_GT(tick.width, 0);
        ASSERT_GT(blank.width, 0);
    }

    // What one look at an entry found.
    struct Look {
        COLORREF background;
        bool tick, blank;
        int highlightedText, greyText, blackText;
    };

    Look look(HWND dialog, int position)
    {
        Picture p = entryPicture(dialog, position);
        int textLeft = 2 * tick.width;
        return Look{p.at(p.width - 4, p.height / 2), boxShows(p, tick), boxShows(p, blank),
                    p.count(GetSysColor(COLOR_HIGHLIGHTTEXT), textLeft, p.width - 2),
                    p.count(GetSysColor(COLOR_GRAYTEXT), textLeft, p.width - 2),
                    p.count(GetSysColor(COLOR_WINDOWTEXT), textLeft, p.width - 2)};
    }

    Picture tick, blank;
};

TEST_F(ComponentListTest, EntriesShowHighlightTickAndTextColour)
{
    COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), window = GetSysColor(COLOR_WINDOW);
    std::vector<Look> looks;
    autopilotQueue(sequence({
        inspect([&](HWND dialog) {
            for (int p = 0; p < 3; p++)
                looks.push_back(look(dialog, p));
        }),
        closeWindow(),
    }));
    runOptionsPage(GROUP_VWP);
    ASSERT_EQ(3u, looks.size());
    // PLAIN: highlighted and selected.
    EXPECT_EQ(highlight, looks[0].background);
    EXPECT_TRUE(looks[0].tick);
    EXPECT_GT(looks[0].highlightedText, 0) << "text in the highlighted text colour";
    EXPECT_EQ(0, looks[0].greyText);
    // JWRITE1: selected; QUILL: not selected. Neither highlighted.
    EXPECT_EQ(window, looks[1].background);
    EXPECT_TRUE(looks[1].tick);
    EXPECT_GT(looks[1].blackText, 0);
    if (GetSysColor(COLOR_HIGHLIGHTTEXT) != window) {
        EXPECT_EQ(0, looks[1].highlightedText);
    }
    EXPECT_EQ(window, looks[2].background);
    EXPECT_TRUE(looks[2].blank);
    EXPECT_FALSE(looks[2].tick);
}

TEST_F(ComponentListTest, ToggledEntryRepaintsItsBoxAtOnce)
{
    Look before{}, after{}, again{};
    autopilotQueue(sequence({
        inspect([&](HWND dialog) { before = look(dialog, 0); }),
        selectEntry(IDC_OPTIONS_LIST, 0),
        inspect([&](HWND dialog) { after = look(dialog, 0); }),
        selectEntry(IDC_OPTIONS_LIST, 0),
        inspect([&](HWND dialog) { again = look(dialog, 0); }),
        closeWindow(),
    }));
    runOptionsPage(GROUP_VWP);
    EXPECT_TRUE(before.tick);
    EXPECT_TRUE(after.blank) << "deselected: the blank box, without waiting for another repaint";
    EXPECT_TRUE(again.tick);
}

TEST_F(ComponentListTest, UnavailableEntriesAreGreyOnlyOnTheCategoryListAndTheIntegrationPage)
{
    item(GROUP_VWP, 2).flags |= ITEM_UNAVAILABLE;
    struct Case {
        int group, position;
        bool grey, highlighted;
    } cases[] = {
        {GROUP_INTEGRATION, 0, true, true},  // JORNOTES, highlighted at opening
        {CATEGORIES, 9, true, false},        // conversion tools, not on the media
        {GROUP_VWP, 2, false, false},        // QUILL, marked by hand
    };
    for (const Case &c : cases) {
        autopilotStart();
        Look seen{};
        autopilotQueue(sequence({inspect([&](HWND dialog) { seen = look(dialog, c.position); }), closeWindow()}));
        runOptionsPage(c.group);
        if (c.grey) {
            EXPECT_GT(seen.greyText, 0) << "group " << c.group;
            if (c.highlighted) {
                EXPECT_EQ(0, seen.highlightedText) << "grey wins over the highlight, group " << c.group;
            }
        } else {
            EXPECT_EQ(0, seen.greyText) << "group " << c.group;
            EXPECT_GT(seen.blackText, 0) << "group " << c.group;
        }
    }
}

TEST_F(ComponentListTest, FocusRectangleOnlyOnTheHighlightedEntry)
{
    // Paints entries into a memory context with the list reporting the focus,
    // and compares the outline with a paint without it.
    struct Case {
        int position;
        bool outlined;
    } cases[] = {{0, true}, {1, false}};
    std::vector<bool> outlined;
    autopilotQueue(sequence({
        inspect([&](HWND dialog) {
            HWND list = GetDlgItem(dialog, IDC_OPTIONS_LIST);
            for (const Case &c : cases) {
                Picture pictures[2];
                for (int focus = 0; focus < 2; focus++) {
                    HDC screen = GetDC(list);
                    HDC memory = CreateCompatibleDC(screen);
                    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 20);
                    HGDIOBJ old = SelectObject(memory, bitmap);
                    DRAWITEMSTRUCT draw = {};
                    draw.CtlType = ODT_LISTBOX;
                    draw.CtlID = IDC_OPTIONS_LIST;
                    draw.itemID = (UINT)c.position;
                    draw.itemAction = ODA_DRAWENTIRE;
                    draw.itemState = ODS_SELECTED | (focus ? ODS_FOCUS : 0);
                    draw.hwndItem = list;
                    draw.hDC = memory;
                    draw.rcItem = RECT{0, 0, 200, 20};
                    drawComponentItem(&draw);
                    pictures[focus] = capture(memory, 0, 0, 200, 20);
                    SelectObject(memory, old);
                    DeleteObject(bitmap);
                    DeleteDC(memory);
                    ReleaseDC(list, screen);
                }
                int differences = 0;
                for (int x = 0; x < 200; x++)
                    differences += pictures[0].at(x, 0) != pictures[1].at(x, 0);
                outlined.push_back(differences > 0);
            }
        }),
        closeWindow(),
    }));
    runOptionsPage(GROUP_VWP);
    ASSERT_EQ(2u, outlined.size());
    EXPECT_TRUE(outlined[0]) << "the highlighted entry shows the focus";
    EXPECT_FALSE(outlined[1]) << "an entry that is not highlighted never does";
}

TEST_F(ComponentListTest, ItemHeightHoldsTheBlankBox)
{
    int height = 0;
    autopilotQueue(sequence({
        inspect([&](HWND dialog) {
            height = (int)SendDlgItemMessageA(dialog, IDC_OPTIONS_LIST, LB_GETITEMHEIGHT, 0, 0);
        }),
        closeWindow(),
    }));
    runOptionsPage(CATEGORIES);
    EXPECT_GE(height, blank.height + 2);
}

TEST_F(ComponentListTest, EveryDrawingResourceIsDeletedOverFiftyShowings)
{
    for (int showing = 0; showing < 50; showing++) {
        ComponentListDrawing during{};
        autopilotStart();
        autopilotQueue(sequence({
            inspect([&](HWND) { during = componentListDrawing; }),
            selectEntry(IDC_OPTIONS_LIST, 1),
            showing % 2 ? pressButton(IDCANCEL) : closeWindow(),
        }));
        runOptionsPage(showing % 3 ? GROUP_VWP : CATEGORIES);
        // The platform's own view of each object the open dialog held.
        for (HGDIOBJ h : {(HGDIOBJ)during.highlightBrush, (HGDIOBJ)during.windowBrush, (HGDIOBJ)during.tickBitmap,
                          (HGDIOBJ)during.blankBitmap, (HGDIOBJ)during.tickContext, (HGDIOBJ)during.blankContext}) {
            ASSERT_NE(nullptr, h) << "made while the dialog was open; showing " << showing;
            ASSERT_EQ(0u, GetObjectType(h)) << "deleted when it closed; showing " << showing;
        }
    }
}

TEST_F(ComponentListTest, MissingBitmapEndsTheDialogBeforeItShows)
{
    struct Case {
        const char *module;  // luinsres.dll with one bitmap under another name
        const char *missing;
        int expected;
    } cases[] = {
        {"luinsres_noblank.dll", BMP_BLANK, 21},
        {"luinsres_notick.dll", BMP_TICK, 23},
    };
    for (const Case &c : cases) {
        closeDialogSetup();
        ASSERT_TRUE(copyFileTo(exeDir() + c.module, dir + "luinsres.dll"));
        ASSERT_TRUE(openDialogSetup(dir));
        ASSERT_EQ(nullptr, FindResourceA(resourceModule, c.missing, (LPCSTR)RT_BITMAP)) << c.module;
        computeSelection(SELECT_DEFAULTS);
        autopilotStart();
        EXPECT_EQ(c.expected, runOptionsPage(CATEGORIES)) << c.missing;
        EXPECT_TRUE(autopilotLog().empty()) << "the dialog never showed";
        const ComponentListDrawing &d = componentListDrawing;
        EXPECT_EQ(nullptr, d.tickContext);
        EXPECT_EQ(nullptr, d.blankContext);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// A dark colour scheme, with or without the high-contrast switch, set for the
// test process as a user's setting would be, and put back afterwards.

struct ContrastTheme {
    static constexpr int kElements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                                        COLOR_GRAYTEXT};
    COLORREF kept[5];
    HIGHCONTRASTA keptContrast = {};
    ContrastTheme(const COLORREF *colours, bool contrast)
    {
        for (int i = 0; i < 5; i++)
            kept[i] = GetSysColor(kElements[i]);
        keptContrast.cbSize = sizeof keptContrast;
        SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof keptContrast, &keptContrast, 0);
        HIGHCONTRASTA on = {};
        on.cbSize = sizeof on;
        on.dwFlags = (contrast ? HCF_HIGHCONTRASTON : 0) | HCF_AVAILABLE;
        SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof on, &on, 0);
        // Where the platform does not keep the switch, the user's stored
        // setting says it (Wine reports high contrast as never on).
        hadFlags = readRegValue(HKEY_CURRENT_USER, kContrastKey, "Flags", &flagsType, &keptFlags);
        setRegText(HKEY_CURRENT_USER, kContrastKey, "Flags", contrast ? "127" : "126");
        SetSysColors(5, kElements, colours);
    }
    ~ContrastTheme()
    {
        SetSysColors(5, kElements, kept);
        keptContrast.lpszDefaultScheme = nullptr;
        SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof keptContrast, &keptContrast, 0);
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kContrastKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            if (hadFlags)
                RegSetValueExA(key, "Flags", 0, flagsType, (const BYTE *)keptFlags.data(), (DWORD)keptFlags.size());
            else
                RegDeleteValueA(key, "Flags");
            RegCloseKey(key);
        }
    }
    static constexpr const char *kContrastKey = "Control Panel\\Accessibility\\HighContrast";
    bool hadFlags = false;
    DWORD flagsType = 0;
    std::string keptFlags;
};

// Under a dark scheme every entry's text is in the scheme's colours, with or
// without the high-contrast switch (without it, the entries below the
// highlight were black on black); with the switch the boxes are too.
TEST_F(ComponentListTest, DarkSchemesPaintEveryEntryInTheirColours)
{
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255), blue = RGB(0, 0, 128),
                   yellow = RGB(255, 255, 0), green = RGB(0, 255, 0), grey = RGB(32, 32, 32),
                   light = RGB(224, 224, 224), teal = RGB(0, 96, 96), orange = RGB(255, 160, 0),
                   silver = RGB(150, 150, 150);
    struct Case {
        bool contrast;
        int group, position;
        COLORREF background, text;
        bool ticked;
    } cases[] = {
        {true, GROUP_VWP, 0, blue, yellow, true},      // PLAIN: highlighted, selected
        {true, GROUP_VWP, 1, black, white, true},      // JWRITE1: the entry below the highlight
        {true, GROUP_VWP, 2, black, white, false},     // QUILL
        {true, CATEGORIES, 9, black, green, false},    // conversion tools: unavailable
        {false, GROUP_VWP, 0, teal, orange, true},
        {false, GROUP_VWP, 1, grey, light, true},
        {false, GROUP_VWP, 2, grey, light, false},
        {false, CATEGORIES, 9, grey, silver, false},
    };
    for (const Case &c : cases) {
        // window, window text, highlight, highlighted text, grey text
        const COLORREF contrastColours[5] = {black, white, blue, yellow, green};
        const COLORREF darkColours[5] = {grey, light, teal, orange, silver};
        ContrastTheme theme(c.contrast ? contrastColours : darkColours, c.contrast);
        ASSERT_EQ(c.contrast ? black : grey, GetSysColor(COLOR_WINDOW)) << "the scheme's colours are not in use";
        autopilotStart();
        Picture p;
        SIZE box = {};
        autopilotQueue(sequence({inspect([&](HWND dialog) {
                                     p = entryPicture(dialog, c.position);
                                     box = componentListDrawing.boxSize;
                                 }),
                                 closeWindow()}));
        runOptionsPage(c.group);
        std::string what = std::string(c.contrast ? "high contrast" : "dark") + ", group " +
                           std::to_string(c.group) + ", entry " + std::to_string(c.position);
        ASSERT_GT(p.width, 0) << what;
        EXPECT_EQ(c.background, p.at(p.width - 4, p.height / 2)) << what;
        EXPECT_GT(p.count(c.text, 2 * tick.width, p.width - 2), 0) << what << ": text in the scheme's colour";
        EXPECT_EQ(0, p.count(black, 2 * tick.width, p.width - 2) * (c.background != black))
            << what << ": no black text";
        if (!c.contrast)
            continue;
        // The box: a frame in the text colour, its inside the background, a
        // tick in the text colour only when selected.
        int boxRight = 2 + box.cx;
        EXPECT_EQ(c.text, p.at(2, 1 + tick.height / 2)) << what << ": the box's frame";
        int inkInside = 0;
        for (int y = 4; y < box.cy - 2; y++)
            for (int x = 5; x < boxRight - 3; x++)
                inkInside += p.at(x, y) == c.text;
        EXPECT_EQ(c.ticked, inkInside > 0) << what << ": the tick";
        if (c.text != white) {
            EXPECT_EQ(0, p.count(white, 2, boxRight)) << what << ": no white box of the ordinary theme";
        }
    }
}
