// The profile layer's section cache against the platform: lookups in awkward
// files answer exactly as GetPrivateProfileStringA does, held writes leave the
// bytes that key-by-key WritePrivateProfileStringA calls leave, every spelling
// of a path names one file, and outside a unit of work every call goes to
// the platform.
#include <gtest/gtest.h>

#include <ctype.h>
#include <string.h>

#include <string>
#include <vector>

#include "state/profile.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

class ProfileCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        profileCacheEnabled = true;
        dir = makeTempDir("profile");
    }
    void TearDown() override
    {
        flushProfileWrites();
        profileCacheEnabled = true;
    }
    std::string dir;
};

// ---------------------------------------------------------------------------
// Lookups

const char awkwardText[] =
    "; heading comment\r\n"
    "stray=before any section\r\n"
    "[Keys]\r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "   spaced   =   blank around   \r\n"
    "tabbed\t=\ttab value\t\r\n"
    "noequals\r\n"
    "empty=\r\n"
    "=nameless\r\n"
    ";comment=hidden\r\n"
    "\r\n"
    "after blank=yes\r\n"
    "[Quotes]\r\n"
    "double=\"quoted\"\r\n"
    "single='quoted'\r\n"
    "mixed=\"quoted'\r\n"
    "lone=\"\r\n"
    "pair=\"\"\r\n"
    "inner=a\"b\"c\r\n"
    "long=\"0123456789abcdefghij\"\r\n"
    "plainlong=0123456789abcdefghij\r\n"
    "spacedquote= 'in quotes' \r\n"
    "[ Spaced Header ]\r\n"
    "inside=1\r\n"
    "[Twice]\r\n"
    "first=1\r\n"
    "[twice]\r\n"
    "second=2\r\n"
    "first=again\r\n"
    "[Open\r\n"
    "underopen=3\r\n"
    "[Empty]\r\n"
    "[Last]\r\n"
    "final=no newline";

