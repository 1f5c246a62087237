// fuzz_section_text.cpp - the section texts of the profile layer: walking
// the lines, looking a key up, handing a value out into a buffer, editing a
// key in place (what was set must read back, every other line must stay, an
// edit that does not fit must change nothing) and deleting it again, and the
// scan of a file's raw bytes. Buffers are allocated to their exact capacity.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "state/section_text.h"

namespace {

struct Line {
    std::string name;
    std::string whole;
};

// The lines of a well-formed text: non-empty, without zeros.
std::vector<Line> linesOf(const std::string &raw)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start <= raw.size()) {
        size_t zero = raw.find('\0', start);
        std::string whole = raw.substr(start, zero == std::string::npos ? std::string::npos : zero - start);
        if (!whole.empty())
            lines.push_back({whole.substr(0, whole.find('=')), whole});
        if (zero == std::string::npos)
            break;
        start = zero + 1;
    }
    return lines;
}

bool sameName(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x -= 32;
        if (y >= 'a' && y <= 'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

int firstNamed(const std::vector<Line> &lines, const std::string &key)
{
    for (size_t i = 0; i < lines.size(); i++)
        if (sameName(lines[i].name, key))
            return (int)i;
    return -1;
}

// The text as GetPrivateProfileSectionA gives it, in a buffer of capacity
// bytes: every line ended by a zero, then one more.
struct Text {
    Text(const std::vector<Line> &lines, size_t extra)
    {
        for (const Line &l : lines)
            length += l.whole.size() + 1;
        capacity = length + 1 + extra;
        bytes = (char *)malloc(capacity);
        size_t at = 0;
        for (const Line &l : lines) {
            memcpy(bytes + at, l.whole.c_str(), l.whole.size() + 1);
            at += l.whole.size() + 1;
        }
        bytes[at] = 0;
    }
    ~Text() { free(bytes); }
    std::vector<Line> lines() const { return linesOf(std::string(bytes, length)); }
    char *bytes;
    size_t length = 0;
    size_t capacity;
};

void checkWalk(const Text &t, const std::vector<Line> &lines)
{
    size_t offset = 0;
    SectionLine line;
    size_t n = 0;
    while (nextSectionLine(t.bytes, t.length, &offset, &line)) {
        FUZZ_CHECK(n < lines.size());
        FUZZ_CHECK(line.offset + line.size <= t.length);
        FUZZ_CHECK(std::string(line.name, line.nameLength) == lines[n].name);
        if (line.value)
            FUZZ_CHECK(line.nameLength + 1 + line.valueLength + 1 == line.size);
        n++;
    }
    FUZZ_CHECK(n == lines.size());
    FUZZ_CHECK(countSectionLines(t.bytes, t.length) == (int)lines.size());
}

void checkValueCopy(const SectionLine &line, size_t cap)
{
    if (!line.value)
        return;
    char *buffer = (char *)malloc(cap ? cap : 1);
    size_t copied = copyProfileValue(buffer, cap, line.value, line.valueLength);
    if (cap > 0) {
        FUZZ_CHECK(copied < cap);
        FUZZ_CHECK(buffer[copied] == 0);
        std::string value(line.value, line.valueLength);
        bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
        std::string inner = quoted ? value.substr(1) : value;
        FUZZ_CHECK(inner.compare(0, copied, buffer, copied) == 0);
    } else {
        FUZZ_CHECK(copied == 0);
    }
    free(buffer);
}

void checkEdits(const std::vector<Line> &lines, size_t extra, const std::string &key, const std::string &value)
{
    Text t(lines, extra);
    std::string before(t.bytes, t.length + 1);
    int found = firstNamed(lines, key);
    SectionEdit edit = setSectionValue(t.bytes, &t.length, t.capacity, key.c_str(), value.c_str());
    FUZZ_CHECK(t.length + 1 <= t.capacity);
    FUZZ_CHECK(t.bytes[t.length] == 0);
    std::vector<Line> expected = lines;
    if (found >= 0)
        expected[found].whole = expected[found].name + "=" + value;
    else
        expected.push_back({key, key + "=" + value});
    if (edit == EDIT_NO_ROOM) {
        FUZZ_CHECK(before == std::string(t.bytes, t.length + 1));
        return;
    }
    std::vector<Line> after = t.lines();
    FUZZ_CHECK(after.size() == expected.size());
    for (size_t i = 0; i < after.size(); i++)
        FUZZ_CHECK(after[i].whole == expected[i].whole);
    FUZZ_CHECK((edit == EDIT_UNCHANGED) == (before == std::string(t.bytes, t.length + 1)));
    SectionLine line;
    FUZZ_CHECK(findSectionLine(t.bytes, t.length, key.c_str(), &line));
    FUZZ_CHECK(line.value && std::string(line.value, line.valueLength) == value);

    FUZZ_CHECK(deleteSectionKey(t.bytes, &t.length, key.c_str()) == EDIT_CHANGED);
    FUZZ_CHECK(t.bytes[t.length] == 0);
    expected.erase(expected.begin() + firstNamed(expected, key));
    after = t.lines();
    FUZZ_CHECK(after.size() == expected.size());
    for (size_t i = 0; i < after.size(); i++)
        FUZZ_CHECK(after[i].whole == expected[i].whole);
}

void checkRawScan(const std::string &file, const std::string &section)
{
    char *bytes = (char *)malloc(file.size() ? file.size() : 1);
    memcpy(bytes, file.data(), file.size());
    RawSectionFacts facts;
    if (scanRawSection(bytes, file.size(), section.c_str(), &facts)) {
        FUZZ_CHECK(facts.headers >= 0 && facts.lines >= 0);
        if (facts.headers == 0)
            FUZZ_CHECK(facts.lines == 0 && facts.plain);
    }
    free(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t extra = input.ConsumeIntegralInRange<size_t>(0, 64);
    size_t cap = input.ConsumeIntegralInRange<size_t>(0, 64);
    std::string key = input.ConsumeRandomLengthString(40);
    std::string value = input.ConsumeRandomLengthString(80);
    std::string raw = input.ConsumeRemainingBytesAsString();
    key = std::string(key.c_str());
    value = std::string(value.c_str());

    std::vector<Line> lines = linesOf(raw);
    {
        Text t(lines, extra);
        checkWalk(t, lines);
        SectionLine line;
        int found = firstNamed(lines, key);
        FUZZ_CHECK(findSectionLine(t.bytes, t.length, key.c_str(), &line) == (found >= 0));
        if (found >= 0) {
            FUZZ_CHECK(std::string(line.name, line.size - 1) == lines[found].whole);
            checkValueCopy(line, cap);
        }
    }
    // Edits are defined for the keys and values the profile layer stores.
    if (isPlainProfileEntry(key.c_str(), value.c_str()))
        checkEdits(lines, extra, key, value);
    checkRawScan(raw, key);
    return 0;
}
