// fixed_defaults.cpp - writeFixedDefaults and writeLaunchManagerDefaults. Every
// key is a constexpr table of name/data pairs under one root; one loop stores
// its values as REG_SZ on the key, opened once for the run of registry work.
// A key that cannot be created ends the run; a store that fails is the setup
// run's failure (registry_journal.h).
#include "fixed_defaults.h"

#include <windows.h>
#include <string.h>

#include "registry_access.h"
#include "registry_journal.h"
#include "state/folder_security.h"
#include "state/host_record.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/path_text.h"

namespace {

enum RegRoot { MACHINE, USER, CLASSES };

// A value stored with no data at all (length 0), unlike "" (length 1).
constexpr const char *ZERO_LENGTH = nullptr;

struct DefaultValue {
    const char *name;
    const char *data;
};

struct DefaultKey {
    RegRoot root;
    const char *path;
    const DefaultValue *values;
    int count;
};

#define DEFAULT_KEY(root, path, values) {root, path, values, (int)(sizeof values / sizeof values[0])}

// ---------------------------------------------------------------------------
// Launch manager

constexpr DefaultValue launchGeneral[] = {
    {"TalkDDE", "1"},
    {"MaintainSize", "0"},
    {"LastFileType", ""},
    {"Position", ZERO_LENGTH},
    {"Associations", ZERO_LENGTH},
};

constexpr DefaultValue launchExtensions[] = {
    {"ami", "SAM"}, {"mww", "RTF"}, {"bmp", "BMP"}, {"pcx", "PCX"}, {"wmf", "WMF"},
    {"wpg", "WPG"}, {"cgm", "CGM"}, {"htm", "HTM"}, {"gif", "GIF"}, {"tiff", "TIF"},
};

constexpr DefaultValue launchClassDefaults[] = {
    {"WPapp", ""},       {"SSapp", ""},       {"DBapp", ""},
    {"GFXapp", ""},      {"IMGapp", ""},      {"PGapp", ""},
    {"WPaction", "0 0"}, {"SSaction", "0 0"}, {"DBaction", "0 0"},
    {"GFXaction", "0 0"}, {"IMGaction", "0 0"}, {"PGaction", "0 0"},
};

// The names are irregular on purpose (wp_app1, nSS_apps0, db_App): the launch
// manager looks them up as they stand. The graphics category has no slot 0.
constexpr DefaultValue launchApplications[] = {
    {"nWP_apps", "9"},
    {"wp_App0", "DEFAULT.EXE Your Default Application"},
    {"wp_app1", "WINWORD.EXE Word for Windows"},
    {"wp_App1TrgFormat", "mww 42 45"},
    {"wp_App2", "AMIPRO.EXE AmiPro"},
    {"wp_App2TrgFormat", "ami 35"},
    {"wp_App3", "WPWIN.EXE WordPerfect for Windows"},
    {"wp_App3TrgFormat", "wo 80"},
    {"wp_App4", "MSPUB.EXE Microsoft Publisher"},
    {"wp_App4TrgFormat", "mww 44"},
    {"wp_App5", "WORD.EXE Word for DOS"},
    {"wp_App5TrgFormat", "mw 46"},
    {"wp_App6", "WP.EXE WordPerfect for DOS"},
    {"wp_App6TrgFormat", "wo 80"},
    {"wp_App7", "WRITE.EXE Microsoft Windows Write"},
    {"wp_App7TrgFormat", "mw 46 123"},
    {"wp_App8", "NOTEPAD.EXE Micorsoft Windows Notepad"},
    {"wp_App8TrgFormat", "af 2"},

    {"nSS_apps0", "4"},
    {"ss_App0", "DEFAULT.EXE Your Default Application"},
    {"ss_App1", "EXCEL.EXE Microsoft Excel"},
    {"ss_App2", "123W.EXE 123 for Windows"},
    {"ss_App3", "123.EXE 123 for DOS"},

    {"nDB_apps", "8"},
    {"db_App", "DEFAULT.EXE Your Default Application"},
    {"db_App1", "PDOXWIN.EXE Paradow for Windows"},
    {"db_App2", "FOXPRO.EXE Fox Pro"},
    {"db_App3", "PARADOX.EXE Paradox for DOS"},
    {"db_App4", "DBASE.EXE Dbase XX"},
    {"db_App5", "EXCEL.EXE Microsoft Excel"},
    {"db_App6", "ACCESS.EXE Microsoft Access"},
    {"db_App7", "SMART.EXE SmartWare II for DOS"},

    {"nGFX_apps", "5"},
    {"gfx_App1", "CORELDRW.EXE"},
    {"gfx_App1TrgFormat", "wmf 83"},
    {"gfx_App2", "DESIGNER.EXE Micrografx Designer"},
    {"gfx_App2TrgFormat", "wmf 83"},
    {"gfx_App3", "PR.EXE WordPerfect Presentation"},
    {"gfx_App3TrgFormat", "wpg 85"},
    {"gfx_App4", "HJWIN.EXE Hijaak For Windows"},
    {"gfx_App4TrgFormat", "wmf 83"},

    {"nIMG_apps", "6"},
    {"img_App0", "DEFAULT.EXE Your Default Application"},
    {"img_App1", "PBRUSH.EXE Windows Paint"},
    {"img_App1TrgFormat", "bmp 4 56"},
    {"img_App2", "DODOT.EXE DoDot"},
    {"img_App2TrgFormat", "bmp 4"},
    {"img_App3", "PR.EXE WordPerfect Presentation"},
    {"img_App3TrgFormat", "wpg 85"},
    {"img_App4", "HFWIN.EXE HiJaak For Windows"},
    {"img_App4TrgFormat", "tiff 71"},
    {"img_App5", "WINGIF.EXE WinGif"},
    {"img_App5TrgFormat", "gif 25"},

    {"nPG_apps", "4"},
    {"pg_App0", "DEFAULT.EXE Your Default Application"},
    {"pg_App1", "PR2.EXE Aldus Persuasion"},
    {"pg_App2", "POWERPNT.EXE Microsoft Power Point"},
    {"pg_App3", "PR.EXE WordPerfect Presentation"},
};

constexpr DefaultKey launchManagerKeys[] = {
    DEFAULT_KEY(USER, PRODUCT_KEY "\\LaunchManager\\General", launchGeneral),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\LaunchManager\\Extensions", launchExtensions),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\LaunchManager\\DocumentClassDefaults", launchClassDefaults),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\LaunchManager\\FetchwiseApplications", launchApplications),
};