std::string replaceAll(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct Probe {
    const char *section;
    const char *key;
};

const Probe probes[] = {
    {"Keys", "dup"}, {"keys", "Dup"}, {"Keys", "spaced"}, {"KEYS", "SPACED"}, {"Keys", "tabbed"},
    {"Keys", "noequals"}, {"Keys", "empty"}, {"Keys", "missing"}, {"Keys", "after blank"}, {"Keys", "stray"},
    {"Keys", ";comment"}, {"Keys", ""}, {"", "stray"},
    {"Quotes", "double"}, {"Quotes", "single"}, {"Quotes", "mixed"}, {"Quotes", "lone"}, {"Quotes", "pair"},
    {"Quotes", "inner"}, {"Quotes", "long"}, {"Quotes", "plainlong"}, {"Quotes", "spacedquote"},
    {"Spaced Header", "inside"}, {" Spaced Header ", "inside"},
    {"Twice", "first"}, {"Twice", "second"}, {"TWICE", "first"}, {"Twice", "underopen"}, {"Twice", "[Open"},
    {"Empty", "anything"}, {"Last", "final"}, {"Missing", "key"},
    {"Hi", "key"}, {"Hi", "\xe9t\xe9"}, {"Caf\xe9", "x"},
};

const size_t caps[] = {1, 2, 5, 10, 11, 12, 13, 20, 21, 22, 23, 100};

struct LookupFile {
    const char *name;
    std::string text;
    bool exists;
};

std::vector<LookupFile> lookupFiles()
{
    std::string crlf = awkwardText;
    return {
        {"crlf", crlf, true},
        {"lf", replaceAll(crlf, "\r\n", "\n"), true},
        {"cr", replaceAll(crlf, "\r\n", "\r"), true},
        {"empty", "", true},
        {"missing", "", false},
        {"bom", std::string("\xef\xbb\xbf") + crlf, true},
        {"high", "[Hi]\r\nkey=caf\xe9\r\n\xe9t\xe9=summer\r\n[Caf\xe9]\r\nx=1\r\n[Quotes]\r\nlong=\"caf\xe9 au lait\"\r\n",
         true},
    };
}

TEST_F(ProfileCache, LookupsAnswerAsGetPrivateProfileStringA)
{
    for (const LookupFile &file : lookupFiles()) {
        std::string path = dir + file.name + ".ini";
        if (file.exists)
            writeTextFile(path, file.text);
        beginProfileWork();
        for (const Probe &probe : probes) {
            for (size_t cap : caps) {
                char expected[128], seen[128];
                memset(expected, '#', sizeof expected);
                memset(seen, '#', sizeof seen);
                DWORD n = GetPrivateProfileStringA(probe.section, probe.key, "", expected, (DWORD)cap, path.c_str());
                int m = readIniText(path.c_str(), probe.section, probe.key, "", seen, cap);
                std::string where = std::string(file.name) + ": [" + probe.section + "] " + probe.key + ", cap " +
                                    std::to_string(cap);
                EXPECT_EQ((int)n, m) << where;
                EXPECT_EQ(std::string(expected), std::string(seen)) << where;
            }
        }
        endProfileWork();
    }
}

// A value longer in its bytes than the buffer is cut between characters:
// each of these katakana takes two bytes in code page 932. ctest runs it as
// state_japanese.
TEST_F(ProfileCache, ValueIsCutBetweenCharactersOnAJapaneseSystem)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "runs where the system code page is 932 (ctest: state_japanese)";
    char value[32] = "";
    WideCharToMultiByte(932, 0, L"\u30bd\u30d5\u30c8", -1, value, sizeof value, nullptr, nullptr);
    std::string path = dir + "japanese.ini";
    writeTextFile(path, std::string("[S]\r\nk=") + value + "\r\n");
    const struct {
        size_t cap;
        size_t bytes;   // whole characters only
    } cases[] = {{1, 0}, {2, 0}, {3, 2}, {4, 2}, {5, 4}, {6, 4}, {7, 6}, {32, 6}};
    beginProfileWork();
    for (const auto &c : cases) {
        char seen[32];
        memset(seen, '#', sizeof seen);
        int length = readIniText(path.c_str(), "S", "k", "", seen, c.cap);
        EXPECT_EQ((int)c.bytes, length) << "cap " << c.cap;
        EXPECT_EQ(std::string(value, c.bytes), std::string(seen, strnlen(seen, sizeof seen))) << "cap " << c.cap;
    }
    endProfileWork();
}

TEST_F(ProfileCache, MissingKeysGiveTheDefaultOnlyWhenMissing)
{
    std::string path = dir + "defaults.ini";
    writeTextFile(path, "[S]\r\npresent=\r\nnoequals\r\n");
    beginProfileWork();
    for (const char *key : {"present", "noequals", "absent"}) {
        char expected[32], seen[32];
        GetPrivateProfileStringA("S", key, "fallback  ", expected, sizeof expected, path.c_str());
        readIniText(path.c_str(), "S", key, "fallback  ", seen, sizeof seen);
        EXPECT_EQ(std::string(expected), std::string(seen)) << key;
    }
    EXPECT_EQ(-7, readIniInt(path.c_str(), "S", "absent", -7));
    EXPECT_EQ(-7, readIniInt(path.c_str(), "S", "present", -7)) << "an empty value reads as missing";
    endProfileWork();
}

// A section's key names: the platform's list where it has one, but every
// named key of the first section, a nameless key not ending the list.
TEST_F(ProfileCache, KeyNamesListEveryNamedKeyOfTheFirstSection)
{
    const struct {
        const char *name;
        const char *section;
        size_t cap;
        std::vector<std::string> expected;
    } cases[] = {
        {"plain keys, trimmed", "Keys", 256, {"dup", "DUP", "spaced", "tabbed", "empty", "later", "after blank"}},
        {"any case of the section", "KEYS", 256, {"dup", "DUP", "spaced", "tabbed", "empty", "later", "after blank"}},
        {"the first of two sections", "twice", 256, {"first"}},
        {"an empty section", "Empty", 256, {}},
        {"no such section", "Missing", 256, {}},
        {"keys before any section", "", 256, {"stray"}},
        {"cut after the last whole name", "Keys", 10, {"dup", "DUP"}},
        {"room for the list's end only", "Keys", 2, {}},
    };
    std::string path = dir + "names.ini";
    // A nameless key inside the section: the keys after it are listed too.
    writeTextFile(path, replaceAll(awkwardText, "=nameless\r\n", "=nameless\r\nlater=1\r\n"));
    beginProfileWork();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        char names[256];
        memset(names, '#', sizeof names);
        int length = readIniKeyNames(path.c_str(), c.section, names, c.cap);
        std::vector<std::string> seen;
        for (const char *p = names; *p; p += strlen(p) + 1)
            seen.push_back(p);
        EXPECT_EQ(c.expected, seen);
        size_t bytes = 0;
        for (const std::string &name : c.expected)
            bytes += name.size() + 1;
        EXPECT_EQ((int)bytes, length);
        EXPECT_LT(bytes, c.cap) << "the list's end fits";
    }
    endProfileWork();
}

