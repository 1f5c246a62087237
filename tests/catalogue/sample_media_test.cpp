// sample_media_test.cpp - the sample media and the largest catalogue hold
// together the way the library reads them: every catalogue entry has its
// fields, every component names a file section that resolves, in every
// offered language, to files that the layout describes and sizes, the
// resource module has every component's name, and the earlier installation's
// install.ini matches the media by name number.
#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/file_lists.h"
#include "catalogue/selection.h"
#include "luinsres_ids.h"
#include "state/module_lifecycle.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "support/largest_catalogue.h"
#include "support/test_support.h"

namespace {

// ---------------------------------------------------------------------------
// Reading the media through the profile API, as the library does

std::string profileText(const std::string &path, const std::string &section, const std::string &key)
{
    char buffer[512];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, path.c_str());
    return buffer;
}

std::vector<std::string> sectionKeys(const std::string &path, const std::string &section)
{
    std::vector<char> buffer(65536);
    DWORD n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(), (DWORD)buffer.size(),
                                       path.c_str());
    std::vector<std::string> keys;
    for (DWORD at = 0; at < n && buffer[at];) {
        keys.push_back(&buffer[at]);
        at += (DWORD)keys.back().size() + 1;
    }
    return keys;
}

bool sectionExists(const std::string &path, const std::string &section)
{
    return !sectionKeys(path, section).empty();
}

