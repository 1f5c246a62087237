// product_defaults.h - the product's registry configuration rebuilt from the
// user's selection: General values, the viewer table VAPI and the converter
// tables WPCnv, GFXCnv and IMGCnv with their All_IDs lists.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "converter_lines.h"

// The working tables are indexed by format number; numbers outside them are
// not marked.
constexpr int FORMAT_NUMBERS = 300;

enum ConverterMaskBit {
    MARK_VIEWER = 1,       // WP: a VWP item
    MARK_SOURCE = 2,       // WP: SWP item; IMG/GFX: SPIC item
    MARK_TARGET = 4        // WP: TWP item; IMG/GFX: TPIC item
};

struct ConverterMark {
    int32_t mask;          // ConverterMaskBit bits, 0 = not marked
    int32_t position;      // item position in the group that supplies the line, -1 = none
};

struct ConverterMarks {
    ConverterMark wp[FORMAT_NUMBERS];
    ConverterMark img[FORMAT_NUMBERS];
    ConverterMark gfx[FORMAT_NUMBERS];
};

// The whole run: clears the product keys, writes General, the fixed defaults
// and the viewers and converters of the selected components.
void writeProductDefaults();

// Deletes VAPI, GFXCnv, IMGCnv, WPCnv and the product key under
// HKEY_LOCAL_MACHINE, then the per-user product key. Results are ignored.
void clearProductKeys();

// Writes the marked format numbers of the three tables under WPCnv, GFXCnv
// and IMGCnv, each table's list of them as All_IDs.
void writeConverterTables(const ConverterMarks *marks);

// Removes one trailing backslash from serverDir itself.
void trimServerDir();

// Fills userName and companyName, where still empty, from the Windows
// registered owner and organization (at most 59 characters each).
void readRegisteredOwner();