TEST_F(ProfileCache, TheFileIsReadOnceWithinAUnitOfWork)
{
    std::string path = dir + "once.ini";
    std::string text = "[SIZEFILES]\r\n";
    for (int n = 1; n <= 300; n++)
        text += "FILE" + std::to_string(n) + "=" + std::to_string(n * 7) + "\r\n";
    text += "[A]\r\nk=1\r\n[B]\r\nk=2\r\n";
    writeTextFile(path, text);

    beginProfileWork();
    int64_t before = profileReadCalls;
    int64_t sum = 0;
    for (int n = 300; n >= 1; n--) {
        char key[16];
        snprintf(key, sizeof key, "file%d", n);
        sum += readIniInt(path.c_str(), "sizefiles", key, 0);
    }
    for (int i = 0; i < 50; i++)
        sum += readIniInt(path.c_str(), i % 2 ? "A" : "B", "k", 0) + readIniInt(path.c_str(), "C", "k", 0);
    EXPECT_EQ(7 * 300 * 301 / 2 + 75, sum) << "values read";
    EXPECT_EQ(1, profileReadCalls - before) << "one read of the whole file";
    endProfileWork();
}

// ---------------------------------------------------------------------------
// Writes

struct Op {
    char kind;              // 'w' write, 'k' delete a key, 's' delete a section, 'r' read
    const char *section;
    const char *key;
    const char *value;
};

struct WriteCase {
    const char *name;
    const char *text;       // null: no file
    std::vector<Op> ops;
    bool readOnly;
    bool noDirectory;
    int utf16 = 0;          // 1: the text in UTF-16 little-endian, 2: big-endian, after its mark
};

// The text (code page 1252 here) in UTF-16 with its byte-order mark.
std::string utf16Text(const char *text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xfe\xff" : "\xff\xfe";
    for (const char *p = text; *p; p++) {
        WCHAR unit;
        MultiByteToWideChar(1252, 0, p, 1, &unit, 1);
        bytes += bigEndian ? (char)(unit >> 8) : (char)(unit & 0xff);
        bytes += bigEndian ? (char)(unit & 0xff) : (char)(unit >> 8);
    }
    return bytes;
}

const char oddFormatting[] =
    "; setup description\r\n"
    "\r\n"
    "[General]\r\n"
    "  TYPE =  STANDARD  \r\n"
    "\r\n"
    "[INFO]\r\n"
    "Info1=1,A,b\r\n"
    "Info1Default=S\r\n"
    "Info2 = 1,B,c\r\n"
    "\r\n"
    "[FILES]\r\n"
    "FILE1=old\r\n"
    "; kept only if the section stays\r\n"
    "[Z]\r\n"
    "z=last\r\n";