std::vector<std::string> fieldsOf(const std::string &value)
{
    std::vector<std::string> fields;
    size_t at = 0;
    for (;;) {
        size_t comma = value.find(',', at);
        fields.push_back(value.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
        if (comma == std::string::npos)
            return fields;
        at = comma + 1;
    }
}

bool isDecimal(const std::string &text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool equalsIgnoringCase(const std::string &a, const std::string &b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// "FILE<n>" to n, 0 when the text has another form.
int fileNumberOf(const std::string &text)
{
    if (text.size() < 5 || !equalsIgnoringCase(text.substr(0, 4), "FILE") || !isDecimal(text.substr(4)))
        return 0;
    return atoi(text.c_str() + 4);
}

// ---------------------------------------------------------------------------
// The catalogue's groups as install.ini and the layout file tie them together

struct GroupRule {
    int group;
    const char *infoSection;
    const char *prefix, *keySuffix, *suffix;  // file section = prefix + key + keySuffix + suffix
    const char *sharedList;
    size_t fields;
    int nameBase, nameEnd;  // display name = string nameBase + number, below nameEnd
};

const GroupRule kGroupRules[] = {
    {GROUP_VWP, "VWPINFO", "", "v", "V", nullptr, 11, IDS_NAME_BASE_VWP, IDS_NAME_BASE_PICTURE},
    {GROUP_SPREADSHEET, "SPREADSHEETINFO", "SPREAD", "", "", "ANYSPREADSHEET", 11, IDS_NAME_BASE_SPREADSHEET,
     IDS_NAME_BASE_INTERUTIL},
    {GROUP_SWP, "SWPINFO", "", "s", "S", "ANYCNV", 11, IDS_NAME_BASE_SWP, IDS_NAME_BASE_PICTURE},
    {GROUP_TWP, "TWPINFO", "", "t", "T", "ANYCNV", 11, IDS_NAME_BASE_TWP, IDS_NAME_BASE_PICTURE},
    {GROUP_INTEGRATION, "INTEGRATIONINFO", "", "", "", nullptr, 4, IDS_NAME_BASE_INTEGRATION,
     IDS_NAME_BASE_MANUAL},
    {GROUP_SPIC, "SPICINFO", "PIC", "", "S", "ANYPIC", 11, IDS_NAME_BASE_PICTURE, IDS_NAME_BASE_SPREADSHEET},
    {GROUP_TPIC, "TPICINFO", "PIC", "", "T", "ANYPIC", 11, IDS_NAME_BASE_PICTURE, IDS_NAME_BASE_SPREADSHEET},
    {GROUP_INTERUTIL, "INTERUTILINFO", "INTERUTIL", "", "", "ANYINTERUTIL", 11, IDS_NAME_BASE_INTERUTIL,
     IDS_NAME_BASE_INTEGRATION},
};

const char *const kManualKeys[] = {"MANUAL", "ONLINEHELP", "README", "SAMPLES"};

struct Entry {
    int group;
    int keyIndex;          // n of Info<n>
    std::string value;
    std::string key;       // with the key suffix
    std::string section;   // its file section in the layout
    std::string format;
    std::string modulePrefix;
    int number = -1;
};

// Info1, Info2, ... up to the first missing or empty key, as the catalogue
// reads them; MANUAL by its four fixed keys.
std::vector<Entry> readEntries(const std::string &ini, const GroupRule &rule)
{
    std::vector<Entry> entries;
    for (int n = 1;; ++n) {
        std::string value = profileText(ini, rule.infoSection, "Info" + std::to_string(n));
        if (value.empty())
            return entries;
        std::vector<std::string> fields = fieldsOf(value);
        Entry entry{rule.group, n, value, "", "", "", ""};
        if (fields.size() > 1)
            entry.key = fields[1] + rule.keySuffix;
        entry.section = rule.prefix + entry.key + rule.suffix;
        if (fields.size() == rule.fields) {
            entry.number = isDecimal(fields.back()) ? atoi(fields.back().c_str()) : -1;
            if (rule.group == GROUP_INTEGRATION)
                entry.modulePrefix = fields[2];
            else
                entry.format = fields[4];
        }
        entries.push_back(entry);
    }
}

std::vector<Entry> readManuals(const std::string &ini)
{
    std::vector<Entry> entries;
    for (int n = 1; n <= 4; ++n) {
        std::string value = profileText(ini, "MANUALINFO", "Info" + std::to_string(n));
        if (!value.empty())
            entries.push_back({GROUP_MANUAL, n, value, kManualKeys[n - 1], kManualKeys[n - 1], "", "", n});
    }
    return entries;
}

// The language bits that LANGUAGEINFO offers.
int offeredLanguages(const std::string &ini)
{
    int flags = 0;
    for (int n = 1;; ++n) {
        std::string name = profileText(ini, "LANGUAGEINFO", "Info" + std::to_string(n));
        if (name.empty())
            return flags;
        flags |= name == "ENGLISH" ? LANGUAGE_ENGLISH
                 : name == "FRENCH" ? LANGUAGE_FRENCH
                 : name == "GERMAN" ? LANGUAGE_GERMAN
                 : name == "SPANISH" ? LANGUAGE_SPANISH
                                     : 0;
    }
}

// A component file section resolved as the file-list builder resolves it;
// every name that would silently end the list is a problem here.
struct Resolved {
    std::vector<int> files;
    bool noFile = false;
    std::vector<std::string> problems;
};

Resolved resolveSection(const std::string &layout, const std::string &section, int languageFlags,
                        int fileNum)
{
    Resolved resolved;
    static const char *const kPrefixes[] = {"*1", "*2", "*3", "*4"};
    for (int k = 1;; ++k) {
        std::string value = profileText(layout, section, "FILE" + std::to_string(k));
        if (value.empty())
            break;
        std::string name;
        for (const std::string &field : fieldsOf(value))
            if (!field.empty()) {
                name = field.substr(field.find_first_not_of(" \t") == std::string::npos
                                        ? field.size()
                                        : field.find_first_not_of(" \t"));
                break;
            }
        std::vector<std::string> candidates;
        bool variants = !name.empty() && name[0] == '*';
        if (variants)
            name = name.substr(1);
        if (equalsIgnoringCase(name, "NOFILE")) {
            resolved.noFile = true;
            break;
        }
        if (!variants)
            candidates.push_back(name);
        for (int bit = 0; variants && bit < 4; ++bit)
            if (languageFlags & (1 << bit))
                candidates.push_back(kPrefixes[bit] + name);
        for (const std::string &candidate : candidates) {
            int n = fileNumberOf(profileText(layout, "LOGICALFILE", candidate));
            if (n < 1 || n > fileNum)
                resolved.problems.push_back(section + " names " + candidate + ", which stands for no file");
            else
                resolved.files.push_back(n);
        }
    }
    if (resolved.files.size() >= (size_t)FILE_LIST_BYTES)
        resolved.problems.push_back(section + " resolves to more files than a list holds");
    for (int n : resolved.files)
        if (n >= FILE_LIST_END)
            resolved.problems.push_back(section + " names FILE" + std::to_string(n) + ", beyond a list's indexes");
    return resolved;
}

// Everything about one set of media that both suites check.
struct Media {
    std::string dir, ini, layout;
    int fileNum = 0;
    int languages = 0;
    std::map<int, std::vector<Entry>> groups;

    explicit Media(const std::string &folder)
        : dir(folder), ini(folder + "install.ini"), layout(folder + "setup.lay")
    {
        fileNum = (int)GetPrivateProfileIntA("DISKS", "FILENUM", -1, layout.c_str());
        languages = offeredLanguages(ini);
        for (const GroupRule &rule : kGroupRules)
            groups[rule.group] = readEntries(ini, rule);
        groups[GROUP_MANUAL] = readManuals(ini);
    }

    // Every item's section with the group's shared list, and the fixed
    // sections of the viewer engine and the conversion tool.
    std::vector<std::string> componentSections() const
    {
        std::vector<std::string> sections = {"VIEWENGINE32", "VIEWENGINE16", "CONVTOOL"};
        for (const auto &group : groups)
            for (const Entry &entry : group.second)
                sections.push_back(entry.section);
        for (const GroupRule &rule : kGroupRules)
            if (rule.sharedList)
                sections.push_back(rule.sharedList);
        return sections;
    }

    std::vector<std::string> setupFiles(const char *section) const
    {
        std::vector<std::string> names;
        for (int k = 1;; ++k) {
            std::string value = profileText(layout, section, "FILE" + std::to_string(k));
            if (value.empty())
                return names;
            names.push_back(value.substr(0, value.find(',')));
        }
    }
};

// ---------------------------------------------------------------------------
// The checks both suites run

void expectLogicalNamesNameDescribedFiles(const Media &media)
{
    std::set<int> named;
    for (const std::string &name : sectionKeys(media.layout, "LOGICALFILE")) {
        EXPECT_LE(name.size(), 15u) << name << ": longer than the table's logical-name field";
        if (name[0] == '*') {
            EXPECT_TRUE(name.size() > 2 && name[1] >= '1' && name[1] <= '3')
                << name << ": language prefixes are *1 to *3 for the three languages";
        }
        int n = fileNumberOf(profileText(media.layout, "LOGICALFILE", name));
        EXPECT_TRUE(n >= 1 && n <= media.fileNum) << name << " stands for no file 1.." << media.fileNum;
        named.insert(n);
    }
    for (int n = 1; n <= media.fileNum; ++n) {
        std::string size = profileText(media.layout, "SIZEFILES", "FILE" + std::to_string(n));
        EXPECT_TRUE(isDecimal(size) && atoi(size.c_str()) > 0) << "SIZEFILES FILE" << n << "=" << size;
        EXPECT_TRUE(named.count(n)) << "FILE" << n << " has no logical name";
    }
}

void expectCatalogueEntriesHaveTheirLayout(const Media &media)
{
    for (const GroupRule &rule : kGroupRules) {
        const std::vector<Entry> &entries = media.groups.at(rule.group);
        std::set<int> numbers;
        for (const Entry &entry : entries) {
            std::string where = std::string(rule.infoSection) + " Info" + std::to_string(entry.keyIndex);
            std::vector<std::string> fields = fieldsOf(entry.value);
            EXPECT_EQ(rule.fields, fields.size()) << where << "=" << entry.value;
            EXPECT_LE(entry.value.size(), 99u) << where;
            // Converter lines are rewritten by their comma positions, picture
            // lines split without skipping blanks: no empty or padded field.
            for (const std::string &field : fields)
                EXPECT_TRUE(!field.empty() && field[0] != ' ') << where << ": empty or padded field";
            EXPECT_LE(entry.key.size(), 23u) << where << ": key with its suffix";
            EXPECT_GE(entry.number, 0) << where << ": name number";
            EXPECT_TRUE(numbers.insert(entry.number).second) << where << ": name number used twice";
            if (rule.group == GROUP_INTEGRATION) {
                EXPECT_TRUE(!entry.modulePrefix.empty() && entry.modulePrefix.size() <= 21) << where;
                continue;
            }
            if (fields.size() != rule.fields)
                continue;
            EXPECT_TRUE(isDecimal(entry.format) && entry.format.size() <= 5 && atoi(entry.format.c_str()) < 300)
                << where << ": format number " << entry.format;
            for (int f : {6, 7, 9, 10})
                EXPECT_TRUE(fields[f - 1] == "0" || fields[f - 1] == "1") << where << ": field " << f;
        }
        EXPECT_LE(entries.size(), (size_t)(rule.group == GROUP_INTEGRATION ? MAX_INTEGRATIONS : MAX_GROUP_ITEMS))
            << rule.infoSection;
    }
    for (const char *section : {"VIEWENGINEINFO", "CONVTOOLINFO"})
        EXPECT_FALSE(profileText(media.ini, section, "Info1").empty()) << section;
}

// Keys past a gap would never be read; default marks are S or U, and every
// group has Info1Default, without which the standard selection skips it.
void expectInfoKeysWithoutGapsAndMarkedDefaults(const Media &media)
{
    std::vector<std::pair<std::string, size_t>> sections = {{"VIEWENGINEINFO", 1}, {"CONVTOOLINFO", 1}};
    for (const GroupRule &rule : kGroupRules)
        sections.push_back({rule.infoSection, media.groups.at(rule.group).size()});
    for (const auto &section : sections) {
        for (const std::string &key : sectionKeys(media.ini, section.first)) {
            std::string value = profileText(media.ini, section.first, key);
            bool isDefault = key.size() > 7 && equalsIgnoringCase(key.substr(key.size() - 7), "Default");
            int n = atoi(key.c_str() + 4);
            EXPECT_TRUE(equalsIgnoringCase(key.substr(0, 4), "Info") && n >= 1 && (size_t)n <= section.second)
                << section.first << " " << key << ": beyond the entries the catalogue reads";
            if (isDefault) {
                EXPECT_TRUE(value == "S" || value == "U") << section.first << " " << key << "=" << value;
            }
        }
        EXPECT_FALSE(profileText(media.ini, section.first, "Info1Default").empty()) << section.first;
    }
    for (const Entry &entry : media.groups.at(GROUP_MANUAL)) {
        std::string mark = profileText(media.ini, "MANUALINFO", "Info" + std::to_string(entry.keyIndex) + "Default");
        EXPECT_TRUE(mark == "S" || mark == "U") << "MANUALINFO " << entry.key << "=" << mark;
    }
}

// Resolves every component section in each offered language alone and in
// all of them at once; returns how many component sections name each file.
std::map<int, int> expectSectionsResolve(const Media &media, size_t leastFiles, const char *noFileSection)
{
    std::map<int, int> users;
    EXPECT_NE(0, media.languages);
    std::vector<int> languageSets;
    for (int bit = 1; bit <= 8; bit <<= 1)
        if (media.languages & bit)
            languageSets.push_back(bit);
    languageSets.push_back(media.languages);
    for (const std::string &section : media.componentSections()) {
        EXPECT_TRUE(sectionExists(media.layout, section)) << "no section " << section;
        for (int languages : languageSets) {
            Resolved resolved = resolveSection(media.layout, section, languages, media.fileNum);
            for (const std::string &problem : resolved.problems)
                ADD_FAILURE() << problem << " (languages " << languages << ")";
            if (noFileSection && section == noFileSection) {
                EXPECT_TRUE(resolved.noFile && resolved.files.empty()) << section;
                continue;
            }
            EXPECT_FALSE(resolved.noFile) << section;
            EXPECT_GE(resolved.files.size(), leastFiles) << section << " (languages " << languages << ")";
            if (languages == media.languages)
                for (int n : std::set<int>(resolved.files.begin(), resolved.files.end()))
                    users[n]++;
        }
    }
    for (const char *setup : {"INSTALL32", "INSTALL16"}) {
        std::vector<std::string> names = media.setupFiles(setup);
        EXPECT_FALSE(names.empty()) << setup;
        for (const std::string &name : names) {
            int n = fileNumberOf(profileText(media.layout, "LOGICALFILE", name));
            EXPECT_TRUE(n >= 1 && n <= media.fileNum) << setup << " names " << name;
            EXPECT_TRUE(isDecimal(profileText(media.layout, "SIZEFILES", "FILE" + std::to_string(n))))
                << setup << " " << name;
        }
    }
    EXPECT_FALSE(profileText(media.layout, "FIXEDINTEGRATIONS", "Info1").empty());
    EXPECT_FALSE(profileText(media.layout, "FIXEDINTEGRATIONS", "Info2").empty());
    return users;
}

void expectIntegrationModulesInTheBuild(const Media &media)
{
    for (const Entry &entry : media.groups.at(GROUP_INTEGRATION))
        EXPECT_TRUE(fileExists(exeDir() + entry.modulePrefix + "pnint.dll"))
            << entry.key << ": no " << entry.modulePrefix << "pnint.dll beside the tests";
}

int sectionsSharingFiles(const std::map<int, int> &users)
{
    int shared = 0;
    for (const auto &user : users)
        shared += user.second > 1;
    return shared;
}

// The bytes of the distinct files that the sections name in the languages.
long long sizeOfSections(const Media &media, const std::vector<std::string> &sections, int languages)
{
    std::set<int> files;
    for (const std::string &section : sections) {
        Resolved resolved = resolveSection(media.layout, section, languages, media.fileNum);
        EXPECT_TRUE(resolved.problems.empty()) << section;
        files.insert(resolved.files.begin(), resolved.files.end());
    }
    long long total = 0;
    for (int n : files)
        total += atoi(profileText(media.layout, "SIZEFILES", "FILE" + std::to_string(n)).c_str());
    return total;
}

// The sections of the items marked S in an install.ini, with the shared
// lists of their groups and the 32-bit viewer engine's section.
std::vector<std::string> markedSections(const std::string &ini)
{
    std::vector<std::string> sections;
    if (profileText(ini, "VIEWENGINEINFO", "Info1Default") == "S")
        sections.push_back("VIEWENGINE32");
    if (profileText(ini, "CONVTOOLINFO", "Info1Default") == "S")
        sections.push_back("CONVTOOL");
    std::vector<GroupRule> rules(std::begin(kGroupRules), std::end(kGroupRules));
    rules.push_back({GROUP_MANUAL, "MANUALINFO", "", "", "", nullptr, 11, 0, 0});
    for (const GroupRule &rule : rules) {
        std::vector<Entry> entries = rule.group == GROUP_MANUAL ? readManuals(ini) : readEntries(ini, rule);
        for (const Entry &entry : entries)
            if (profileText(ini, rule.infoSection, "Info" + std::to_string(entry.keyIndex) + "Default") == "S") {
                sections.push_back(entry.section);
                if (rule.sharedList)
                    sections.push_back(rule.sharedList);
            }
    }
    return sections;
}

// ---------------------------------------------------------------------------
// The sample media

class SampleMedia : public ::testing::Test {
protected:
    SampleMedia() : media(exeDir() + "media\\") {}
    Media media;
};

TEST_F(SampleMedia, LogicalNamesNameDescribedFiles) { expectLogicalNamesNameDescribedFiles(media); }

TEST_F(SampleMedia, DummyFilesHaveTheSizesTheLayoutGives)
{
    ASSERT_GT(media.fileNum, 0);
    for (int n = 1; n <= media.fileNum; ++n) {
        std::string key = "FILE" + std::to_string(n);
        std::string place = profileText(media.layout, "FILENAMES", key);
        ASSERT_FALSE(place.empty()) << "FILENAMES " << key;
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExA((media.dir + place).c_str(), GetFileExInfoStandard, &data))
            << key << ": no file " << place;
        EXPECT_EQ(atoi(profileText(media.layout, "SIZEFILES", key).c_str()), (int)data.nFileSizeLow)
            << key << " " << place;
    }
}

TEST_F(SampleMedia, CatalogueEntriesHaveTheirLayout)
{
    expectCatalogueEntriesHaveTheirLayout(media);
    expectInfoKeysWithoutGapsAndMarkedDefaults(media);
    for (const GroupRule &rule : kGroupRules) {
        size_t count = media.groups.at(rule.group).size();
        EXPECT_TRUE(count >= 3 && count <= 6) << rule.infoSection << ": " << count << " items";
    }
    EXPECT_EQ(4u, media.groups.at(GROUP_MANUAL).size());
    EXPECT_EQ(LANGUAGE_ENGLISH | LANGUAGE_FRENCH | LANGUAGE_GERMAN, media.languages);
}

TEST_F(SampleMedia, EveryComponentSectionResolvesInEveryLanguage)
{
    std::map<int, int> users = expectSectionsResolve(media, 1, "PLAINvV");
    EXPECT_GE(sectionsSharingFiles(users), 5) << "files named by several components";
    // The workbook viewer counts for spreadsheets and archive tools alike.
    int workbook = fileNumberOf(profileText(media.layout, "LOGICALFILE", "JORWKBVE"));
    EXPECT_GE(users[workbook], 3);
    EXPECT_EQ("NOTESINTEG", profileText(media.layout, "JORNOTES", "SubDir"));
    EXPECT_EQ("S", profileText(media.layout, "SAMPLES", "SubDir"));
}

TEST_F(SampleMedia, IntegrationModulesExistInTheBuild) { expectIntegrationModulesInTheBuild(media); }

TEST_F(SampleMedia, EveryComponentNameLoadsFromTheResourceModule)
{
    HMODULE module = LoadLibraryA((media.dir + "luinsres.dll").c_str());
    ASSERT_NE(nullptr, module) << "luinsres.dll beside the media";
    std::vector<std::pair<const GroupRule *, const Entry *>> all;
    const GroupRule manualRule = {GROUP_MANUAL, "MANUALINFO", "", "", "", nullptr, 11, IDS_NAME_BASE_MANUAL,
                                  IDS_NAME_BASE_MANUAL + 5};
    for (const GroupRule &rule : kGroupRules)
        for (const Entry &entry : media.groups.at(rule.group))
            all.push_back({&rule, &entry});
    for (const Entry &entry : media.groups.at(GROUP_MANUAL))
        all.push_back({&manualRule, &entry});
    std::map<int, std::set<std::string>> namesByGroup;
    for (const auto &item : all) {
        int id = item.first->nameBase + item.second->number;
        EXPECT_LT(id, item.first->nameEnd) << item.second->key << ": name number in the next group's range";
        char name[64] = "";
        int length = LoadStringA(module, (UINT)id, name, sizeof name);
        EXPECT_GT(length, 0) << item.first->infoSection << " " << item.second->key << ": no string " << id;
        EXPECT_LE(length, 29) << "string " << id << " \"" << name << "\"";
        EXPECT_TRUE(namesByGroup[item.first->group].insert(name).second)
            << item.second->key << ": \"" << name << "\" twice in a group";
    }
    FreeLibrary(module);
}

// The registry defaults react to format numbers; the media carry one of each
// case: formats seen by several word-processing groups, picture formats with
// image and graphics parts on both sides, and the archive numbers with
// viewers of their own.
TEST_F(SampleMedia, FormatsCoverTheConverterCases)
{
    std::map<std::string, int> wordGroups, images, graphics;
    std::set<std::string> codes[GROUP_COUNT];
    for (const GroupRule &rule : kGroupRules)
        for (const Entry &entry : media.groups.at(rule.group)) {
            codes[rule.group].insert(entry.format);
            std::vector<std::string> fields = fieldsOf(entry.value);
            int bit = rule.group == GROUP_VWP ? 1 : rule.group == GROUP_SWP || rule.group == GROUP_SPIC ? 2 : 4;
            if (rule.group == GROUP_VWP || rule.group == GROUP_SWP || rule.group == GROUP_TWP)
                wordGroups[entry.format] |= bit;
            if ((rule.group == GROUP_SPIC || rule.group == GROUP_TPIC) && fields.size() == 11) {
                if (fields[8] == "1")
                    images[entry.format] |= bit;
                if (fields[9] == "1")
                    graphics[entry.format] |= bit;
            }
        }
    struct Case {
        std::map<std::string, int> *marks;
        const char *format;
        int groups;
    } cases[] = {
        {&wordGroups, "3", 3},   {&wordGroups, "20", 7},  {&wordGroups, "28", 6}, {&wordGroups, "181", 1},
        {&wordGroups, "45", 1},  {&wordGroups, "64", 2},  {&wordGroups, "87", 4}, {&images, "4", 6},
        {&images, "59", 6},      {&images, "182", 2},     {&images, "77", 4},     {&images, "95", 2},
        {&graphics, "66", 6},    {&graphics, "95", 2},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.groups, (*c.marks)[c.format]) << "format " << c.format;
    EXPECT_TRUE(codes[GROUP_SPREADSHEET].count("90"));
    for (const char *code : {"132", "192", "198", "206"})
        EXPECT_TRUE(codes[GROUP_INTERUTIL].count(code)) << code;
}

// installed.ini: the earlier installation that upgrade and add-on runs read.

TEST_F(SampleMedia, InstalledEntriesMatchTheMediaByNumber)
{
    std::string installed = media.dir + "installed.ini";
    bool reordered = false;
    for (const GroupRule &rule : kGroupRules) {
        const std::vector<Entry> &now = media.groups.at(rule.group);
        for (const Entry &old : readEntries(installed, rule)) {
            const Entry *match = nullptr;
            for (const Entry &entry : now)
                if (entry.number == old.number)
                    match = &entry;
            ASSERT_NE(nullptr, match) << rule.infoSection << " Info" << old.keyIndex << ": number " << old.number;
            EXPECT_EQ(match->value, old.value) << rule.infoSection << " Info" << old.keyIndex;
            reordered |= match->keyIndex != old.keyIndex;
            std::string mark = profileText(installed, rule.infoSection, "Info" + std::to_string(old.keyIndex) + "Default");
            EXPECT_TRUE(mark == "S" || mark == "U") << rule.infoSection << " Info" << old.keyIndex << "Default";
        }
    }
    EXPECT_TRUE(reordered) << "an entry under another key number, for the upgrade search";
    EXPECT_TRUE(profileText(installed, "MANUALINFO", "Info1").empty()) << "manuals from Info2 on";
}

// SPACEUSED is the selection's size with every file counted once: the marked
// items, their groups' shared lists and the engine, in the first language.
TEST_F(SampleMedia, InstalledSpaceUsedIsTheSizeOfItsSelection)
{
    std::string installed = media.dir + "installed.ini";
    EXPECT_EQ(std::to_string(sizeOfSections(media, markedSections(installed), LANGUAGE_ENGLISH)),
              profileText(installed, "General", "SPACEUSED"));
}

// ---------------------------------------------------------------------------
// The largest catalogue

class LargestCatalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new std::string(makeTempDir("largest"));
        writeLargestCatalogue(*folder);
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }
    LargestCatalogue() : media(*folder) {}

    static std::string *folder;
    Media media;
};

