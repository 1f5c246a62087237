// Folders walked by character in the code pages of the world: a trail byte
// that equals the backslash is no separator. The texts are made with the system's own conversion tables.
#include <gtest/gtest.h>

#include <string.h>
#include <wchar.h>

#include <string>

#include "state/path_text.h"

namespace {

std::string inCodePage(UINT codePage, const wchar_t *text)
{
    char bytes[256] = "";
    BOOL lossy = FALSE;
    WideCharToMultiByte(codePage, 0, text, -1, bytes, sizeof bytes, nullptr,
                        codePage == CP_UTF8 ? nullptr : &lossy);
    EXPECT_FALSE(lossy) << "code page " << codePage;
    return bytes;
}

TEST(PathText, SeparatorsAreCharactersOfTheirOwn)
{
    const struct {
        UINT codePage;
        const wchar_t *folder;   // the last separator comes before "Lumoria"
    } cases[] = {
        {1252, L"C:\\Programme\\Lumoria"},
        {932, L"C:\\\u30bd\u30d5\u30c8\\Lumoria"},     // the second byte of "so" is 0x5C
        {932, L"C:\\\u8868\\Lumoria"},                  // and of "hyou"
        {936, L"C:\\\u8f6f\u4ef6\\Lumoria"},
        {949, L"C:\\\ud504\ub85c\uadf8\ub7a8\\Lumoria"},
        {950, L"C:\\\u8a31\u529f\\Lumoria"},            // the second byte of "xu" is 0x5C
        {CP_UTF8, L"C:\\\u0421\u043e\u0444\u0442\\Lumoria"},
        {CP_UTF8, L"C:\\\u30bd\u30d5\u30c8\\Lumoria"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("code page " + std::to_string(c.codePage));
        std::string folder = inCodePage(c.codePage, c.folder);
        const char *last = lastSeparatorIn(c.codePage, folder.c_str());
        ASSERT_NE(nullptr, last);
        EXPECT_STREQ("\\Lumoria", last);
        // Stepping ends exactly at the terminator.
        size_t steps = 0;
        for (const char *p = folder.c_str(); *p; p = nextCharIn(c.codePage, p))
            steps++;
        EXPECT_EQ(wcslen(c.folder), steps);
    }
}

TEST(PathText, CaseFoldsOnlyCharactersOfOneByte)
{
    const struct {
        UINT codePage;
        const char *a, *b;
        bool same;
    } cases[] = {
        {1252, "C:\\Programme\\Lumoria", "c:\\PROGRAMME\\lumoria", true},
        {932, "C:\\\x83\x41", "c:\\\x83\x41", true},
        // Two katakana whose trail bytes are 'A' and 'a': different characters.
        {932, "C:\\\x83\x41", "C:\\\x83\x61", false},
        {936, "\xB0\x41x", "\xB0\x61X", false},
        {CP_UTF8, "\xC3\x84", "\xC3\xA4", false},
        {932, "a\x83\x41", "a\x83", false},
        {932, "ab", "abc", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.same, samePathTextIn(c.codePage, c.a, c.b)) << c.codePage << ": " << c.a << " / " << c.b;
        EXPECT_EQ(c.same, samePathTextIn(c.codePage, c.b, c.a)) << c.codePage << ": " << c.b << " / " << c.a;
    }
}

TEST(PathText, BrokenSequencesStillMoveOn)
{
    // A lead byte at the end, a stray continuation byte, a cut sequence.
    const struct {
        UINT codePage;
        const char *text;
        size_t characters;
    } cases[] = {
        {932, "ab\x83", 3},
        {CP_UTF8, "a\x80" "b", 3},
        {CP_UTF8, "a\xE3\x82", 3},
    };
    for (const auto &c : cases) {
        size_t steps = 0;
        for (const char *p = c.text; *p; p = nextCharIn(c.codePage, p))
            steps++;
        EXPECT_EQ(c.characters, steps) << c.codePage;
    }
}

TEST(PathText, AppendAddsOneSeparatorAndRefusesWhatDoesNotFit)
{
    const struct {
        const char *folder, *name;
        size_t cap;
        bool fits;
        const char *expected;
    } cases[] = {
        {"C:\\Lumoria", "lxlm.dll", 64, true, "C:\\Lumoria\\lxlm.dll"},
        {"C:\\Lumoria\\", "lxlm.dll", 64, true, "C:\\Lumoria\\lxlm.dll"},
        {"C:\\Lumoria/", "lxlm.dll", 64, true, "C:\\Lumoria/lxlm.dll"},
        {"", "lxlm.dll", 64, true, "lxlm.dll"},
        {"C:\\Lumoria", "lxlm.dll", 19, false, "C:\\Lumoria"},   // 19 characters and the terminator
        {"C:\\Lumoria", "lxlm.dll", 20, true, "C:\\Lumoria\\lxlm.dll"},
    };
    for (const auto &c : cases) {
        char path[64];
        strcpy(path, c.folder);
        EXPECT_EQ(c.fits, appendPathName(path, c.cap, c.name)) << c.folder << " + " << c.name;
        EXPECT_STREQ(c.expected, path);
    }
    char trailing[] = "C:\\Lumoria\\";
    dropTrailingSeparator(trailing);
    EXPECT_STREQ("C:\\Lumoria", trailing);
    dropTrailingSeparator(trailing);
    EXPECT_STREQ("C:\\Lumoria", trailing);
}

} // namespace