std::vector<WriteCase> writeCases()
{
    return {
        {"rebuiltSectionMovesToTheEnd", oddFormatting,
         {{'s', "FILES", nullptr, nullptr}, {'w', "FILES", "FILE1", "x"}, {'w', "FILES", "FILE2", "y"},
          {'r', "FILES", "FILE1", nullptr}, {'w', "FILES", "file1", "z"}, {'r', "FILES", "FILE1", nullptr},
          {'r', "FILES", "FILE3", nullptr}},
         false, false},
        {"cleanSectionChangesInPlace", oddFormatting,
         {{'w', "INFO", "Info1Default", "U"}, {'w', "INFO", "Info2Default", "S"}, {'w', "info", "INFO1DEFAULT", "S2"},
          {'r', "INFO", "info1default", nullptr}, {'r', "INFO", "Info2", nullptr}, {'k', "INFO", "Info2", nullptr},
          {'r', "INFO", "Info2", nullptr}},
         false, false},
        {"commentedSection", "[INFO]\r\nInfo1=a\r\n; a note\r\nInfo2=b\r\n[X]\r\nx=1\r\n",
         {{'w', "INFO", "Info1Default", "S"}, {'w', "INFO", "Info2Default", "U"}, {'r', "INFO", "Info1Default", nullptr},
          {'w', "X", "y", "2"}},
         false, false},
        {"sectionTwice", "[INFO]\r\nInfo1=a\r\n[X]\r\nx=1\r\n[info]\r\nInfo2=b\r\n",
         {{'w', "INFO", "Info2", "c"}, {'w', "INFO", "Info3", "d"}, {'r', "INFO", "Info2", nullptr},
          {'k', "INFO", "Info1", nullptr}, {'w', "X", "x", "2"}},
         false, false},
        {"lineWithoutEquals", "[INFO]\r\nInfo1=a\r\nstray words\r\n",
         {{'w', "INFO", "Info1Default", "S"}, {'w', "INFO", "stray words", "now set"}, {'r', "INFO", "stray words", nullptr}},
         false, false},
        {"duplicateKeys", "[S]\r\nk=1\r\nK=2\r\nj=3\r\n",
         {{'w', "S", "k", "3"}, {'r', "S", "K", nullptr}, {'k', "S", "k", nullptr}, {'r', "S", "k", nullptr},
          {'w', "S", "j", "3"}},
         false, false},
        {"sectionsCreatedInOrder", "[OLD]\r\nc=0\r\n[KEEP]\r\nk=1\r\n",
         {{'w', "N1", "a", "1"}, {'s', "OLD", nullptr, nullptr}, {'w', "N2", "b", "2"}, {'w', "OLD", "c", "3"},
          {'w', "N1", "d", "4"}, {'w', "KEEP", "k", "2"}},
         false, false},
        {"newSectionNamedByItsFirstWrite", oddFormatting,
         {{'r', "files", "FILE1", nullptr}, {'s', "FILES", nullptr, nullptr}, {'w', "Files", "a", "1"},
          {'r', "new", "a", nullptr}, {'w', "New", "b", "2"}, {'w', "NEW", "c", "3"}},
         false, false},
        {"changesThatCancelOut", oddFormatting,
         {{'w', "INFO", "Info1Default", "U"}, {'w', "INFO", "Info1Default", "S"}}, false, false},
        {"sectionMadeAndDeletedAgain", oddFormatting,
         {{'w', "NEW", "a", "1"}, {'s', "NEW", nullptr, nullptr}, {'r', "NEW", "a", nullptr}}, false, false},
        {"deletedSectionMadeAndDeletedAgain", oddFormatting,
         {{'s', "NEW", nullptr, nullptr}, {'w', "NEW", "a", "1"}, {'s', "NEW", nullptr, nullptr}}, false, false},
        {"sectionEmptiedAgain", oddFormatting,
         {{'s', "X", nullptr, nullptr}, {'w', "X", "a", "1"}, {'k', "X", "a", nullptr}, {'r', "X", "a", nullptr}},
         false, false},
        {"inPlaceSectionEmptied", "[S]\r\na=1\r\n\r\n[T]\r\nt=1\r\n",
         {{'k', "S", "a", nullptr}, {'k', "S", "b", nullptr}}, false, false},
        {"writesThatChangeNothing", oddFormatting,
         {{'w', "INFO", "Info1Default", "S"}, {'s', "ABSENT", nullptr, nullptr}, {'k', "INFO", "missing", nullptr},
          {'k', "ABSENT", "a", nullptr}, {'w', "General", "TYPE", "STANDARD"}},
         false, false},
        {"inPlaceSectionDeletedAndMadeAgain", oddFormatting,
         {{'s', "INFO", nullptr, nullptr}, {'w', "INFO", "Info1", "1,A,b"}, {'w', "INFO", "Info1Default", "S"},
          {'w', "INFO", "Info2", "1,B,c"}},
         false, false},
        {"missingFile", nullptr,
         {{'r', "A", "k", nullptr}, {'w', "A", "k", "v"}, {'w', "B", "k", "w"}, {'r', "A", "k", nullptr}}, false, false},
        {"missingDirectory", nullptr,
         {{'w', "A", "k", "v"}, {'r', "A", "k", nullptr}, {'s', "B", nullptr, nullptr}, {'w', "B", "k", "w"},
          {'r', "B", "k", nullptr}},
         false, true},
        {"readOnlyFile", "[A]\r\nk=1\r\n",
         {{'w', "A", "k", "v"}, {'r', "A", "k", nullptr}, {'s', "B", nullptr, nullptr}, {'w', "B", "k", "w"},
          {'r', "B", "k", nullptr}},
         true, false},
        {"emptyFile", "", {{'w', "A", "k", "v"}, {'s', "B", nullptr, nullptr}, {'w', "B", "k", "w"}}, false, false},
        {"valuesTheTextCannotHold", oddFormatting,
         {{'w', "NEW", "a", "1"}, {'w', "INFO", "lead", "  blank first"}, {'w', "NEW2", "b", "2"},
          {'w', "NEW", "c", "trailing "}, {'w', "NEW", "d", "caf\xe9"}, {'r', "NEW", "c", nullptr},
          {'w', "NEW", "e=f", "g"}, {'r', "NEW", "e", nullptr}, {'w', " NEW ", "h", "i"}, {'r', "NEW", "h", nullptr}},
         false, false},
        {"quotedValues", oddFormatting,
         {{'s', "Q", nullptr, nullptr}, {'w', "Q", "double", "\"a b\""}, {'w', "Q", "single", "'c'"},
          {'r', "Q", "double", nullptr}, {'r', "Q", "single", nullptr}},
         false, false},
        {"byteOrderMark", "\xef\xbb\xbf[INFO]\r\nInfo1=a\r\n",
         {{'w', "INFO", "Info1Default", "S"}, {'w', "NEW", "a", "1"}}, false, false},
        {"utf16LittleEndian", "[INFO]\r\nInfo1=caf\xe9\r\n[X]\r\nx=1\r\n",
         {{'w', "INFO", "Info1Default", "S"}, {'r', "INFO", "Info1", nullptr}, {'w', "NEW", "a", "\xe9t\xe9"},
          {'k', "X", "x", nullptr}},
         false, false, 1},
        {"utf16BigEndian", "[INFO]\r\nInfo1=caf\xe9\r\n[X]\r\nx=1\r\n",
         {{'w', "INFO", "Info1Default", "S"}, {'r', "INFO", "Info1", nullptr}, {'w', "NEW", "a", "\xe9t\xe9"},
          {'k', "X", "x", nullptr}},
         false, false, 2},
        {"carriageReturnsOnly", "[INFO]\rInfo1=a\r[X]\rx=1\r",
         {{'w', "INFO", "Info1Default", "S"}, {'r', "X", "x", nullptr}}, false, false},
        {"headerWithBlanks", "[ INFO ]\r\nInfo1=a\r\n[X]\r\nx=1\r\n",
         {{'w', "INFO", "Info1Default", "S"}, {'w', "X", "y", "2"}}, false, false},
        {"keysBeforeAnySection", "stray=1\r\n[INFO]\r\nInfo1=a\r\n",
         {{'w', "INFO", "Info1Default", "S"}}, false, false},
    };
}