std::string *LargestCatalogue::folder;

TEST_F(LargestCatalogue, FillsEveryGroupAndTheFileTable)
{
    EXPECT_EQ(kLargestFileCount, media.fileNum);
    EXPECT_EQ(MAX_SHARED_FILES, media.fileNum) << "the table's last entry";
    for (const GroupRule &rule : kGroupRules)
        EXPECT_EQ(rule.group == GROUP_INTEGRATION ? kLargestIntegrations : kLargestGroupItems,
                  (int)media.groups.at(rule.group).size())
            << rule.infoSection;
    EXPECT_EQ(kLargestManuals, (int)media.groups.at(GROUP_MANUAL).size());
    EXPECT_EQ(LANGUAGE_ENGLISH | LANGUAGE_FRENCH | LANGUAGE_GERMAN, media.languages);
    EXPECT_EQ(kLargestSetupFiles32, (int)media.setupFiles("INSTALL32").size());
    EXPECT_EQ(kLargestSetupFiles16, (int)media.setupFiles("INSTALL16").size());
}

TEST_F(LargestCatalogue, LogicalNamesNameDescribedFiles) { expectLogicalNamesNameDescribedFiles(media); }

TEST_F(LargestCatalogue, CatalogueEntriesHaveTheirLayout)
{
    expectCatalogueEntriesHaveTheirLayout(media);
    expectInfoKeysWithoutGapsAndMarkedDefaults(media);
}

