// section_text.cpp - lookups and edits in a section's text, and the scan of a
// profile file's raw bytes, with the rules the platform's profile functions
// apply. No Win32 calls.
#include "section_text.h"

#include <string.h>

static char foldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

// name (n bytes) equals the zero-terminated key, ASCII letters without
// regard to case.
static bool sameName(const char *name, size_t n, const char *key)
{
    for (size_t i = 0; i < n; i++)
        if (!key[i] || foldAscii(name[i]) != foldAscii(key[i]))
            return false;
    return key[n] == 0;
}

bool nextSectionLine(const char *text, size_t length, size_t *offset, SectionLine *line)
{
    size_t at = *offset;
    // A zero where a line should begin ends the text.
    if (at >= length || text[at] == 0)
        return false;
    const char *start = text + at;
    size_t size = strnlen(start, length - at);
    const char *equals = (const char *)memchr(start, '=', size);
    line->name = start;
    line->offset = at;
    if (equals) {
        line->nameLength = (size_t)(equals - start);
        line->value = equals + 1;
        line->valueLength = size - line->nameLength - 1;
    } else {
        line->nameLength = size;
        line->value = nullptr;
        line->valueLength = 0;
    }
    line->size = size < length - at ? size + 1 : size;
    *offset = at + line->size;
    return true;
}

bool findSectionLine(const char *text, size_t length, const char *key, SectionLine *line)
{
    size_t offset = 0;
    while (nextSectionLine(text, length, &offset, line))
        if (sameName(line->name, line->nameLength, key))
            return true;
    return false;
}

int countSectionLines(const char *text, size_t length)
{
    size_t offset = 0;
    SectionLine line;
    int count = 0;
    while (nextSectionLine(text, length, &offset, &line))
        count++;
    return count;
}

size_t copyProfileValue(char *buffer, size_t cap, const char *value, size_t length)
{
    if (cap == 0)
        return 0;
    bool quoted = length >= 2 && (value[0] == '"' || value[0] == '\'') && value[length - 1] == value[0];
    if (quoted) {
        value++;
        length--;
    }
    size_t copied = length < cap - 1 ? length : cap - 1;
    memcpy(buffer, value, copied);
    // The closing quote is taken off the copy whenever the buffer is at least
    // as long as the value after its opening quote, even when the copy had
    // to leave that quote out already.
    if (quoted && cap >= length && copied > 0)
        copied--;
    buffer[copied] = 0;
    return copied;
}

static bool isPrintable(const char *text)
{
    for (const unsigned char *p = (const unsigned char *)text; *p; p++)
        if (*p < 0x20 || *p > 0x7e)
            return false;
    return true;
}

bool isPlainProfileName(const char *name)
{
    if (!name || !name[0] || !isPrintable(name))
        return false;
    size_t n = strlen(name);
    return name[0] != ' ' && name[n - 1] != ' ' && name[0] != ';';
}

bool isPlainProfileEntry(const char *key, const char *value)
{
    // A key beginning with '[' would read back as a section header.
    if (!isPlainProfileName(key) || strchr(key, '=') || key[0] == '[')
        return false;
    if (!value || !isPrintable(value))
        return false;
    size_t n = strlen(value);
    return n == 0 || (value[0] != ' ' && value[n - 1] != ' ');
}

SectionEdit setSectionValue(char *text, size_t *length, size_t capacity, const char *key, const char *value)
{
    if (*length >= capacity)
        return EDIT_NO_ROOM;
    size_t valueLength = strlen(value);
    SectionLine line;
    if (findSectionLine(text, *length, key, &line)) {
        if (line.value && line.valueLength == valueLength && memcmp(line.value, value, valueLength) == 0)
            return EDIT_UNCHANGED;
        // The line keeps its own spelling of the name.
        size_t size = line.nameLength + 1 + valueLength + 1;
        if (*length - line.size + size + 1 > capacity)
            return EDIT_NO_ROOM;
        char *at = text + line.offset;
        memmove(at + size, at + line.size, *length - line.offset - line.size + 1);
        at[line.nameLength] = '=';
        memcpy(at + line.nameLength + 1, value, valueLength);
        at[size - 1] = 0;
        *length = *length - line.size + size;
        return EDIT_CHANGED;
    }
    size_t keyLength = strlen(key);
    size_t size = keyLength + 1 + valueLength + 1;
    if (*length + size + 1 > capacity)
        return EDIT_NO_ROOM;
    char *at = text + *length;
    memcpy(at, key, keyLength);
    at[keyLength] = '=';
    memcpy(at + keyLength + 1, value, valueLength);
    at[size - 1] = 0;
    *length += size;
    text[*length] = 0;
    return EDIT_CHANGED;
}