// ---------------------------------------------------------------------------
// Load manager, temporary files, document classes

constexpr DefaultValue loadManager[] = {
    {"nDLLs", "0"},
    {"PreLoad", "S"},
    {"Pre1", "lxres.dll"},
    {"Pre2", "jorvapi.dll"},
    {"Pre3", "jordocve.dll"},
};

constexpr DefaultValue temporaryMasks[] = {
    {"List0", "LX*."},      {"List1", "LQ*.*"},     {"List2", "FCS*.TMP"},  {"List3", "MIS*.TMP"},
    {"List4", "LAS*.TMP"},  {"List5", "WLU*.TMP"},  {"List6", "KBH*.TMP"},  {"List7", "LUL*.TMP"},
    {"List8", "LX*.TMP"},   {"List9", "OSM*.TMP"},  {"List10", "LQT*.*"},   {"List11", "LX*.$$$"},
    {"List12", "M6*.TMP"},
};

constexpr DefaultValue contextMenus[] = {
    {"doc", "22"}, {"pic", "21"},  {"wkb", "23"}, {"wmf", "24"},
    {"fax", "20"}, {"text", "22"}, {"zip", "23"}, {"ppnt", "21"},
};

// A toolbar: its bitmap number, the count of buttons that follow, then the
// command numbers, with 0 between groups.
constexpr DefaultValue toolbars[] = {
    {"doc", "6783 14 6502 6505 6511 6510 0 6522 6530 6531 0 6620 6621 0 6547 6544"},
    {"DEFAULT", "6782 4 6502 0 6547 6544"},
    {"wkb", "6785 14 6502 6505 6511 6510 0 6522 6530 6531 0 6549 6550 0 6547 6544"},
    {"wmf", "6784 9 6502 6505 6511 6510 0 6522 0 6547 6544"},
    {"fax", "6789 16 6502 6505 6511 6510 0 6522 0 6609 6601 0 6716 6715 6709 0 6547 6544"},
    {"pic", "6787 15 6502 6505 6511 6510 0 6522 0 6609 6601 0 6719 6709 0 6547 6544"},
    {"text", "6783 14 6502 6505 6511 6510 0 6522 6530 6531 0 6620 6621 0 6547 6544"},
    {"zip", "6786 9 6502 6505 6511 6510 0 6781 0 6547 6544"},
    {"ppnt", "6788 9 6502 6505 6511 6510 0 6780 0 6547 6544"},
};