TEST_F(LargestCatalogue, HalfOfTheItemsHaveDefaultMarks)
{
    for (const GroupRule &rule : kGroupRules) {
        size_t marks = 0, selected = 0;
        for (const Entry &entry : media.groups.at(rule.group)) {
            std::string mark = profileText(media.ini, rule.infoSection, "Info" + std::to_string(entry.keyIndex) + "Default");
            marks += !mark.empty();
            selected += mark == "S";
        }
        EXPECT_EQ(media.groups.at(rule.group).size() / 2, marks) << rule.infoSection;
        EXPECT_GT(selected, 0u) << rule.infoSection;
        EXPECT_LT(selected, marks) << rule.infoSection;
    }
}

// Every component names several files; the component sections together
// name files 1..254 and the setup lists the rest, and most files count for
// several components.
TEST_F(LargestCatalogue, EveryComponentResolvesToSeveralSharedFiles)
{
    std::map<int, int> users = expectSectionsResolve(media, 2, nullptr);
    for (int n = 1; n <= kLargestListedFiles; ++n)
        EXPECT_TRUE(users.count(n)) << "FILE" << n << " in no component section";
    EXPECT_FALSE(users.count(kLargestListedFiles + 1)) << "a list cannot hold index 255";
    std::set<int> setup;
    for (const char *section : {"INSTALL32", "INSTALL16"})
        for (const std::string &name : media.setupFiles(section))
            setup.insert(fileNumberOf(profileText(media.layout, "LOGICALFILE", name)));
    EXPECT_EQ(kLargestFileCount - kLargestListedFiles, (int)setup.size());
    EXPECT_EQ(kLargestListedFiles + 1, *setup.begin());
    EXPECT_GE(sectionsSharingFiles(users), 100) << "files named by several components";
}