std::vector<std::string> runScript(const std::string &path, const std::vector<Op> &ops, bool cached)
{
    profileCacheEnabled = cached;
    beginProfileWork();
    std::vector<std::string> reads;
    for (const Op &op : ops) {
        switch (op.kind) {
        case 'w': writeIniText(path.c_str(), op.section, op.key, op.value); break;
        case 'k': deleteIniKey(path.c_str(), op.section, op.key); break;
        case 's': deleteIniSection(path.c_str(), op.section); break;
        case 'r': {
            char value[100];
            int n = readIniText(path.c_str(), op.section, op.key, "", value, sizeof value);
            reads.push_back(std::to_string(n) + ":" + value);
            break;
        }
        }
    }
    endProfileWork();
    profileCacheEnabled = true;
    return reads;
}

TEST_F(ProfileCache, HeldWritesLeaveTheBytesOfKeyByKeyWrites)
{
    for (const WriteCase &c : writeCases()) {
        std::string files[2];
        std::vector<std::string> reads[2];
        for (int cached = 0; cached < 2; cached++) {
            std::string folder = dir + c.name + (cached ? "-cached\\" : "-direct\\");
            if (!c.noDirectory)
                CreateDirectoryA(folder.c_str(), nullptr);
            std::string path = folder + "test.ini";
            if (c.text)
                writeTextFile(path, c.utf16 ? utf16Text(c.text, c.utf16 == 2) : std::string(c.text));
            if (c.readOnly)
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
            reads[cached] = runScript(path, c.ops, cached != 0);
            files[cached] = fileExists(path) ? readTextFile(path) : "<no file>";
            if (c.readOnly)
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        if (c.readOnly) {
            // Wine writes a read-only file for a user who may write anything;
            // the library keeps it, as Windows does.
            EXPECT_EQ(c.text, files[1]) << c.name;
            EXPECT_TRUE(profileWriteFailed()) << c.name;
            continue;
        }
        EXPECT_EQ(files[0], files[1]) << c.name;
        EXPECT_EQ(reads[0], reads[1]) << c.name;
    }
}

TEST_F(ProfileCache, AFileLockedBeforeTheUnitEndsKeepsItsOldBytes)
{
    // The change is allowed when it is made; the file is made read-only, or
    // held open without sharing, before the unit's end writes it.
    const struct {
        const char *name;
        bool readOnly;
    } cases[] = {{"made read-only", true}, {"held open without sharing", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        forgetProfileFiles();
        std::string folder = dir + (c.readOnly ? "locked-ro\\" : "locked-held\\"), path = folder + "test.ini";
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string original = "[A]\r\nk=1\r\n";
        writeTextFile(path, original);
        beginProfileWork();
        writeIniText(path.c_str(), "A", "k", "2");
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.readOnly)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        else
            held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_FALSE(endProfileWork()) << "the unit's end reports the failure";
        EXPECT_TRUE(profileWriteFailed());
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(original, readTextFile(path)) << "the old bytes";
        char value[8];
        readIniText(path.c_str(), "A", "k", "", value, sizeof value);
        EXPECT_STREQ("1", value) << "what is read next is what the file holds";
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*.tmp").c_str(), &found);
        EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "no temporary file left";
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
    forgetProfileFiles();
}

TEST_F(ProfileCache, ARebuiltSectionIsWrittenWithTheFileOnce)
{
    std::string path = dir + "rebuilt.ini";
    writeTextFile(path, "[General]\r\nTYPE=STANDARD\r\n[SIZEFILES]\r\nFILE1=9\r\n");
    beginProfileWork();
    int64_t before = profileWriteCalls;
    deleteIniSection(path.c_str(), "SIZEFILES");
    for (int n = 1; n <= 250; n++) {
        char key[16];
        snprintf(key, sizeof key, "FILE%d", n);
        writeIniInt(path.c_str(), "SIZEFILES", key, n);
    }
    EXPECT_EQ(0, profileWriteCalls - before) << "nothing written before the unit ends";
    EXPECT_EQ("[General]\r\nTYPE=STANDARD\r\n[SIZEFILES]\r\nFILE1=9\r\n", readTextFile(path));
    EXPECT_EQ(250, readIniInt(path.c_str(), "SIZEFILES", "FILE250", 0)) << "a held value reads back";
    endProfileWork();
    EXPECT_EQ(1, profileWriteCalls - before) << "the file replaced once";
    char value[16];
    GetPrivateProfileStringA("SIZEFILES", "FILE250", "", value, sizeof value, path.c_str());
    EXPECT_STREQ("250", value);
}

TEST_F(ProfileCache, NestedUnitsWriteAtTheOutermostEnd)
{
    std::string path = dir + "nested.ini";
    writeTextFile(path, "[A]\r\nk=1\r\n");
    beginProfileWork();
    beginProfileWork();
    writeIniText(path.c_str(), "A", "k", "2");
    endProfileWork();
    EXPECT_EQ("[A]\r\nk=1\r\n", readTextFile(path));
    endProfileWork();
    EXPECT_EQ("[A]\r\nk=2\r\n", readTextFile(path));
}

TEST_F(ProfileCache, EverySpellingOfAPathNamesOneFile)
{
    CreateDirectoryA((dir + "Long Folder Name").c_str(), nullptr);
    std::string path = dir + "Long Folder Name\\Setup Description.ini";
    writeTextFile(path, "[A]\r\nk=1\r\n");
    std::string dotted = dir + "Long Folder Name\\..\\Long Folder Name\\Setup Description.ini";
    std::string upper = path;
    for (char &c : upper)
        c = (char)toupper((unsigned char)c);
    std::string slashes = replaceAll(path, "\\", "/");
    // The short form, where the file system gives one.
    char shortPath[MAX_PATH];
    DWORD shortLength = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    std::string shortName = shortLength > 0 && shortLength < sizeof shortPath ? shortPath : dotted;

    beginProfileWork();
    EXPECT_EQ(1, readIniInt(path.c_str(), "A", "k", 0));
    writeIniText(dotted.c_str(), "A", "k", "2");
    EXPECT_EQ(2, readIniInt(upper.c_str(), "A", "k", 0)) << "held through another spelling";
    EXPECT_EQ(2, readIniInt(shortName.c_str(), "A", "k", 0)) << shortName;
    writeIniText(slashes.c_str(), "A", "k", " 3");   // not held: written at once
    EXPECT_EQ(3, readIniInt(path.c_str(), "A", "k", 0)) << "a direct write is seen through another spelling";
    endProfileWork();
    EXPECT_EQ("[A]\r\nk=3\r\n", readTextFile(path));
}

TEST_F(ProfileCache, OutsideAUnitEveryCallGoesToThePlatform)
{
    std::string path = dir + "outside.ini";
    writeTextFile(path, "[A]\r\nk=1\r\n");
    EXPECT_EQ(1, readIniInt(path.c_str(), "A", "k", 0));
    writeTextFile(path, "[A]\r\nk=22\r\n");
    EXPECT_EQ(22, readIniInt(path.c_str(), "A", "k", 0));
    writeIniText(path.c_str(), "A", "k", "3");
    EXPECT_EQ("[A]\r\nk=3\r\n", readTextFile(path)) << "written at once";

    // What a unit read is forgotten when it ends.
    beginProfileWork();
    EXPECT_EQ(3, readIniInt(path.c_str(), "A", "k", 0));
    endProfileWork();
    writeTextFile(path, "[A]\r\nk=44\r\n");
    beginProfileWork();
    EXPECT_EQ(44, readIniInt(path.c_str(), "A", "k", 0));
    endProfileWork();
}

TEST_F(ProfileCache, ASectionLargerThanTheCacheIsReadFromThePlatform)
{
    std::string path = dir + "huge.ini";
    std::string text = "[Small]\r\nk=1\r\n[Huge]\r\n";
    for (int n = 1; n <= 24000; n++)
        text += "KEY" + std::to_string(n) + "=" + std::string(20, (char)('a' + n % 26)) + "\r\n";
    writeTextFile(path, text);
    beginProfileWork();
    char value[32];
    readIniText(path.c_str(), "Huge", "KEY23999", "", value, sizeof value);
    EXPECT_EQ(std::string(20, (char)('a' + 23999 % 26)), value);
    EXPECT_EQ(1, readIniInt(path.c_str(), "Small", "k", 0));
    readIniText(path.c_str(), "Huge", "KEY2", "", value, sizeof value);
    EXPECT_EQ(std::string(20, 'c'), value);
    endProfileWork();
}

}  // namespace