SectionEdit deleteSectionKey(char *text, size_t *length, const char *key)
{
    SectionLine line;
    if (!findSectionLine(text, *length, key, &line))
        return EDIT_UNCHANGED;
    memmove(text + line.offset, text + line.offset + line.size, *length - line.offset - line.size + 1);
    *length -= line.size;
    return EDIT_CHANGED;
}

// ---------------------------------------------------------------------------
// Raw file scan

static bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// One line of the file, [begin, end), checked byte by byte. False for a byte
// the scan does not read the way the platform does.
static bool checkLineBytes(const unsigned char *begin, const unsigned char *end)
{
    for (const unsigned char *p = begin; p < end; p++) {
        if (*p == '\r') {
            // Only a carriage return before the line feed (or the end of the
            // file) is a line end.
            if (p + 1 != end)
                return false;
        } else if ((*p < 0x20 && *p != '\t') || *p == 0x7f) {
            return false;
        }
    }
    return true;
}

static bool hasHighBytes(const char *begin, const char *end)
{
    for (const char *p = begin; p < end; p++)
        if ((unsigned char)*p >= 0x80)
            return true;
    return false;
}

// A line of the first section of that name: "name=value" with a name, in
// printable ASCII (tabs allowed); no comment, nothing that looks like a
// header.
static bool isPlainLine(const char *begin, const char *end)
{
    if (*begin == ';' || *begin == '[')
        return false;
    const char *equals = (const char *)memchr(begin, '=', (size_t)(end - begin));
    if (!equals)
        return false;
    const char *nameEnd = equals;
    while (nameEnd > begin && isBlank(nameEnd[-1]))
        nameEnd--;
    if (nameEnd == begin)
        return false;
    for (const char *p = begin; p < end; p++)
        if (!(((unsigned char)*p >= 0x20 && (unsigned char)*p <= 0x7e) || *p == '\t'))
            return false;
    return true;
}

bool scanRawSection(const char *file, size_t length, const char *section, RawSectionFacts *facts)
{
    facts->headers = 0;
    facts->lines = 0;
    facts->plain = true;
    const unsigned char *bytes = (const unsigned char *)file;
    // Files with a byte-order mark are read in another encoding.
    if (length >= 2 && ((bytes[0] == 0xff && bytes[1] == 0xfe) || (bytes[0] == 0xfe && bytes[1] == 0xff)))
        return false;
    if (length >= 3 && bytes[0] == 0xef && bytes[1] == 0xbb && bytes[2] == 0xbf)
        return false;
    bool inside = false;
    size_t pos = 0;
    while (pos < length) {
        const char *lineStart = file + pos;
        const char *feed = (const char *)memchr(lineStart, '\n', length - pos);
        const char *lineEnd = feed ? feed : file + length;
        pos = (size_t)(lineEnd - file) + (feed ? 1 : 0);
        if (!checkLineBytes((const unsigned char *)lineStart, (const unsigned char *)lineEnd))
            return false;
        const char *begin = lineStart, *end = lineEnd;
        while (begin < end && isBlank(*begin))
            begin++;
        while (end > begin && (isBlank(end[-1]) || end[-1] == '\r'))
            end--;
        if (begin == end)
            continue;
        const char *open = (const char *)memchr(begin, '[', (size_t)(end - begin));
        // The platform trims more kinds of blank than this scan does; a line
        // that might hide a header behind one is not guessed at.
        if ((unsigned char)*begin >= 0x80 && open)
            return false;
        if (*begin == '[') {
            const char *close = nullptr;
            for (const char *p = end; p > begin; p--)
                if (p[-1] == ']') {
                    close = p - 1;
                    break;
                }
            if (close) {
                if (hasHighBytes(begin, end))
                    return false;
                const char *nameBegin = begin + 1, *nameEnd = close;
                while (nameBegin < nameEnd && isBlank(*nameBegin))
                    nameBegin++;
                while (nameEnd > nameBegin && isBlank(nameEnd[-1]))
                    nameEnd--;
                bool match = sameName(nameBegin, (size_t)(nameEnd - nameBegin), section);
                if (match)
                    facts->headers++;
                inside = match && facts->headers == 1;
                continue;
            }
        }
        if (!inside)
            continue;
        facts->lines++;
        if (!isPlainLine(begin, end))
            facts->plain = false;
    }
    return true;
}
