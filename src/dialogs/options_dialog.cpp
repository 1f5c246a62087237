// options_dialog.cpp - the component options dialog on the category list
// (page 11) and on the detail page of one category (1..9): the
// highlighted entry, clicks turned into the catalogue's choices, the space
// figures. Owns selectedFigureStale.
#include "options_dialog.h"

#include <string.h>

#include "catalogue/catalogue.h"
#include "catalogue/choices.h"
#include "component_list.h"
#include "dialog_toolkit.h"
#include "list_accessible.h"
#include "list_keyboard.h"
#include "luinsres_ids.h"
#include "main_dialog.h"
#include "state/answer_mode.h"
#include "state/setup_state.h"
#include "state/text.h"

int32_t selectedFigureStale;

constexpr int DESCRIPTION_BYTES = 256;   // UTF-16 units, the terminator included
constexpr int ENTRY_NAME_UNITS = 64;

// The string base of each group's display names, as the catalogue loads them.
struct NameBase {
    int group;
    int base;
};

static constexpr NameBase nameBases[] = {
    {GROUP_VWP, IDS_NAME_BASE_VWP},
    {GROUP_SPREADSHEET, IDS_NAME_BASE_SPREADSHEET},
    {GROUP_SWP, IDS_NAME_BASE_SWP},
    {GROUP_TWP, IDS_NAME_BASE_TWP},
    {GROUP_INTEGRATION, IDS_NAME_BASE_INTEGRATION},
    {GROUP_SPIC, IDS_NAME_BASE_PICTURE},
    {GROUP_TPIC, IDS_NAME_BASE_PICTURE},
    {GROUP_MANUAL, IDS_NAME_BASE_MANUAL},
    {GROUP_INTERUTIL, IDS_NAME_BASE_INTERUTIL},
};

// The name an entry shows: its string of the resource module as the module
// holds it, else the catalogue's name in the system's code page.
static void entryName(int g, int index, WCHAR *name, int cap)
{
    int64_t id = itemNameId(g, index);
    if (id >= 0 && id <= 0xFFFF && (UINT_PTR)resourceModule > 32 && LoadStringW(resourceModule, (UINT)id, name, cap) > 0)
        return;
    const ComponentItem &item = setupState->groups[g].items[index];
    char own[sizeof item.displayName + 1];
    copyFieldText(own, sizeof own, item.displayName, sizeof item.displayName);
    widenText(own, name, cap);
}

static const NameBase *nameBaseOf(int group)
{
    for (const NameBase &b : nameBases)
        if (b.group == group)
            return &b;
    return nullptr;
}

static HWND componentList(HWND dialog) { return GetDlgItem(dialog, IDC_OPTIONS_LIST); }

// ---------------------------------------------------------------------------
// The snapshot

static int highlightCategory(HWND dialog, ComponentGroup &categories)
{
    SetupState &s = *setupState;
    int count = usedItems(categories);
    if (count < 2)
        return 0;
    // A category that is not on the list starts the list at its first line.
    if (s.currentCategory < 1 || s.currentCategory >= count)
        s.currentCategory = 1;
    categories.items[s.currentCategory].flags |= ITEM_HIGHLIGHTED;
    SendMessageA(componentList(dialog), LB_SETCURSEL, (WPARAM)(s.currentCategory - 1), 0);
    return s.currentCategory - 1;
}

int fillComponentList(HWND dialog, int group)
{
    ComponentGroup *record = groupRecord(group);
    if (!record) {
        takeSelectionSnapshot(group);
        return 0;
    }
    bool categoryList = group == CATEGORIES;
    if (!categoryList)
        record->items[0].flags |= ITEM_HIGHLIGHTED;
    // The flags as they open, which Cancel returns to.
    takeSelectionSnapshot(group);
    HWND list = componentList(dialog);
    int count = usedItems(*record);
    for (int i = 0; i < count; i++) {
        ComponentItem &item = record->items[i];
        // Item 0 of the category list, the viewer engine, is not offered.
        if (!categoryList || i > 0) {
            WCHAR name[ENTRY_NAME_UNITS];
            entryName(group, i, name, ENTRY_NAME_UNITS);
            SendMessageW(list, LB_INSERTSTRING, (WPARAM)(categoryList ? i - 1 : i), (LPARAM)name);
        }
        if (i > 0)
            item.flags &= ~ITEM_HIGHLIGHTED;
    }
    int position = 0;
    if (categoryList)
        position = highlightCategory(dialog, *record);
    else
        SendMessageA(list, LB_SETCURSEL, 0, 0);
    return position;
}

// ---------------------------------------------------------------------------
// Description and figures


