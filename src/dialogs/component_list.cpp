// component_list.cpp - list 101 of the options dialog, drawn by the dialog:
// the item height, the brushes, the tick and blank bitmaps held in two memory
// contexts, and the painting of one entry. Owns componentListDrawing.
#include "component_list.h"

#include <string.h>

#include "catalogue/catalogue.h"
#include "luinsres_ids.h"
#include "state/setup_state.h"
#include "state/text.h"

ComponentListDrawing componentListDrawing;

// Display names have at most 29 characters; the list keeps what was inserted.
constexpr int ENTRY_TEXT_BYTES = 64;
constexpr int MEASURE_POINTS = 10;

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

void createListBrushes()
{
    ComponentListDrawing &d = componentListDrawing;
    d.highlightBrush = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
    d.windowBrush = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
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
    if (!*context)
        return noContext;
    *bitmap = LoadBitmapA(resourceModule, name);
    if (!*bitmap) {
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

static INT_PTR answerItemHeight(HWND dialog, MEASUREITEMSTRUCT *measure)
{
    LONG textHeight = measuringTextHeight(GetDlgItem(dialog, (int)measure->CtlID));
    LONG boxHeight = componentListDrawing.blankSize.cy + 2;
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
    selectGroupView(0, nullptr, &first, &count, nullptr);
    int index = setupState->currentGroup == CATEGORIES ? position + 1 : position;
    if (!first || position < 0 || index >= count || index >= MAX_GROUP_ITEMS)
        return nullptr;
    return first + index;
}

static bool drawsGreyWhenUnavailable(int32_t group)
{
    return group == CATEGORIES || group == GROUP_INTEGRATION;
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
    char text[ENTRY_TEXT_BYTES];
    LRESULT length = SendMessageA(draw->hwndItem, LB_GETTEXTLEN, draw->itemID, 0);
    if (length >= 0 && length < (LRESULT)sizeof text)
        SendMessageA(draw->hwndItem, LB_GETTEXT, draw->itemID, (LPARAM)text);
    else
        copyFieldText(text, sizeof text, item->displayName, sizeof item->displayName);

    bool highlighted = (item->flags & ITEM_HIGHLIGHTED) != 0;
    // An entry that is not highlighted never shows the list's own focus.
    UINT state = highlighted ? draw->itemState : 0;
    SetBkColor(context, GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    HGDIOBJ previousBrush = SelectObject(context, highlighted ? d.highlightBrush : d.windowBrush);
    PatBlt(context, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);

    bool selected = (item->flags & ITEM_SELECTED) != 0;
    HDC box = selected ? d.tickContext : d.blankContext;
    SIZE boxSize = selected ? d.tickSize : d.blankSize;
    if (box)
        BitBlt(context, rect.left + 2, rect.top + 1, boxSize.cx, boxSize.cy, box, 0, 0, SRCCOPY);

    bool coloured = true;
    if ((item->flags & ITEM_UNAVAILABLE) && drawsGreyWhenUnavailable(setupState->currentGroup))
        SetTextColor(context, UNAVAILABLE_TEXT_COLOUR);
    else if (highlighted)
        SetTextColor(context, HIGHLIGHTED_TEXT_COLOUR);
    else
        coloured = false;
    TextOutA(context, rect.left + 2 * d.tickSize.cx, rect.top, text, (int)strnlen(text, sizeof text));
    if (coloured)
        SetTextColor(context, RESET_TEXT_COLOUR);

    if (state & ODS_FOCUS)
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
    d.tickSize = d.blankSize = SIZE{0, 0};
    d.failure = 0;
}
