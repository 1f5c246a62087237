// product_defaults.cpp - writeProductDefaults and its parts. The viewers of
// the selected components go into VAPI as they are found; converters are
// first marked by format number in three working tables (word processing,
// images, graphics) and written per number afterwards, with the install.ini
// line of the item that supplied them. Owns no state beyond one run.
#include "product_defaults.h"

#include <windows.h>
#include <string.h>

#include "fixed_defaults.h"
#include "registry_access.h"
#include "registry_journal.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/path_text.h"

namespace {

#define VAPI_KEY PRODUCT_KEY "\\VAPI"

constexpr size_t INFO_VALUE_BYTES = 100;   // an Info%d value: at most 99 characters
// Rewriting two empty direction fields adds two characters to a line.
constexpr size_t LINE_BYTES = INFO_VALUE_BYTES + 2;
// Every number 0..299 listed: 10 one-digit, 90 two-digit and 200 three-digit
// numbers with 299 commas between them.
constexpr size_t ID_LIST_BYTES = 10 * 1 + 90 * 2 + 200 * 3 + 299 + 1;
// A format code (at most 5 characters) with the longest suffix, ".2.0".
constexpr size_t VALUE_NAME_BYTES = 16;
constexpr size_t OWNER_BYTES = 60;         // userName, companyName: 59 characters

struct VapiValue {
    const char *name;
    const char *data;
};

// Document formats whose VWP viewer also brings a word-processing converter.
constexpr int32_t convertedDocumentFormats[] = {
    3, 13, 20, 26, 27, 28, 29, 32, 38, 43, 46, 48, 55, 63, 64, 72, 74, 78, 82, 87, 88, 181, 196, 205,
};

constexpr const char *documentViewerData = "doc 1 jordocve.dll";

// Format 181 has a viewer module of its own, and its entry brings format 15's
// document viewer with it.
constexpr VapiValue compoundDocumentViewers[] = {
    {"181", "doc 4 lxcm.dll 19"},
    {"15", "doc 1 jordocve.dll"},
};

constexpr VapiValue alwaysViewers[] = {
    {"185.1", "doc 1 jordocve.dll"},
    {"2", "text 1 jordocve.dll"},
    {"jordocve.dll", "jorDOCVIEW"},
};

// Spreadsheet format 90 brings further workbook and chart entries with it.
constexpr VapiValue spreadsheet90Viewers[] = {
    {"188.2", "wkb 1 jorwkbve.dll"},
    {"90.2.0", "wkb 1 jorwkbve.dll"},
    {"90.2.2", "wkb 1 jorwkbve.dll"},
    {"90.2.4", "wkb 1 jorwkbve.dll"},
    {"90.2.3", "wmf 4 lxvector.dll 2"},
    {"40.2.3", "wmf 4 lxvector.dll 2"},
    {"44.2.3", "wmf 4 lxvector.dll 2"},
};

constexpr const char *workbookViewerData = "wkb 1 jorwkbve.dll";

// Archive formats of the INTERUTIL group: by number, and then only when the
// code is written exactly so.
struct ArchiveViewer {
    int32_t number;
    const char *code;
    const char *data;
};

constexpr ArchiveViewer archiveViewers[] = {
    {192, "192", "0 2 jorzee.dll 2"},
    {198, "198", "0 2 jorgz.dll 10"},
    {206, "206", "0 2 jorhqx.dll 2"},
};

constexpr const char *zipArchiveCodes[] = {"132", "194", "167"};

// Graphics formats whose viewer entry names lqifcnvt.dll.
constexpr int32_t convertedGraphicsFormats[] = {8, 66, 85, 195};

constexpr const char *pictureViewerData = "pic 1 jorpicve.dll";
constexpr const char *graphicsViewerData = "wmf 1 jorwmfve.dll";

// How a converter line is written for a table's mask.
enum LineAction {
    LINE_NONE,       // no value
    LINE_SOURCE,     // direction fields "1,0"
    LINE_TARGET,     // direction fields "0,1"
    LINE_UNCHANGED
};

struct ConverterTableKind {
    const char *key;
    const char *sectionByBit[3];  // for bits 1, 2, 4: the first set bit with a section wins
    LineAction actionByMask[8];
};

// Mask 5 (a viewer and a target converter, no source) has no line of its own.
constexpr ConverterTableKind wpTable = {
    PRODUCT_KEY "\\WPCnv",
    {"VWPINFO", "SWPINFO", "TWPINFO"},
    {LINE_NONE, LINE_SOURCE, LINE_SOURCE, LINE_SOURCE, LINE_TARGET, LINE_NONE, LINE_UNCHANGED, LINE_UNCHANGED},
};

constexpr ConverterTableKind gfxTable = {
    PRODUCT_KEY "\\GFXCnv",
    {nullptr, "SPICINFO", "TPICINFO"},
    {LINE_NONE, LINE_NONE, LINE_SOURCE, LINE_NONE, LINE_TARGET, LINE_NONE, LINE_UNCHANGED, LINE_NONE},
};

constexpr ConverterTableKind imgTable = {
    PRODUCT_KEY "\\IMGCnv",
    {nullptr, "SPICINFO", "TPICINFO"},
    {LINE_NONE, LINE_NONE, LINE_SOURCE, LINE_NONE, LINE_TARGET, LINE_NONE, LINE_UNCHANGED, LINE_NONE},
};

struct ViewerRun {
    ConverterMarks marks;
    int32_t pictureViewers;
    int32_t graphicsViewers;
    bool workbookViewer;
};

// ---------------------------------------------------------------------------

bool contains(const int32_t *numbers, size_t count, int32_t number)
{
    for (size_t i = 0; i < count; i++)
        if (numbers[i] == number)
            return true;
    return false;
}

#define CONTAINS(table, number) contains(table, sizeof table / sizeof table[0], number)

void writeVapi(const char *name, const char *data)
{
    writeRegText(VAPI_KEY, name, data);
}

void writeVapiSuffixed(const char *code, const char *suffix, const char *data)
{
    char name[VALUE_NAME_BYTES];
    formatText(name, sizeof name, "%s%s", code, suffix);
    writeVapi(name, data);
}

bool groupCounts(int group)
{
    return networkOptionEnabled || (setupState->groups[CATEGORIES].items[group].flags & ITEM_SELECTED);
}

bool itemSelected(int group, int position)
{
    return (setupState->groups[group].items[position].flags & ITEM_SELECTED) != 0;
}

// An item counts when its group and the item itself are selected; the network
// option stands in for both.
bool itemCounts(int group, int position)
{
    return groupCounts(group) && (networkOptionEnabled || itemSelected(group, position));
}

int itemsIn(int group)
{
    int32_t count = setupState->groups[group].itemCount;
    return count < 0 ? 0 : count > MAX_GROUP_ITEMS ? MAX_GROUP_ITEMS : count;
}

// The item's format code, terminated even when the field is full. An item
// without one has nothing to register: its value name would be the key's
// unnamed default value.
constexpr size_t CODE_BYTES = sizeof(ComponentItem::formatCode) + 1;

bool itemCode(int group, int position, char *code)
{
    const ComponentItem &item = setupState->groups[group].items[position];
    copyFieldText(code, CODE_BYTES, item.formatCode, sizeof item.formatCode);
    return code[0] != 0;
}

void mark(ConverterMark *table, int32_t number, int32_t bit, int position, bool replacePosition)
{
    if (number < 0 || number >= FORMAT_NUMBERS)
        return;
    table[number].mask |= bit;
    if (replacePosition || table[number].position == -1)
        table[number].position = position;
}

void readInfoLine(const char *section, int position, char *line, size_t cap)
{
    char key[16];
    formatText(key, sizeof key, "info%d", position + 1);
    readIniText(setupState->setupIniPath, section, key, "", line, cap < INFO_VALUE_BYTES ? cap : INFO_VALUE_BYTES);
}

// The image and graphics tokens of a picture item's line; a line without
// them is not registered at all.
bool readPictureLine(const char *section, int position, bool *image, bool *graphics)
{
    char line[INFO_VALUE_BYTES];
    readInfoLine(section, position, line, sizeof line);
    return pictureLineTokens(line, image, graphics);
}

// ---------------------------------------------------------------------------
// The groups, in the order they are written

void writeDocumentViewers(ViewerRun &run)
{
    for (int position = 0; position < itemsIn(GROUP_VWP); position++) {
        char code[CODE_BYTES];
        if (!itemCounts(GROUP_VWP, position) || !itemCode(GROUP_VWP, position, code))
            continue;
        if (strcmp(code, "181") == 0)
            for (const VapiValue &v : compoundDocumentViewers)
                writeVapi(v.name, v.data);
        else
            writeVapi(code, documentViewerData);
        int32_t number = formatNumber(code);
        // A later item with the same number supplies the line.
        if (CONTAINS(convertedDocumentFormats, number))
            mark(run.marks.wp, number, MARK_VIEWER, position, true);
    }
    for (const VapiValue &v : alwaysViewers)
        writeVapi(v.name, v.data);
}

void writeSpreadsheetViewers(ViewerRun &run)
{
    for (int position = 0; position < itemsIn(GROUP_SPREADSHEET); position++) {
        char code[CODE_BYTES];
        if (!itemCounts(GROUP_SPREADSHEET, position) || !itemCode(GROUP_SPREADSHEET, position, code))
            continue;
        if (strcmp(code, "90") == 0)
            for (const VapiValue &v : spreadsheet90Viewers)
                writeVapi(v.name, v.data);
        writeVapiSuffixed(code, ".2.0", workbookViewerData);
        run.workbookViewer = true;
    }
}

void writeArchiveViewer(const char *code)
{
    int32_t number = formatNumber(code);
    for (const ArchiveViewer &a : archiveViewers) {
        if (a.number != number)
            continue;
        // A code such as "0192" names the number but not the value.
        if (strcmp(code, a.code) == 0)
            writeVapi(code, a.data);
        return;
    }
    for (const char *zip : zipArchiveCodes)
        if (strcmp(code, zip) == 0) {
            writeVapi(code, "zip 1 jorwkbve.dll");
            return;
        }
    writeVapi(code, workbookViewerData);
}

void writeUtilityViewers(ViewerRun &run)
{
    for (int position = 0; position < itemsIn(GROUP_INTERUTIL); position++) {
        char code[CODE_BYTES];
        if (!itemCounts(GROUP_INTERUTIL, position) || !itemCode(GROUP_INTERUTIL, position, code))
            continue;
        run.workbookViewer = true;
        writeArchiveViewer(code);
    }
    if (run.workbookViewer)
        writeVapi("jorwkbve.dll", "jorWKBVIEW");
}

void markWordProcessorConverters(ViewerRun &run)
{
    char code[CODE_BYTES];
    for (int position = 0; position < itemsIn(GROUP_SWP); position++) {
        if (!itemCounts(GROUP_SWP, position) || !itemCode(GROUP_SWP, position, code))
            continue;
        mark(run.marks.wp, formatNumber(code), MARK_SOURCE, position, false);
    }
    // The network option does not stand in for a target converter the user
    // did not choose.
    if (!groupCounts(GROUP_TWP))
        return;
    for (int position = 0; position < itemsIn(GROUP_TWP); position++) {
        if (!itemSelected(GROUP_TWP, position) || !itemCode(GROUP_TWP, position, code))
            continue;
        mark(run.marks.wp, formatNumber(code), MARK_TARGET, position, false);
    }
}

void writeGraphicsViewer(const char *code)
{
    bool converted = CONTAINS(convertedGraphicsFormats, formatNumber(code));
    writeVapiSuffixed(code, ".5", converted ? "wmf 3 lqifcnvt.dll 4" : graphicsViewerData);
}

void writeImageViewer(const char *code)
{
    if (strcmp(code, "4") == 0)
        writeVapi("98", "ppnt 3 jorssfun.dll 4");
    if (strcmp(code, "182") == 0) {
        writeVapi("182", "fax 1 jorpicve.dll");
        writeVapi("71.19", "fax 1 jorpicve.dll");
    } else {
        writeVapiSuffixed(code, ".4", strcmp(code, "59") == 0 ? "pic 4 lxraster.dll 2" : pictureViewerData);
    }
}

void writeSourcePictureViewers(ViewerRun &run)
{
    for (int position = 0; position < itemsIn(GROUP_SPIC); position++) {
        char code[CODE_BYTES];
        bool image, graphics;
        if (!itemCounts(GROUP_SPIC, position) || !itemCode(GROUP_SPIC, position, code) ||
            !readPictureLine("SPICINFO", position, &image, &graphics))
            continue;
        int32_t number = formatNumber(code);
        if (image) {
            mark(run.marks.img, number, MARK_SOURCE, position, true);
            run.pictureViewers++;
            writeImageViewer(code);
        }
        if (graphics) {
            mark(run.marks.gfx, number, MARK_SOURCE, position, true);
            run.graphicsViewers++;
            writeGraphicsViewer(code);
        }
    }
}

void writeTargetPictureViewers(ViewerRun &run)
{
    for (int position = 0; position < itemsIn(GROUP_TPIC); position++) {
        char code[CODE_BYTES];
        bool image, graphics;
        if (!itemCounts(GROUP_TPIC, position) || !itemCode(GROUP_TPIC, position, code) ||
            !readPictureLine("TPICINFO", position, &image, &graphics))
            continue;
        int32_t number = formatNumber(code);
        if (image)
            mark(run.marks.img, number, MARK_TARGET, position, false);
        if (graphics) {
            mark(run.marks.gfx, number, MARK_TARGET, position, false);
            run.graphicsViewers++;
            writeGraphicsViewer(code);
        }
    }
    if (run.graphicsViewers)
        writeVapi("jorwmfve.dll", "jorWMFVIEW");
    if (run.pictureViewers)
        writeVapi("jorpicve.dll", "jorPICVIEW");
}

void writeConverterTable(const ConverterTableKind &kind, const ConverterMark *table)
{
    char ids[ID_LIST_BYTES] = "";
    for (int n = 0; n < FORMAT_NUMBERS; n++) {
        int32_t mask = table[n].mask;
        LineAction action = mask > 0 && mask < 8 ? kind.actionByMask[mask] : LINE_NONE;
        if (action == LINE_NONE)
            continue;
        const char *section = nullptr;
        for (int bit = 0; bit < 3 && !section; bit++)
            if (mask & (1 << bit))
                section = kind.sectionByBit[bit];
        char line[LINE_BYTES];
        readInfoLine(section, table[n].position, line, sizeof line);
        if (action == LINE_SOURCE)
            setDirectionFields(line, sizeof line, 1, 0);
        else if (action == LINE_TARGET)
            setDirectionFields(line, sizeof line, 0, 1);
        char name[VALUE_NAME_BYTES];
        formatText(name, sizeof name, "%d", n);
        writeRegText(kind.key, name, line);
        if (ids[0])
            appendText(ids, sizeof ids, ",");
        appendText(ids, sizeof ids, name);
    }
    if (ids[0])
        writeRegText(kind.key, "All_IDs", ids);
}

void writeGeneralValues()
{
    SetupState &s = *setupState;
    char text[OWNER_BYTES];
    copyFieldText(text, sizeof text, s.userName, sizeof s.userName);
    writeRegText(PRODUCT_GENERAL_KEY, "user", text);
    copyFieldText(text, sizeof text, s.companyName, sizeof s.companyName);
    writeRegText(PRODUCT_GENERAL_KEY, "company", text);
}

void writeHomeAndServer()
{
    SetupState &s = *setupState;
    if (workstationInstall)
        return;
    writeRegText(PRODUCT_GENERAL_KEY, "HOME", s.installDir);
    if (networkOptionEnabled) {
        trimServerDir();
        writeRegText(PRODUCT_GENERAL_KEY, "SERVER", s.serverDir);
    } else {
        writeRegText(PRODUCT_GENERAL_KEY, "SERVER", s.installDir);
    }
}

void readOwnerValue(HKEY key, const char *name, char *field, size_t cap)
{
    if (field[0])
        return;
    char value[256];
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, (BYTE *)value, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return;
    value[size < sizeof value ? size : sizeof value - 1] = 0;
    copyText(field, cap, value);
}

} // namespace