TEST_F(LargestCatalogue, IntegrationModulesExistInTheBuild) { expectIntegrationModulesInTheBuild(media); }

TEST_F(LargestCatalogue, SameMediaEveryTime)
{
    std::string again = makeTempDir("largest-again");
    writeLargestCatalogue(again);
    EXPECT_EQ(readTextFile(media.ini), readTextFile(again + "install.ini"));
    EXPECT_EQ(readTextFile(media.layout), readTextFile(again + "setup.lay"));
}

// ---------------------------------------------------------------------------
// Both media through the library's own catalogue and selection

class MediaInTheCatalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        dir = makeTempDir("media-catalogue");
        installResourceModule(dir);
        for (const char *module : {"apnint.dll", "bpnint.dll", "cpnint.dll"})
            copyFileTo(exeDir() + module, dir + module);
    }
    void TearDown() override
    {
        releaseCatalogue();
        freeResourceModule();
    }

    // The progress dialog's catalogue build on a copy of the media, in
    // English on the 32-bit platform.
    void build(const std::string &from)
    {
        ASSERT_TRUE(copyFileTo(from + "install.ini", dir + "install.ini"));
        ASSERT_TRUE(copyFileTo(from + "setup.lay", dir + "setup.lay"));
        SetupState &s = *setupState;
        copyText(s.sourceDir, sizeof s.sourceDir, dir.c_str());
        copyText(s.setupIniPath, sizeof s.setupIniPath, (dir + "install.ini").c_str());
        copyText(s.layoutFilePath, sizeof s.layoutFilePath, (dir + "setup.lay").c_str());
        copyText(s.platformName, sizeof s.platformName, "Windows 95");
        s.languageFlags = LANGUAGE_ENGLISH;
        s.hostRecord = &host;
        s.optionsPage = -1;
        ASSERT_EQ(1, loadResourceModule());
        s.sharedFileTable = (SharedFileEntry *)allocateCatalogueBlock(SHARED_FILE_TABLE_BYTES);
        s.fileTableSnapshot = (SharedFileEntry *)allocateCatalogueBlock(SHARED_FILE_TABLE_BYTES);
        setGroupSectionNames();
        loadCatalogue(-1);
        readFileSizes();
    }

    void expectEveryEntryLoaded(const Media &media)
    {
        SetupState &s = *setupState;
        for (const auto &group : media.groups) {
            ASSERT_EQ((int)group.second.size(), s.groups[group.first].itemCount) << "group " << group.first;
            for (size_t i = 0; i < group.second.size(); ++i) {
                const ComponentItem &item = s.groups[group.first].items[i];
                EXPECT_EQ(group.second[i].key, item.key) << "group " << group.first << " item " << i;
                EXPECT_EQ(group.second[i].number, item.number) << item.key;
                if (group.first == GROUP_INTEGRATION) {
                    EXPECT_EQ(group.second[i].modulePrefix, s.integrationModulePrefix[i + 1]) << item.key;
                }
            }
        }
        EXPECT_EQ(1, s.groups[GROUP_VIEWENGINE].itemCount);
        EXPECT_EQ(1, s.groups[GROUP_CONVTOOL].itemCount);
        EXPECT_EQ(media.fileNum, s.sharedFileCount);
    }

    // Everything available is selected, every category too, and the size is
    // that of every file the components name, each counted once.
    void expectEverythingSelected(const Media &media)
    {
        SetupState &s = *setupState;
        for (int g = 0; g < CATEGORIES; ++g) {
            EXPECT_EQ(ITEM_SELECTED, s.groups[CATEGORIES].items[g].flags) << "category " << g;
            for (int i = 0; g != GROUP_VIEWENGINE && g != GROUP_CONVTOOL && i < s.groups[g].itemCount; ++i)
                EXPECT_EQ(ITEM_SELECTED, s.groups[g].items[i].flags & (ITEM_SELECTED | ITEM_UNAVAILABLE))
                    << s.groups[g].items[i].key;
        }
        std::vector<std::string> sections;
        for (const std::string &section : media.componentSections())
            if (section != "VIEWENGINE16")
                sections.push_back(section);
        EXPECT_EQ(sizeOfSections(media, sections, LANGUAGE_ENGLISH), s.selectedSize);
    }

    std::string dir;
    HostSetupInfo host{};
};

