// largest_catalogue.cpp - writes the largest setup media the catalogue
// holds. Files are numbered in the order they are described: the viewer
// engine, the word-processing, spreadsheet, archive, picture and integration
// components with their common files, the documentation, the conversion tool,
// sample files up to file 254, and then the setup program's own files.
#include "largest_catalogue.h"

#include <stdint.h>
#include <stdio.h>

#include <vector>

#include "support/test_support.h"

namespace {

const char *const kLanguagePrefixes[] = {"*1", "*2", "*3"};  // English, French, German

// Name stems: the key of entry i of a group is first[i % 10] + second[i / 10].
const char *const kKeyFirst[] = {"AR", "BEL", "COR", "DUN", "EM", "FAL", "GOR", "HAL", "IV", "JUN"};
const char *const kWordKeySecond[] = {"WRITE", "TEXT", "PAD", "DOC", "PEN", "WORD"};
const char *const kPictureKeySecond[] = {"PAINT", "DRAW", "PIX", "FAX", "SKETCH"};
const char *const kSheetKeySecond[] = {"CALC", "SHEET", "GRID", "TALLY"};
const char *const kArchiveKeySecond[] = {"PACK", "ARC", "SQZ", "CRUNCH"};
const char *const kIntegrationKeySecond[] = {"MAIL", "DESK"};
// The integration modules that the test build provides, taken in turn.
const char *const kIntegrationPrefixes[] = {"a", "b", "c"};

// Word-processing format numbers: first the ones that get a converter entry
// when a viewer is selected, then others below the picture names' range.
std::vector<int> wordFormats()
{
    std::vector<int> formats = {3,  13, 20, 26, 27, 28, 29, 32, 38, 43, 46, 48,
                                55, 63, 64, 72, 74, 78, 82, 87, 88, 181, 196};
    for (int n = 101; formats.size() < 60; n += 2)
        if (n != 167)  // an archive format
            formats.push_back(n);
    return formats;
}

// Picture formats: the ones with viewers of their own, then a plain run.
std::vector<int> pictureFormats()
{
    std::vector<int> formats = {4, 182, 59, 8, 66, 85, 195};
    for (int n = 200; formats.size() < 50; ++n)
        formats.push_back(n);
    return formats;
}

bool isVectorPicture(int format) { return format == 8 || format == 66 || format == 85 || format == 195; }

std::vector<int> sheetFormats()
{
    std::vector<int> formats = {90};
    for (int n = 40; formats.size() < (size_t)kLargestGroupItems; ++n)
        formats.push_back(n);
    return formats;
}

std::vector<int> archiveFormats()
{
    std::vector<int> formats = {192, 198, 206, 132, 194, 167};
    for (int n = 210; formats.size() < (size_t)kLargestGroupItems; ++n)
        formats.push_back(n);
    return formats;
}

std::string keyOf(int i, const char *const *second)
{
    return std::string(kKeyFirst[i % 10]) + second[i / 10];
}

std::string lower(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}

// An 8.3 file name from a key: its first six letters and the extension.
std::string moduleOf(const std::string &key, const char *extension)
{
    return lower(key.substr(0, 6)) + "." + extension;
}

struct Media {
    std::string sizes;        // SIZEFILES
    std::string logical;      // LOGICALFILE
    std::string sections;     // component and setup sections
    int fileCount = 0;
    uint32_t seed = 0x4c554d4f;
};

// Sizes from a fixed linear congruential sequence, lo..hi bytes.
int32_t nextSize(Media &media, int32_t lo, int32_t hi)
{
    media.seed = media.seed * 1103515245u + 12345u;
    return lo + (int32_t)((media.seed >> 8) % (uint32_t)(hi - lo + 1));
}

int addFile(Media &media, const std::string &name, int32_t lo, int32_t hi)
{
    int n = ++media.fileCount;
    char line[96];
    snprintf(line, sizeof line, "FILE%d=%d\r\n", n, nextSize(media, lo, hi));
    media.sizes += line;
    snprintf(line, sizeof line, "%s=FILE%d\r\n", name.c_str(), n);
    media.logical += line;
    return n;
}

// One file per language; the section names the stem with a leading "*".
void addLanguageFile(Media &media, const std::string &stem, int32_t lo, int32_t hi)
{
    for (const char *prefix : kLanguagePrefixes)
        addFile(media, prefix + stem, lo, hi);
}

void addSection(Media &media, const std::string &name, const char *subDir,
                const std::vector<std::string> &entries)
{
    media.sections += "[" + name + "]\r\n";
    if (subDir)
        media.sections += std::string("SubDir=") + subDir + "\r\n";
    for (size_t k = 0; k < entries.size(); ++k)
        media.sections += (k == 0 ? "File" : "FILE") + std::to_string(k + 1) + "=" + entries[k] + "\r\n";
    media.sections += "\r\n";
}

// One catalogue line of the eleven-field layout.
std::string entryLine(const std::string &key, const std::string &module, const std::string &extension,
                      int format, int import, int exportFlag, const char *documentClass, int image,
                      int graphics, int number)
{
    char line[128];
    snprintf(line, sizeof line, "1,%s,%s,%s,%d,%d,%d,%s,%d,%d,%d", key.c_str(), module.c_str(),
             extension.c_str(), format, import, exportFlag, documentClass, image, graphics, number);
    return line;
}

// Default marks for half of the items: the odd keys, S and U in turn.
std::string infoSection(const char *name, const std::vector<std::string> &lines)
{
    std::string text = std::string("[") + name + "]\r\n";
    for (size_t n = 1; n <= lines.size(); ++n)
        text += "Info" + std::to_string(n) + "=" + lines[n - 1] + "\r\n";
    for (size_t n = 1; n <= lines.size(); n += 2)
        text += "Info" + std::to_string(n) + "Default=" + (n % 4 == 1 ? "S" : "U") + "\r\n";
    return text + "\r\n";
}

// The logical name of the module file "<prefix>pnint.dll".
std::string integrationModuleName(const char *prefix)
{
    std::string name;
    for (const char *c = prefix; *c; ++c)
        name += (*c >= 'a' && *c <= 'z') ? (char)(*c - 'a' + 'A') : *c;
    return name + "PNINT";
}

std::string pooled(const char *stem, int i, int poolSize)
{
    return stem + std::to_string(i % poolSize + 1);
}

}  // namespace

