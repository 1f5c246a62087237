// path_text.cpp - stepping through 8-bit text by character: lead bytes of
// the double-byte code pages from the system's table, UTF-8 by its sequence
// lengths, every other code page a byte a character.
#include "path_text.h"

#include <string.h>

#include "text.h"

namespace {

// Asked once. No function-local static: its guarded start takes a lock the
// thread library allocates, and an allocation that fails there would bring
// the host down.
UINT knownCodePage;

UINT systemCodePage()
{
    if (!knownCodePage)
        knownCodePage = GetACP();
    return knownCodePage;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The bytes of a UTF-8 sequence that starts with lead, as far as text goes:
// a sequence cut short by the terminator or a stray continuation byte counts
// as one byte, so that the walk always moves on.
size_t utf8Length(const unsigned char *p)
{
    unsigned char lead = p[0];
    size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
    for (size_t i = 1; i < length; i++)
        if ((p[i] & 0xC0) != 0x80)
            return 1;
    return length;
}

} // namespace

const char *nextCharIn(UINT codePage, const char *p)
{
    if (!*p)
        return p;
    if (codePage == CP_UTF8)
        return p + utf8Length((const unsigned char *)p);
    // A lead byte followed by the terminator is a character of its own.
    if (IsDBCSLeadByteEx(codePage, (BYTE)*p) && p[1])
        return p + 2;
    return p + 1;
}

const char *nextChar(const char *p) { return nextCharIn(systemCodePage(), p); }

bool samePathTextIn(UINT codePage, const char *a, const char *b)
{
    for (;;) {
        const char *nextA = nextCharIn(codePage, a), *nextB = nextCharIn(codePage, b);
        size_t lengthA = (size_t)(nextA - a), lengthB = (size_t)(nextB - b);
        if (lengthA != lengthB)
            return false;
        if (lengthA == 0)
            return true;
        if (lengthA == 1) {
            if (asciiUpper((unsigned char)*a) != asciiUpper((unsigned char)*b))
                return false;
        } else if (memcmp(a, b, lengthA) != 0) {
            return false;
        }
        a = nextA;
        b = nextB;
    }
}

bool samePathText(const char *a, const char *b) { return samePathTextIn(systemCodePage(), a, b); }

const char *firstSeparator(const char *path)
{
    UINT codePage = systemCodePage();
    for (const char *p = path; *p; p = nextCharIn(codePage, p))
        if (isSeparator(*p))
            return p;
    return nullptr;
}

const char *lastSeparatorIn(UINT codePage, const char *path)
{
    const char *last = nullptr;
    for (const char *p = path; *p; p = nextCharIn(codePage, p))
        if (isSeparator(*p))
            last = p;
    return last;
}

const char *lastSeparator(const char *path) { return lastSeparatorIn(systemCodePage(), path); }

bool endsWithSeparator(const char *path)
{
    const char *last = lastSeparator(path);
    return last && last[1] == 0;
}

bool appendPathName(char *path, size_t cap, const char *name)
{
    size_t length = strnlen(path, cap);
    size_t extra = strlen(name);
    bool separator = length > 0 && !endsWithSeparator(path);
    if (length >= cap || length + (separator ? 1 : 0) + extra >= cap)
        return false;
    if (separator)
        path[length++] = '\\';
    memcpy(path + length, name, extra + 1);
    return true;
}

void dropTrailingSeparator(char *path)
{
    if (endsWithSeparator(path))
        path[strlen(path) - 1] = 0;
}
