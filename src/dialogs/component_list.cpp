// component_list.cpp - list 101 of the options dialog, drawn by the dialog:
// the item height, the brushes, the tick and blank bitmaps held in two memory
// contexts, and the painting of one entry. At 96 dpi in ordinary colours the
// boxes are the module's bitmaps; at a higher resolution they are drawn in the
// row's size, and in a high-contrast theme they too are drawn in the system's
// colours; an entry's text is in the system's colours under every scheme.
// Owns componentListDrawing.
#include "component_list.h"

#include <stdlib.h>
#include <string.h>

#include "catalogue/catalogue.h"
#include "luinsres_ids.h"
#include "state/answer_mode.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/setup_log.h"

ComponentListDrawing componentListDrawing;

// Display names have at most 29 characters; the list keeps what was inserted.
constexpr int ENTRY_TEXT_BYTES = 64;
constexpr int MEASURE_POINTS = 10;
// The resolution the bitmaps are made for.
constexpr int BITMAP_DPI = 96;
// The bitmaps' colours, for the boxes drawn in their place.
constexpr COLORREF BOX_FRAME_COLOUR = RGB(128, 128, 128);
constexpr COLORREF BOX_INSIDE_COLOUR = RGB(255, 255, 255);
constexpr COLORREF BOX_TICK_COLOUR = RGB(0, 0, 0);

static void deleteGdiObject(HGDIOBJ object)
{
    if (object)
        DeleteObject(object);
}

static void deleteContext(HDC context)
{
    if (context)
        DeleteDC(context);
}

// The user's stored accessibility setting: the flags as decimal text (or a
// number), which Windows keeps in step with the setting it reports. Some
// platforms keep the setting but report high contrast as never on.
static bool storedHighContrast()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Accessibility\\HighContrast", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    char text[16] = "";
    DWORD type = 0, size = sizeof text - 1;
    DWORD flags = 0;
    if (RegQueryValueExA(key, "Flags", nullptr, &type, (BYTE *)text, &size) == ERROR_SUCCESS) {
        if (type == REG_DWORD && size == sizeof(DWORD))
            memcpy(&flags, text, sizeof flags);
        else if (type == REG_SZ)
            flags = strtoul(text, nullptr, 10);
    }
    RegCloseKey(key);
    return (flags & HCF_HIGHCONTRASTON) != 0;
}

static bool highContrastOn()
{
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof contrast;
    if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON))
        return true;
    return storedHighContrast();
}

void createListBrushes()
{
    ComponentListDrawing &d = componentListDrawing;
    d.highlightBrush = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
    d.windowBrush = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    // Asked once per showing: painting an entry stays one fill, one box and
    // one text.
    d.highContrast = highContrastOn();
}

static SIZE bitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

// Loads a bitmap of the resource module into a new memory context compatible
// with reference. Returns 0, or the failure of the context or of the bitmap.
static int loadBoxBitmap(HDC reference, const char *name, HDC *context, HBITMAP *bitmap,
                         HGDIOBJ *kept, SIZE *size, int noContext, int noBitmap)
{
    *context = CreateCompatibleDC(reference);
    if (!*context) {
        logFailure(GetLastError(), "the component list's drawing context");
        return noContext;
    }
    *bitmap = LoadBitmapA(resourceModule, name);
    if (!*bitmap) {
        logFailure(GetLastError(), "the component list's bitmap %s", name);
        deleteContext(*context);
        *context = nullptr;
        return noBitmap;
    }
    *kept = SelectObject(*context, *bitmap);
    *size = bitmapSize(*bitmap);
    return 0;
}

// The height of a line of bold 10-point text on the list's context. The face
// serves only for measuring; entries are painted with the list's own font.
static LONG measuringTextHeight(HWND list)
{
    HDC context = GetDC(list);
    HFONT font = CreateFontA(-(GetDeviceCaps(context, LOGPIXELSY) * MEASURE_POINTS / 72), 0, 0, 0, FW_BOLD,
                             FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH, "Helv");
    HGDIOBJ previous = font ? SelectObject(context, font) : nullptr;
    TEXTMETRICA metrics = {};
    GetTextMetricsA(context, &metrics);
    if (font) {
        SelectObject(context, previous);
        deleteGdiObject(font);
    }
    ReleaseDC(list, context);
    return metrics.tmHeight;
}

static int listDpi(HWND list)
{
    HDC context = GetDC(list);
    int dpi = GetDeviceCaps(context, LOGPIXELSY);
    ReleaseDC(list, context);
    return dpi > BITMAP_DPI ? dpi : BITMAP_DPI;
}