// The description of a category: none for an unavailable one.
static bool categoryDescription(int position, WCHAR *text, size_t cap)
{
    ComponentGroup &categories = setupState->groups[CATEGORIES];
    int k = position + 1;
    if (k < 1 || k >= usedItems(categories) || (categories.items[k].flags & ITEM_UNAVAILABLE))
        return false;
    if (LoadStringW(resourceModule, (UINT)(IDS_CATEGORY_DESCRIPTION_BASE + k), text, (int)cap) <= 0)
        text[0] = 0;
    return true;
}

static bool itemDescription(int position, WCHAR *text, size_t cap)
{
    const NameBase *base = nameBaseOf(setupState->optionsPage);
    ComponentItem *item = itemAtListPosition(position);
    if (!base || !item)
        return false;
    WCHAR name[DESCRIPTION_BYTES], format[DESCRIPTION_BYTES];
    name[0] = format[0] = 0;
    // The name the list shows: none for a number that names no string. The
    // group's text is the module's: the name goes in place of its "%s".
    int64_t nameId = displayNameId(base->base, item->number);
    if (nameId >= 0 && LoadStringW(resourceModule, (UINT)nameId, name, DESCRIPTION_BYTES) <= 0)
        name[0] = 0;
    if (LoadStringW(resourceModule, (UINT)(IDS_ITEM_DESCRIPTION_BASE + setupState->optionsPage), format,
                    DESCRIPTION_BYTES) <= 0)
        format[0] = 0;
    insertIntoText(text, cap, format, name);
    return true;
}

bool componentEntryDescription(int position, WCHAR *text, size_t cap)
{
    if (!text || cap == 0)
        return false;
    text[0] = 0;
    if (cap > DESCRIPTION_BYTES)
        cap = DESCRIPTION_BYTES;
    if (setupState->optionsPage == CATEGORIES)
        return categoryDescription(position, text, cap);
    return itemDescription(position, text, cap);
}

void showComponentDescription(HWND dialog, int position)
{
    SetupState &s = *setupState;
    // An unavailable category has nothing to describe: the text of the entry
    // before it stays.
    WCHAR description[DESCRIPTION_BYTES];
    if (componentEntryDescription(position, description, DESCRIPTION_BYTES))
        SetDlgItemTextW(dialog, IDC_OPTIONS_DESCRIPTION, description);
    int k = position + 1;
    bool details = s.optionsPage == CATEGORIES && k >= 1 && k < usedItems(s.groups[CATEGORIES]) &&
                   hasDetailPage(k) && s.groups[k].itemCount >= 1;
    EnableWindow(GetDlgItem(dialog, IDC_OPTIONS_DETAILS), details);
}

static void showSelectedSize(HWND dialog)
{
    char text[THOUSANDS_TEXT_BYTES];
    formatThousands(setupState->selectedSize, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_OPTIONS_NEEDED, text);
}

// ---------------------------------------------------------------------------
// Clicks in the list

static int listPositionOf(int index) { return setupState->optionsPage == CATEGORIES ? index - 1 : index; }

// The other highlighted entries lose the highlight; making each the list's
// selection for a moment repaints it.
static void moveHighlight(HWND dialog, ComponentItem *item)
{
    ComponentItem *first = nullptr;
    int32_t count = 0;
    groupView(setupState->optionsPage, &first, &count, nullptr);
    item->flags |= ITEM_HIGHLIGHTED;
    int firstShown = setupState->optionsPage == CATEGORIES ? 1 : 0;
    for (int j = firstShown; first && j < count && j < MAX_GROUP_ITEMS; j++) {
        if (first + j == item || !(first[j].flags & ITEM_HIGHLIGHTED))
            continue;
        first[j].flags &= ~ITEM_HIGHLIGHTED;
        SendMessageA(componentList(dialog), LB_SETCURSEL, (WPARAM)listPositionOf(j), 0);
    }
}

// The list repaints an entry when its selection moves, but not when it stays:
// after a toggle the entry is repainted here, so that its box and the
// required-space figure follow at once.
static void repaintEntry(HWND dialog, int position)
{
    HWND list = componentList(dialog);
    SendMessageA(list, LB_SETCURSEL, (WPARAM)position, 0);
    RECT rect;
    if (SendMessageA(list, LB_GETITEMRECT, (WPARAM)position, (LPARAM)&rect) != LB_ERR)
        InvalidateRect(list, &rect, FALSE);
    selectedFigureStale = 1;
}

void clickComponentItem(HWND dialog)
{
    int position = (int)SendMessageA(componentList(dialog), LB_GETCURSEL, 0, 0);
    ComponentItem *item = position >= 0 ? itemAtListPosition(position) : nullptr;
    // An unavailable entry can be neither highlighted nor selected, even when
    // it is the first entry of a page and thus highlighted when it opened.
    if (!item || (item->flags & ITEM_UNAVAILABLE))
        return;
    int index = setupState->optionsPage == CATEGORIES ? position + 1 : position;
    if (item->flags & ITEM_HIGHLIGHTED)
        toggleComponent(setupState->optionsPage, item, index);
    else
        moveHighlight(dialog, item);
    repaintEntry(dialog, position);
    announceListEntry(componentList(dialog), position);
}