constexpr DefaultValue frameMenus[] = {
    {"DEFAULT", "1"}, {"doc", "13"}, {"pic", "10"},  {"wkb", "12"}, {"wmf", "14"},
    {"fax", "11"},    {"text", "15"}, {"zip", "17"}, {"ppnt", "16"},
};

constexpr DefaultValue icons[] = {
    {"doc", "105"}, {"pic", "108"},  {"wkb", "106"}, {"wmf", "104"},
    {"fax", "108"}, {"text", "105"}, {"zip", "107"}, {"ppnt", "108"},
};

constexpr DefaultValue propertyTabs[] = {
    {"doc", "lupref.dll 7"}, {"pic", "lupref.dll 4"},  {"wkb", "lupref.dll 5"}, {"wmf", "lupref.dll 4"},
    {"fax", "lupref.dll 2"}, {"text", "lupref.dll 6"}, {"zip", "lupref.dll 1"}, {"ppnt", "lupref.dll 7"},
};

// ---------------------------------------------------------------------------
// Reader modules of the built-in viewers, by format number

constexpr DefaultValue pictureReaders[] = {
    {"4", "lqbmprdr.dll"},   {"22", "lqepsrdr.dll"},  {"25", "lqgifrdr.dll"},  {"39", "lqmacrdr.dll"},
    {"56", "lqpcxrdr.dll"},  {"70", "lqtgardr.dll"},  {"71", "lqtifrdr.dll"},  {"85", "lqwpgrdr.dll"},
    {"118", "lqjpgrdr.dll"}, {"191", "lqnterdr.dll"}, {"182", "lqdcxrdr.dll"}, {"195", "lqwg2rdr.dll"},
};

constexpr DefaultValue workbookReaders[] = {
    {"81", "jorssfun.dll 2 5 jorssvwr.dll 31"},
    {"90", "jorssfun.dll 1 5 jorssvwr.dll 30"},
    {"132", "0 0 0 jorssvwr.dll 32"},
    {"167", "0 0 0 jorssvwr.dll 33"},
    {"188", "jorssfun.dll 1 5 jorssvwr.dll 30"},
    {"194", "0 0 0 jorssvwr.dll 34"},
    {"jorssvwr.dll", "2"},
    {"3", "jorssvwr.dll"},
};

// In the order the reader list has always been written; 20 stands twice.
constexpr DefaultValue documentReaders[] = {
    {"2", "afflt.dll"},     {"3", "ksifflt.dll"},   {"153", "afflt.dll"},   {"185", "markflt.dll"},
    {"210", "htmflt.dll"},  {"13", "ksifflt.dll"},  {"15", "ksifflt.dll"},  {"34", "ksifflt.dll"},
    {"20", "ksifflt.dll"},  {"26", "ksifflt.dll"},  {"27", "ksifflt.dll"},  {"28", "ksifflt.dll"},
    {"29", "ksifflt.dll"},  {"32", "ksifflt.dll"},  {"35", "laflt.dll"},    {"38", "ksifflt.dll"},
    {"205", "ksifflt.dll"}, {"45", "rtfflt.dll"},   {"46", "ksifflt.dll"},  {"42", "miflt.dll"},
    {"189", "mw6flt.dll"},  {"43", "ksifflt.dll"},  {"48", "ksifflt.dll"},  {"196", "ksifflt.dll"},
    {"55", "ksifflt.dll"},  {"63", "ksifflt.dll"},  {"64", "ksifflt.dll"},  {"74", "ksifflt.dll"},
    {"20", "ksifflt.dll"},  {"72", "ksifflt.dll"},  {"78", "ksifflt.dll"},  {"82", "ksifflt.dll"},
    {"80", "woflt.dll"},    {"178", "wp6flt.dll"},  {"87", "ksifflt.dll"},  {"88", "ksifflt.dll"},
};

