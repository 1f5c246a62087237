// component_list.h - the owner-drawn list of the options dialog: its item
// height, its drawing resources and the painting of one entry.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "state/setup_state.h"

// The drawing resources of the options dialog on screen. The brushes live
// from WM_INITDIALOG to WM_DESTROY, the bitmaps and their memory contexts from
// WM_MEASUREITEM to WM_DESTROY. Both bitmaps stay selected for the whole
// showing, so painting an entry is one fill, one copy and one text output.
struct ComponentListDrawing {
    HBRUSH highlightBrush;
    HBRUSH windowBrush;
    HDC tickContext;
    HBITMAP tickBitmap;
    HGDIOBJ tickContextKept;   // what the bitmap replaced in its context
    SIZE tickSize;
    HDC blankContext;
    HBITMAP blankBitmap;
    HGDIOBJ blankContextKept;
    SIZE blankSize;
    // The boxes in the row's size: the bitmaps' at 96 dpi, grown with the
    // resolution; drawn rather than copied when they grow or when Windows is
    // in a high-contrast theme.
    SIZE boxSize;
    bool highContrast;         // Windows was in a high-contrast theme at WM_INITDIALOG
    int32_t failure;           // the ComponentListFailure of measuring, 0 if none
};
extern ComponentListDrawing componentListDrawing;

// End values of the options dialog when a drawing resource cannot be made.
enum ComponentListFailure {
    LIST_NO_BLANK_BITMAP = 21,
    LIST_NO_BLANK_CONTEXT = 22,
    LIST_NO_TICK_BITMAP = 23,
    LIST_NO_TICK_CONTEXT = 24
};

// WM_INITDIALOG: the two background brushes.
void createListBrushes();

// WM_MEASUREITEM: loads the bitmaps and answers the item height, the larger
// of the bold 10-point text and the box's height + 2 (the blank bitmap's at
// 96 dpi, grown with the resolution). Returns 1, or
// ends the dialog with a ComponentListFailure, which it also keeps in
// failure: measuring runs while the list is created, and an end requested
// before WM_INITDIALOG can lose its value (Wine ends such a dialog with 1), so
// the dialog ends again with it at WM_INITDIALOG.
INT_PTR measureComponentList(HWND dialog, MEASUREITEMSTRUCT *measure);

// WM_DRAWITEM: paints one entry of the list of optionsPage.
void drawComponentItem(const DRAWITEMSTRUCT *draw);

// WM_DESTROY: deletes whatever was made and forgets the handles.
void releaseListResources();

// The catalogue item that list position p shows: p + 1 on the category list,
// p on a detail page; null outside the group.
ComponentItem *itemAtListPosition(int position);