void trimServerDir()
{
    char *dir = setupState->serverDir;
    if (strnlen(dir, sizeof setupState->serverDir) < sizeof setupState->serverDir)
        dropTrailingSeparator(dir);
}

void readRegisteredOwner()
{
    SetupState &s = *setupState;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    readOwnerValue(key, "RegisteredOwner", s.userName, sizeof s.userName);
    readOwnerValue(key, "RegisteredOrganization", s.companyName, sizeof s.companyName);
    RegCloseKey(key);
}

void clearProductKeys()
{
    // On NT a key that still has subkeys stays; nothing after relies on it.
    deleteKeyNoting(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\VAPI");
    deleteKeyNoting(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\GFXCnv");
    deleteKeyNoting(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\IMGCnv");
    deleteKeyNoting(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\WPCnv");
    deleteKeyNoting(HKEY_LOCAL_MACHINE, PRODUCT_KEY);
    deleteKeyNoting(HKEY_CURRENT_USER, PRODUCT_KEY);
}

void writeConverterTables(const ConverterMarks *marks)
{
    writeConverterTable(wpTable, marks->wp);
    writeConverterTable(gfxTable, marks->gfx);
    writeConverterTable(imgTable, marks->img);
}

void writeProductDefaults()
{
    SetupState &s = *setupState;
    beginProfileWork();
    clearProductKeys();
    // The keys are made anew above; each is opened once from here on.
    beginRegistryWork();
    readRegisteredOwner();
    writeGeneralValues();
    writeFixedDefaults();
    writeHomeAndServer();
    char internal[PATH_BYTES];
    readIniText(s.setupIniPath, "General", "Internal", "", internal, sizeof internal);
    writeRegText(PRODUCT_GENERAL_KEY, "Internal", internal);

    ViewerRun run = {};
    for (int n = 0; n < FORMAT_NUMBERS; n++) {
        run.marks.wp[n].position = -1;
        run.marks.img[n].position = -1;
        run.marks.gfx[n].position = -1;
    }
    writeDocumentViewers(run);
    writeSpreadsheetViewers(run);
    writeUtilityViewers(run);
    markWordProcessorConverters(run);
    writeSourcePictureViewers(run);
    writeTargetPictureViewers(run);
    writeConverterTables(&run.marks);
    endRegistryWork();
    endProfileWork();
}