// ---------------------------------------------------------------------------
// The dialog

static INT_PTR onOptionsInitDialog(HWND dialog)
{
    SetupState &s = *setupState;
    // The list could not be drawn: the dialog ends before it shows, with the
    // end value measuring chose, and takes no snapshot.
    if (componentListDrawing.failure) {
        EndDialog(dialog, componentListDrawing.failure);
        return 1;
    }
    s.helpOpened = 0;
    centreOnScreen(dialog);
    createListBrushes();
    int position = fillComponentList(dialog, s.optionsPage);
    showComponentDescription(dialog, position);
    attachListKeyboard(componentList(dialog));
    if (s.optionsPage != CATEGORIES)
        ShowWindow(GetDlgItem(dialog, IDC_OPTIONS_DETAILS), SW_HIDE);
    char freeText[PATH_BYTES];
    computeFreeSpace(s.installDir, freeText, sizeof freeText);
    SetDlgItemTextA(dialog, IDC_OPTIONS_FREE, freeText);
    selectedFigureStale = 1;
    return 1;
}

static INT_PTR onOptionsMeasureItem(HWND dialog, MEASUREITEMSTRUCT *measure)
{
    if (measure->CtlType != ODT_LISTBOX || measure->CtlID != IDC_OPTIONS_LIST)
        return 0;
    return measureComponentList(dialog, measure);
}

static INT_PTR onOptionsDrawItem(HWND dialog, const DRAWITEMSTRUCT *draw)
{
    if (draw->CtlType != ODT_LISTBOX || draw->CtlID != IDC_OPTIONS_LIST)
        return 0;
    drawComponentItem(draw);
    if (draw->itemID == (UINT)-1)
        return 1;
    if (draw->itemAction & ODA_SELECT)
        showComponentDescription(dialog, (int)draw->itemID);
    selectedFigureStale = 1;
    return 1;
}

// Accept only what fits: the figure is the one computed when the dialog
// opened, compared in 64 bits.
static void onOkClicked(HWND dialog)
{
    if (!acceptSelectedSize()) {
        showResourceMessage(dialog, IDS_NO_SPACE, MB_ICONHAND | MB_TASKMODAL);
        return;
    }
    EndDialog(dialog, OPTIONS_ACCEPTED);
}

static INT_PTR onOptionsCancelClicked(HWND dialog)
{
    restoreComponentStates(setupState->optionsPage);
    EndDialog(dialog, OPTIONS_CANCELLED);
    return 1;
}

static void onDetailsClicked(HWND dialog)
{
    SetupState &s = *setupState;
    if (s.optionsPage != CATEGORIES)
        return;
    int position = (int)SendMessageA(componentList(dialog), LB_GETCURSEL, 0, 0);
    if (position < 0)
        return;
    s.currentCategory = position + 1;
    EndDialog(dialog, OPTIONS_DETAILS);
}

static INT_PTR onOptionsCommand(HWND dialog, int control, int notification)
{
    if (control == IDC_OPTIONS_LIST) {
        if (notification == LBN_SELCHANGE || notification == LBN_DBLCLK)
            clickComponentItem(dialog);
        return 0;
    }
    if (notification != BN_CLICKED)
        return 0;
    switch (control) {
    case IDOK: onOkClicked(dialog); return 0;
    case IDCANCEL: return onOptionsCancelClicked(dialog);
    case IDC_OPTIONS_DETAILS: onDetailsClicked(dialog); return 0;
    case IDC_HELP_BUTTON: openHelp(dialog, HELP_CONTEXT_OPTIONS); return 0;
    }
    return 0;
}

// Close from the system menu ends at once and keeps the changes: on a detail
// page the caller ignores the end value.
static INT_PTR onOptionsSysCommand(HWND dialog, WPARAM command)
{
    endOnSystemClose(dialog, command, OPTIONS_CANCELLED);
    return 0;
}

extern "C" INT_PTR WINAPI optionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (selectedFigureStale) {
        selectedFigureStale = 0;
        showSelectedSize(dialog);
    }
    switch (message) {
    case WM_INITDIALOG: return onOptionsInitDialog(dialog);
    case WM_MEASUREITEM: return onOptionsMeasureItem(dialog, (MEASUREITEMSTRUCT *)lParam);
    case WM_DRAWITEM: return onOptionsDrawItem(dialog, (const DRAWITEMSTRUCT *)lParam);
    case WM_COMMAND: return onOptionsCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_SYSCOMMAND: return onOptionsSysCommand(dialog, wParam);
    case WM_DESTROY: releaseListResources(); return 0;
    }
    return 0;
}