static INT_PTR answerItemHeight(HWND dialog, MEASUREITEMSTRUCT *measure)
{
    ComponentListDrawing &d = componentListDrawing;
    HWND list = GetDlgItem(dialog, (int)measure->CtlID);
    // Large text makes the rows taller; the boxes grow with them.
    int dpi = listDpi(list);
    d.boxSize = SIZE{MulDiv(d.tickSize.cx, dpi, BITMAP_DPI), MulDiv(d.blankSize.cy, dpi, BITMAP_DPI)};
    LONG textHeight = measuringTextHeight(list);
    LONG boxHeight = d.boxSize.cy + 2;
    measure->itemHeight = (UINT)(textHeight > boxHeight ? textHeight : boxHeight);
    return 1;
}

INT_PTR measureComponentList(HWND dialog, MEASUREITEMSTRUCT *measure)
{
    ComponentListDrawing &d = componentListDrawing;
    // Measured once per showing; a second request reuses what is loaded.
    if (d.tickContext && d.blankContext)
        return answerItemHeight(dialog, measure);
    HDC context = GetDC(dialog);
    int failure = loadBoxBitmap(context, BMP_TICK, &d.tickContext, &d.tickBitmap, &d.tickContextKept,
                                &d.tickSize, LIST_NO_TICK_CONTEXT, LIST_NO_TICK_BITMAP);
    if (!failure)
        failure = loadBoxBitmap(context, BMP_BLANK, &d.blankContext, &d.blankBitmap, &d.blankContextKept,
                                &d.blankSize, LIST_NO_BLANK_CONTEXT, LIST_NO_BLANK_BITMAP);
    ReleaseDC(dialog, context);
    if (failure) {
        d.failure = failure;
        EndDialog(dialog, failure);
        return 1;
    }
    return answerItemHeight(dialog, measure);
}

ComponentItem *itemAtListPosition(int position)
{
    ComponentItem *first = nullptr;
    int32_t count = 0;
    groupView(setupState->optionsPage, &first, &count, nullptr);
    int index = setupState->optionsPage == CATEGORIES ? position + 1 : position;
    if (!first || position < 0 || index >= count || index >= MAX_GROUP_ITEMS)
        return nullptr;
    return first + index;
}

static bool drawsGreyWhenUnavailable(int32_t group)
{
    return group == CATEGORIES || group == GROUP_INTEGRATION;
}

// The tick of the bitmaps as a polygon on a grid of twice their 13 pixels,
// scaled to the box, so that it stays sharp in every size.
struct GridPoint {
    int x, y;
};
constexpr int TICK_GRID = 26;
constexpr GridPoint tickOutline[] = {{6, 10}, {11, 14}, {20, 6}, {20, 10}, {11, 20}, {6, 15}};

// A box as the bitmaps show it, in any size and colours: a frame that
// thickens with the box, its inside and, when ticked, the tick. Drawn with
// the context's own brush and pen, so that no object is made per entry.
static void drawBox(HDC context, POINT at, SIZE size, bool ticked, COLORREF frame, COLORREF inside, COLORREF tick)
{
    int line = size.cy / 13 > 1 ? size.cy / 13 : 1;
    HBRUSH brush = (HBRUSH)GetStockObject(DC_BRUSH);
    COLORREF keptBrush = SetDCBrushColor(context, frame);
    RECT box = {at.x, at.y, at.x + size.cx, at.y + size.cy};
    FillRect(context, &box, brush);
    InflateRect(&box, -line, -line);
    SetDCBrushColor(context, inside);
    FillRect(context, &box, brush);
    if (ticked) {
        POINT points[sizeof tickOutline / sizeof tickOutline[0]];
        int n = 0;
        for (const GridPoint &p : tickOutline)
            points[n++] = POINT{at.x + MulDiv(p.x, size.cx, TICK_GRID), at.y + MulDiv(p.y, size.cy, TICK_GRID)};
        SetDCBrushColor(context, tick);
        COLORREF keptPen = SetDCPenColor(context, tick);
        HGDIOBJ oldBrush = SelectObject(context, brush);
        HGDIOBJ oldPen = SelectObject(context, GetStockObject(DC_PEN));
        Polygon(context, points, n);
        SelectObject(context, oldPen);
        SelectObject(context, oldBrush);
        SetDCPenColor(context, keptPen);
    }
    SetDCBrushColor(context, keptBrush);
}

// The colour of an entry's text and box, the system's under every colour
// scheme: the context's own text colour is black, and the scheme's window
// may be too.
static COLORREF entryInkColour(const ComponentItem *item, bool highlighted)
{
    if ((item->flags & ITEM_UNAVAILABLE) && drawsGreyWhenUnavailable(setupState->optionsPage))
        return GetSysColor(COLOR_GRAYTEXT);
    return GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
}