// ---------------------------------------------------------------------------
// The user's option and font defaults

// The first pass writes short forms; the second pass, after the fonts, the
// full ones. A complete run leaves the full forms.
constexpr DefaultValue optionsFirstPass[] = {
    {"VectorGraphics", "0"},
    {"Fax", "1 100"},
    {"RasterImages", "3 100"},
    {"General", "1 0 1"},
    {"WordProcessor", "0 0 1 1 1 1 100"},
    {"TextFiles", "1440 1440 1440 1440 0 0 1 0 12 'Times New Roman'"},
    {"SpreadSheet", "1 2 2"},
    {"CompressedFiles", "1"},
};

constexpr DefaultValue decorativeFonts[] = {
    {"Lucida Bright Math", "1"}, {"Fences", "1"},       {"ITC Zapf Dingbats", "1"}, {"Lucida Arrows", "1"},
    {"Lucida Icons", "1"},       {"Lucida Stars", "1"}, {"MS LineDraw", "1"},       {"MT Extra", "1"},
    {"Wingdings", "1"},          {"Symbol", "1"},
};

constexpr DefaultValue htmlFonts[] = {
    {"NORMALFONT", "Times New Roman 12"},
    {"H1FONT", "Arial 22 b"},
    {"H2FONT", "Arial 18 b"},
    {"H3FONT", "Arial 14 b"},
    {"H4FONT", "Arial 12 b"},
    {"H5FONT", "Arial 10 b"},
    {"H6FONT", "Arial 9 b"},
    {"LISTINGFONT", "Courier New 10"},
    {"XMPFONT", "Courier New 10"},
    {"PLAINTEXTFONT", "Courier New 10"},
    {"PREFONT", "Courier New 10"},
    {"ADDRESSFONT", "Times New Roman 12 i"},
    {"BLOCKQUOTEFONT", "Times New Roman 12 i"},
};

constexpr DefaultValue optionsSecondPass[] = {
    {"General", "1 0 1"},
    {"WordProcessor", "0 0 1 1 1 1 100"},
    {"TextFiles", "1440 1440 1440 1440 0 0 1 0 12 'Times New Roman'"},
    {"RasterImages", "3 100 0 100 1 1"},
    {"VectorGraphics", "0 0 100 1 1"},
    {"Fax", "1 100 0 100 1 1"},
    {"SpreadSheet", "1 2 2"},
    {"CompressedFiles", "1"},
};

constexpr DefaultKey fixedKeys[] = {
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\lxldmgr", loadManager),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\Temporary", temporaryMasks),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\ContextMenu", contextMenus),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\Toolbar", toolbars),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\FrameMenu", frameMenus),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\Icon", icons),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\Tab", propertyTabs),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\JORPICVE", pictureReaders),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\JORWKBVE", workbookReaders),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\JORDOCVE", documentReaders),
    DEFAULT_KEY(USER, PRODUCT_KEY "\\OPTIONS", optionsFirstPass),
    DEFAULT_KEY(MACHINE, PRODUCT_KEY "\\DecorativeFontFaces", decorativeFonts),
    DEFAULT_KEY(USER, PRODUCT_KEY "\\HTML", htmlFonts),
    DEFAULT_KEY(USER, PRODUCT_KEY "\\OPTIONS", optionsSecondPass),
};