TEST_F(MediaInTheCatalogue, SampleMediaLoadAndSelectEverything)
{
    build(exeDir() + "media\\");
    Media media(dir);
    expectEveryEntryLoaded(media);
    computeSelection(SELECT_EVERYTHING_PROBED);
    expectEverythingSelected(media);
    for (size_t i = 0; i < media.groups.at(GROUP_INTEGRATION).size(); ++i)
        EXPECT_NE(0, host.integrationResults[i]) << "integration " << i << " answered its status";
    int32_t everything = setupState->selectedSize;
    computeSelection(SELECT_EVERYTHING);
    expectEverythingSelected(media);
    EXPECT_EQ(everything, setupState->selectedSize);
}

TEST_F(MediaInTheCatalogue, SampleMediaStandardSelectionIsTheMarkedItems)
{
    build(exeDir() + "media\\");
    Media media(dir);
    computeSelection(SELECT_EVERYTHING_PROBED);
    computeSelection(SELECT_DEFAULTS);
    for (const auto &group : media.groups)
        for (const Entry &entry : group.second) {
            const GroupRule *rule = nullptr;
            for (const GroupRule &r : kGroupRules)
                if (r.group == group.first)
                    rule = &r;
            std::string section = rule ? rule->infoSection : "MANUALINFO";
            bool marked = profileText(media.ini, section, "Info" + std::to_string(entry.keyIndex) + "Default") == "S";
            EXPECT_EQ(marked ? ITEM_SELECTED : 0,
                      setupState->groups[group.first].items[entry.keyIndex - 1].flags & ITEM_SELECTED)
                << section << " " << entry.key;
        }
    EXPECT_EQ(sizeOfSections(media, markedSections(media.ini), LANGUAGE_ENGLISH), setupState->selectedSize);
}

TEST_F(MediaInTheCatalogue, LargestCatalogueLoadsAndSelectsEverything)
{
    std::string from = makeTempDir("largest-source");
    writeLargestCatalogue(from);
    build(from);
    Media media(dir);
    expectEveryEntryLoaded(media);
    computeSelection(SELECT_EVERYTHING_PROBED);
    expectEverythingSelected(media);
    int32_t everything = setupState->selectedSize;
    computeSelection(SELECT_EVERYTHING);
    EXPECT_EQ(everything, setupState->selectedSize);
}

}  // namespace