// The entry's text as the list holds it, in UTF-16: the module's names
// whole whatever the system's code page.
static void entryText(const DRAWITEMSTRUCT *draw, const ComponentItem *item, WCHAR *text)
{
    text[0] = 0;
    LRESULT length = SendMessageW(draw->hwndItem, LB_GETTEXTLEN, draw->itemID, 0);
    if (length >= 0 && length < ENTRY_TEXT_BYTES) {
        SendMessageW(draw->hwndItem, LB_GETTEXT, draw->itemID, (LPARAM)text);
        return;
    }
    char own[sizeof item->displayName + 1];
    copyFieldText(own, sizeof own, item->displayName, sizeof item->displayName);
    widenText(own, text, ENTRY_TEXT_BYTES);
}

// The entry's name after its box, in the colour its state gives it; the
// context keeps its own colour.
static void drawEntryText(HDC context, int x, int y, const ComponentItem *item, bool highlighted, const WCHAR *text)
{
    COLORREF kept = SetTextColor(context, entryInkColour(item, highlighted));
    TextOutW(context, x, y, text, lstrlenW(text));
    SetTextColor(context, kept);
}

void drawComponentItem(const DRAWITEMSTRUCT *draw)
{
    ComponentListDrawing &d = componentListDrawing;
    HDC context = draw->hDC;
    RECT rect = draw->rcItem;
    if (draw->itemID == (UINT)-1) {
        DrawFocusRect(context, &rect);
        return;
    }
    ComponentItem *item = itemAtListPosition((int)draw->itemID);
    if (!item)
        return;
    WCHAR text[ENTRY_TEXT_BYTES];
    entryText(draw, item, text);

    bool highlighted = (item->flags & ITEM_HIGHLIGHTED) != 0;
    // An entry that is not highlighted never shows the list's own focus.
    UINT state = highlighted ? draw->itemState : 0;
    SetBkColor(context, GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    HGDIOBJ previousBrush = SelectObject(context, highlighted ? d.highlightBrush : d.windowBrush);
    PatBlt(context, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);

    bool contrast = d.highContrast;
    bool selected = (item->flags & ITEM_SELECTED) != 0;
    HDC box = selected ? d.tickContext : d.blankContext;
    SIZE bitmapSize = selected ? d.tickSize : d.blankSize;
    POINT boxAt = {rect.left + 2, rect.top + 1};
    bool grown = d.boxSize.cx > bitmapSize.cx || d.boxSize.cy > bitmapSize.cy;
    if (contrast) {
        COLORREF ink = entryInkColour(item, highlighted);
        drawBox(context, boxAt, d.boxSize, selected, ink, GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW),
                ink);
    } else if (grown) {
        drawBox(context, boxAt, d.boxSize, selected, BOX_FRAME_COLOUR, BOX_INSIDE_COLOUR, BOX_TICK_COLOUR);
    } else if (box) {
        BitBlt(context, boxAt.x, boxAt.y, bitmapSize.cx, bitmapSize.cy, box, 0, 0, SRCCOPY);
    }

    int textX = rect.left + 2 * (d.boxSize.cx > d.tickSize.cx ? d.boxSize.cx : d.tickSize.cx);
    drawEntryText(context, textX, rect.top, item, highlighted, text);

    // While the user has not used the keyboard, Windows asks owner-drawn
    // lists to hide the focus, as its own lists do.
    if ((state & ODS_FOCUS) && !(state & ODS_NOFOCUSRECT))
        DrawFocusRect(context, &rect);
    if (previousBrush)
        SelectObject(context, previousBrush);
}

static void releaseBoxBitmap(HDC *context, HBITMAP *bitmap, HGDIOBJ *kept)
{
    if (*context && *bitmap)
        SelectObject(*context, *kept);
    deleteGdiObject(*bitmap);
    deleteContext(*context);
    *context = nullptr;
    *bitmap = nullptr;
    *kept = nullptr;
}

void releaseListResources()
{
    ComponentListDrawing &d = componentListDrawing;
    deleteGdiObject(d.highlightBrush);
    deleteGdiObject(d.windowBrush);
    d.highlightBrush = d.windowBrush = nullptr;
    releaseBoxBitmap(&d.tickContext, &d.tickBitmap, &d.tickContextKept);
    releaseBoxBitmap(&d.blankContext, &d.blankBitmap, &d.blankContextKept);
    d.tickSize = d.blankSize = d.boxSize = SIZE{0, 0};
    d.highContrast = false;
    d.failure = 0;
}