// ---------------------------------------------------------------------------
// Shell extensions, under HKEY_CLASSES_ROOT

struct ShellExtension {
    const char *classKey;
    const char *title;
    const char *serverKey;
    const char *module;
    const char *handlerKey;
};

#define CONTEXT_MENU_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2e}"
#define PROPERTY_SHEET_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2f}"

constexpr ShellExtension shellExtensions[] = {
    {"CLSID\\" CONTEXT_MENU_ID, "Lumoria Context Menu Shell Extension",
     "CLSID\\" CONTEXT_MENU_ID "\\InProcServer32", "menuext.dll",
     "*\\shellex\\ContextMenuHandlers\\" CONTEXT_MENU_ID},
    {"CLSID\\" PROPERTY_SHEET_ID, "Lumoria Property Sheet Shell Extension",
     "CLSID\\" PROPERTY_SHEET_ID "\\InProcServer32", "propext.dll",
     "*\\shellex\\PropertySheetHandlers\\" PROPERTY_SHEET_ID},
};

// ---------------------------------------------------------------------------

HKEY rootKey(RegRoot root)
{
    switch (root) {
    case MACHINE: return HKEY_LOCAL_MACHINE;
    case USER: return HKEY_CURRENT_USER;
    default: return HKEY_CLASSES_ROOT;
    }
}

bool writeKey(RegRoot root, const char *path, const DefaultValue *values, int count)
{
    for (int i = 0; i < count; i++)
        if (!writeRegValue(rootKey(root), path, values[i].name, values[i].data))
            return false;
    return true;
}

bool writeKey(const DefaultKey &k)
{
    return writeKey(k.root, k.path, k.values, k.count);
}

bool writeShellExtension(const ShellExtension &extension)
{
    char serverPath[SERVER_PATH_BYTES];
    shellExtensionPath(extension.module, serverPath, sizeof serverPath);
    const DefaultValue title[] = {{"", extension.title}};
    const DefaultValue server[] = {{"", serverPath}, {"ThreadingModel", "Apartment"}};
    const DefaultValue handler[] = {{"", ZERO_LENGTH}};
    return writeKey(CLASSES, extension.classKey, title, 1) &&
           writeKey(CLASSES, extension.serverKey, server, 2) &&
           writeKey(CLASSES, extension.handlerKey, handler, 1);
}

void joinPath(char *path, size_t cap, const char *dir, const char *tail)
{
    copyText(path, cap, dir);
    if (!path[0])
        appendText(path, cap, "\\");
    appendPathName(path, cap, tail);
}

} // namespace

// The folder the shell extensions are loaded from.
static void shellExtensionFolder(char *folder, size_t cap)
{
    SetupState &s = *setupState;
    // Windows 95 keeps shared shell modules under the common files folder.
    // When that folder is not known, the module is taken from the installation
    // directory, as on every other platform.
    if (strcmp(s.platformName, "Windows 95") == 0) {
        char common[255];
        if (readRegText(WINDOWS_VERSION_KEY, "CommonFilesDir", common, sizeof common) && common[0]) {
            joinPath(folder, cap, common, "system");
            return;
        }
    }
    copyText(folder, cap, s.installDir);
}

void shellExtensionPath(const char *module, char *path, size_t cap)
{
    char folder[SERVER_PATH_BYTES];
    shellExtensionFolder(folder, sizeof folder);
    joinPath(path, cap, folder, module);
}

int writeLaunchManagerDefaults()
{
    for (const DefaultKey &k : launchManagerKeys)
        if (!writeKey(k))
            return 0;
    return 1;
}

int writeFixedDefaults()
{
    writeLaunchManagerDefaults();
    for (const DefaultKey &k : fixedKeys)
        if (!writeKey(k))
            return 0;
    char folder[SERVER_PATH_BYTES];
    shellExtensionFolder(folder, sizeof folder);
    warnIfFolderOpenToOthers(folder);
    for (const ShellExtension &extension : shellExtensions)
        if (!writeShellExtension(extension))
            return 0;
    return 1;
}