void writeLargestCatalogue(const std::string &dir)
{
    Media media;
    std::string ini =
        "; Largest Lumoria setup media: every group at its limit.\r\n"
        "[General]\r\nTYPE=STANDARD\r\nInternal=LU-4.0.0\r\nOPSYSTEM=32BIT\r\n\r\n"
        "[Config]\r\nNetwork=TRUE\r\n\r\n"
        "[LANGUAGEINFO]\r\nInfo1=ENGLISH\r\nInfo2=GERMAN\r\nInfo3=FRENCH\r\n\r\n"
        "[VIEWENGINEINFO]\r\nInfo1=1,VIEWENGINE,jordocve.dll,all,0,1,0,app,0,0,0\r\nInfo1Default=S\r\n\r\n"
        "[CONVTOOLINFO]\r\nInfo1=1,CONVTOOL,lucnvt.exe,all,0,1,1,app,0,0,0\r\nInfo1Default=U\r\n\r\n";

    // Viewer engine, both platforms; the help files serve both.
    for (const char *name : {"LUMORIA", "JORDOCVE", "LXCM", "LXLM", "LXLDMGR", "LXVIEWUI"})
        addFile(media, name, 40000, 900000);
    addLanguageFile(media, "VIEWRES", 60000, 180000);
    addLanguageFile(media, "VIEWHELP", 120000, 400000);
    for (const char *name : {"LUMORIA16", "JORDOCVE16", "LXLM16", "LXCM16"})
        addFile(media, name, 30000, 500000);
    addLanguageFile(media, "VIEWRES16", 40000, 120000);
    addSection(media, "VIEWENGINE32", nullptr,
               {"LUMORIA", "JORDOCVE,SYSTEM", "LXCM", "LXLM", "LXLDMGR", "LXVIEWUI", "*VIEWRES", "*VIEWHELP"});
    addSection(media, "VIEWENGINE16", nullptr,
               {"LUMORIA16", "JORDOCVE16,SYSTEM", "LXLM16", "LXCM16", "*VIEWRES16", "*VIEWHELP"});

    // Word processing. Of the 60 formats, SWP converts 0..39 in, TWP 10..39
    // and 50..59 out; VWP views 0..29 and 40..49. One converter per format
    // serves both directions, one viewer filter two neighbouring formats.
    std::vector<int> words = wordFormats();
    for (int i = 1; i <= 8; ++i)
        addFile(media, pooled("WPCOMMON", i - 1, 8), 8000, 120000);
    std::vector<int> viewed, imported, exported;
    for (int i = 0; i < 30; ++i)
        viewed.push_back(i);
    for (int i = 40; i < 50; ++i)
        viewed.push_back(i);
    for (int i = 0; i < 40; ++i)
        imported.push_back(i);
    for (int i = 10; i < 40; ++i)
        exported.push_back(i);
    for (int i = 50; i < 60; ++i)
        exported.push_back(i);
    auto isIn = [](const std::vector<int> &set, int i) {
        for (int v : set)
            if (v == i)
                return true;
        return false;
    };
    std::vector<std::string> vwpLines, swpLines, twpLines;
    for (size_t p = 0; p < viewed.size(); ++p) {
        int i = viewed[p];
        std::string key = keyOf(i, kWordKeySecond);
        std::string filterKey = keyOf(viewed[p & ~(size_t)1], kWordKeySecond);
        if (p % 2 == 0)
            addFile(media, "VW" + filterKey, 20000, 160000);
        addSection(media, key + "vV", nullptr,
                   {"VW" + filterKey, pooled("WPCOMMON", i, 8) + ",SYSTEM", pooled("WPCOMMON", i + 3, 8)});
        int import = isIn(imported, i) || !isIn(exported, i);
        vwpLines.push_back(entryLine(key, moduleOf(key, "flt"), lower(key.substr(0, 3)), words[i], import,
                                     isIn(exported, i), "doc", 0, 0, words[i]));
    }
    for (int i = 0; i < 60; ++i)
        if (isIn(imported, i) || isIn(exported, i))
            addFile(media, "CV" + keyOf(i, kWordKeySecond), 15000, 140000);
    addFile(media, "CNVRUNTIME", 60000, 250000);
    addFile(media, "CNVCORE", 30000, 90000);
    addFile(media, "CNVFONTS", 10000, 40000);
    addLanguageFile(media, "CNVMSG", 5000, 20000);
    addSection(media, "ANYCNV", nullptr, {"CNVRUNTIME,SYSTEM", "CNVCORE", "CNVFONTS", "*CNVMSG"});
    for (int i : imported) {
        std::string key = keyOf(i, kWordKeySecond);
        addSection(media, key + "sS", nullptr,
                   {"CV" + key, pooled("WPCOMMON", i, 8) + ",SYSTEM", pooled("WPCOMMON", i + 5, 8)});
        swpLines.push_back(entryLine(key, moduleOf(key, "cnv"), lower(key.substr(0, 3)), words[i], 1,
                                     isIn(exported, i), "doc", 0, 0, words[i]));
    }
    for (int i : exported) {
        std::string key = keyOf(i, kWordKeySecond);
        addSection(media, key + "tT", nullptr,
                   {"CV" + key, pooled("WPCOMMON", i, 8) + ",SYSTEM", pooled("WPCOMMON", i + 5, 8)});
        twpLines.push_back(entryLine(key, moduleOf(key, "cnv"), lower(key.substr(0, 3)), words[i],
                                     isIn(imported, i), 1, "doc", 0, 0, words[i]));
    }

    // Spreadsheets: one filter for two neighbouring versions.
    std::vector<int> sheets = sheetFormats();
    std::vector<std::string> sheetLines;
    for (const char *name : {"JORWKBVE", "LXVECTOR", "SSCOMMON"})
        addFile(media, name, 40000, 300000);
    for (int i = 1; i <= 4; ++i)
        addFile(media, pooled("SSPOOL", i - 1, 4), 5000, 60000);
    addSection(media, "ANYSPREADSHEET", nullptr, {"JORWKBVE,SYSTEM", "LXVECTOR", "SSCOMMON"});
    for (int i = 0; i < kLargestGroupItems; ++i) {
        std::string key = keyOf(i, kSheetKeySecond);
        std::string filterKey = keyOf(i & ~1, kSheetKeySecond);
        if (i % 2 == 0)
            addFile(media, "SS" + filterKey, 20000, 200000);
        addSection(media, "SPREAD" + key, nullptr, {"SS" + filterKey, pooled("SSPOOL", i, 4)});
        sheetLines.push_back(entryLine(key, moduleOf(filterKey, "flt"), lower(key.substr(0, 3)), sheets[i],
                                       1, 0, "wkb", 0, 0, i + 1));
    }

    // Internet and archive tools share the workbook viewer with the
    // spreadsheets.
    std::vector<int> archives = archiveFormats();
    std::vector<std::string> archiveLines;
    addFile(media, "ARCCOMMON", 10000, 50000);
    addSection(media, "ANYINTERUTIL", nullptr, {"JORWKBVE,SYSTEM", "ARCCOMMON"});
    for (int i = 0; i < kLargestGroupItems; ++i) {
        std::string key = keyOf(i, kArchiveKeySecond);
        std::string moduleKey = keyOf(i & ~1, kArchiveKeySecond);
        if (i % 2 == 0)
            addFile(media, "IU" + moduleKey, 10000, 90000);
        addSection(media, "INTERUTIL" + key, nullptr, {"IU" + moduleKey, "JORWKBVE,SYSTEM", pooled("SSPOOL", i, 4)});
        archiveLines.push_back(entryLine(key, moduleOf(moduleKey, "dll"), lower(key.substr(0, 3)),
                                         archives[i], 1, 0, "zip", 0, 0, i + 1));
    }

    // Pictures: SPIC imports formats 0..39, TPIC exports 10..49; one filter
    // for two neighbouring formats; vector formats need the graphics converter.
    std::vector<int> pictures = pictureFormats();
    for (const char *name : {"JORPICVE", "JORWMFVE", "LXRASTER", "PICCOMMON", "LQIFCNVT"})
        addFile(media, name, 30000, 260000);
    for (int i = 1; i <= 4; ++i)
        addFile(media, pooled("PICPOOL", i - 1, 4), 4000, 50000);
    addSection(media, "ANYPIC", nullptr, {"JORPICVE", "JORWMFVE", "LXRASTER", "PICCOMMON"});
    for (int i = 0; i < 50; i += 2)
        addFile(media, "PF" + keyOf(i, kPictureKeySecond), 12000, 150000);
    std::vector<std::string> spicLines, tpicLines;
    for (int i = 0; i < 50; ++i) {
        std::string key = keyOf(i, kPictureKeySecond);
        std::vector<std::string> entries = {"PF" + keyOf(i & ~1, kPictureKeySecond), pooled("PICPOOL", i, 4)};
        if (isVectorPicture(pictures[i]))
            entries.push_back("LQIFCNVT");
        int graphics = isVectorPicture(pictures[i]) || i % 5 == 4;
        int image = !isVectorPicture(pictures[i]);
        const char *documentClass = pictures[i] == 182 ? "fax" : graphics && !image ? "wmf" : "pic";
        bool in = i < 40, out = i >= 10;
        std::string line = entryLine(key, moduleOf(key, "flt"), lower(key.substr(0, 3)), pictures[i], in,
                                     out, documentClass, image, graphics, i + 1);
        if (in) {
            addSection(media, "PIC" + key + "S", nullptr, entries);
            spicLines.push_back(line);
        }
        if (out) {
            addSection(media, "PIC" + key + "T", nullptr, entries);
            tpicLines.push_back(line);
        }
    }

    // Integrations: the modules of the test build, taken in turn, each item
    // with an add-in file of its own; the second one installs Notes files.
    for (const char *prefix : kIntegrationPrefixes)
        addFile(media, integrationModuleName(prefix), 20000, 80000);
    addFile(media, "INTEGRT1", 8000, 30000);
    addFile(media, "INTEGRT2", 8000, 30000);
    std::vector<std::string> integrationLines;
    for (int i = 0; i < kLargestIntegrations; ++i) {
        std::string key = keyOf(i, kIntegrationKeySecond);
        const char *prefix = kIntegrationPrefixes[i % 3];
        addFile(media, "IA" + key, 2000, 20000);
        addSection(media, key, i == 1 ? "NOTESINTEG" : nullptr,
                   {integrationModuleName(prefix), "IA" + key, pooled("INTEGRT", i, 2)});
        integrationLines.push_back("1," + key + "," + prefix + "," + std::to_string(i + 1));
    }

    // Documentation; the samples fill the table up to the last file a list
    // can name.
    addLanguageFile(media, "MANUAL", 200000, 900000);
    addLanguageFile(media, "ONLINEHELP", 150000, 600000);
    addLanguageFile(media, "HELPCNT", 2000, 9000);
    addLanguageFile(media, "README", 8000, 30000);
    addSection(media, "MANUAL", nullptr, {"*MANUAL", "*HELPCNT"});
    addSection(media, "ONLINEHELP", nullptr, {"*ONLINEHELP", "*HELPCNT"});
    addSection(media, "README", nullptr, {"*README", "*HELPCNT"});
    addFile(media, "CONVTOOL", 80000, 300000);
    addFile(media, "CNVTOOLUI", 20000, 90000);
    addLanguageFile(media, "CONVTOOLHLP", 30000, 90000);
    addSection(media, "CONVTOOL", nullptr, {"CONVTOOL", "CNVTOOLUI", "CNVRUNTIME,SYSTEM", "*CONVTOOLHLP"});
    addLanguageFile(media, "SAMPLETXT", 1000, 6000);
    std::vector<std::string> samples = {"*SAMPLETXT"};
    for (int i = 1; media.fileCount < kLargestListedFiles; ++i) {
        char name[16];
        snprintf(name, sizeof name, "SAMPLE%02d", i);
        addFile(media, name, 3000, 80000);
        samples.push_back(name);
    }
    addSection(media, "SAMPLES", "S", samples);

    // The setup program's own files: those of the 32-bit platform, those
    // both platforms share, those of the 16-bit platform.
    struct SetupRun {
        std::vector<const char *> names;
        const char *more;
    } runs[] = {{{"DIALOGINT", "UNINSTALL"}, "SETUP32DATA"},
                {{"LUINSRES", "SETUPINF"}, "SETUPDATA"},
                {{"DLGINT16", "UNINST16"}, "SETUP16DATA"}};
    const int runLength = (kLargestFileCount - kLargestListedFiles) / 3;
    std::vector<std::string> setup;
    for (const SetupRun &run : runs)
        for (int k = 0; k < runLength; ++k) {
            char name[16];
            if (k < (int)run.names.size())
                snprintf(name, sizeof name, "%s", run.names[k]);
            else
                snprintf(name, sizeof name, "%s%02d", run.more, k - (int)run.names.size() + 1);
            addFile(media, name, 1000, 120000);
            // The library's own modules go where the deinstallation finds them.
            setup.push_back(std::string(name) + (k < (int)run.names.size() ? ",SETUP" : ""));
        }
    std::vector<std::string> install32(setup.begin(), setup.begin() + kLargestSetupFiles32);
    std::vector<std::string> install16(setup.end() - kLargestSetupFiles16, setup.end());
    addSection(media, "INSTALL32", nullptr, install32);
    addSection(media, "INSTALL16", nullptr, install16);

    ini += infoSection("VWPINFO", vwpLines);
    ini += infoSection("SPREADSHEETINFO", sheetLines);
    ini += infoSection("SWPINFO", swpLines);
    ini += infoSection("TWPINFO", twpLines);
    ini += infoSection("INTEGRATIONINFO", integrationLines);
    ini += infoSection("SPICINFO", spicLines);
    ini += infoSection("TPICINFO", tpicLines);
    ini += infoSection("INTERUTILINFO", archiveLines);
    ini += "[MANUALINFO]\r\n";
    const char *const manualKeys[] = {"MANUAL", "ONLINEHELP", "README", "SAMPLES"};
    for (int n = 1; n <= kLargestManuals; ++n)
        ini += "Info" + std::to_string(n) + "=1," + manualKeys[n - 1] + ",lumoria.hlp,hlp,0,0,0,doc,0,0," +
               std::to_string(n) + "\r\n";
    ini += "Info1Default=S\r\nInfo2Default=S\r\nInfo3Default=S\r\nInfo4Default=U\r\n";
    writeTextFile(dir + "install.ini", ini);

    std::string layout = "; Largest Lumoria setup layout.\r\n[DISKS]\r\nFILENUM=" +
                         std::to_string(media.fileCount) + "\r\n\r\n[SIZEFILES]\r\n" + media.sizes +
                         "\r\n[LOGICALFILE]\r\n" + media.logical + "\r\n" + media.sections +
                         "[FIXEDINTEGRATIONS]\r\nInfo1=CONTEXTMENU,View with Lumoria\r\n"
                         "Info2=DESKTOPLINK,Lumoria on the desktop\r\n";
    writeTextFile(dir + "setup.lay", layout);
}
