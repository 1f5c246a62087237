// text.cpp - the host's bounded text helpers: every fixed buffer is written
// through these, which take its capacity, always terminate, and say whether
// the whole text fit.
#include "host.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

bool copyText(char *dst, size_t cap, const char *src)
{
    if (cap == 0)
        return false;
    size_t n = strnlen(src, cap);
    size_t take = n < cap ? n : cap - 1;
    memcpy(dst, src, take);
    dst[take] = 0;
    return n < cap;
}

bool appendText(char *dst, size_t cap, const char *src)
{
    size_t used = strnlen(dst, cap);
    return used < cap && copyText(dst + used, cap - used, src);
}

bool formatText(char *dst, size_t cap, const char *format, ...)
{
    if (cap == 0)
        return false;
    va_list arguments;
    va_start(arguments, format);
    int n = vsnprintf(dst, cap, format, arguments);
    va_end(arguments);
    if (n < 0)
        dst[0] = 0;
    return n >= 0 && (size_t)n < cap;
}

bool fieldAt(const char *value, int n, char *out, size_t cap)
{
    if (cap > 0)
        out[0] = 0;
    // Empty fields do not count, and a field's leading blanks are dropped.
    for (int index = 0; *value;) {
        while (*value == ',')
            value++;
        if (!*value)
            break;
        const char *end = strchr(value, ',');
        size_t length = end ? (size_t)(end - value) : strlen(value);
        if (++index == n) {
            while (length > 0 && (*value == ' ' || *value == '\t'))
                value++, length--;
            if (cap > 0) {
                size_t take = length < cap ? length : cap - 1;
                memcpy(out, value, take);
                out[take] = 0;
            }
            return true;
        }
        value += length;
    }
    return false;
}

// The system code page's characters: the second byte of a double-byte
// character (code pages 932, 936, 949, 950) can be 0x5C, the backslash, and
// a UTF-8 character spans up to four bytes. A folder is walked a character
// at a time, so that such a byte is never taken for a separator.
static UINT knownCodePage;   // asked once

const char *nextCharacter(const char *p)
{
    if (!knownCodePage)
        knownCodePage = GetACP();
    UINT codePage = knownCodePage;
    if (!*p)
        return p;
    if (codePage == CP_UTF8) {
        unsigned char lead = (unsigned char)*p;
        size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        for (size_t i = 1; i < length; i++)
            if ((p[i] & 0xC0) != 0x80)
                return p + 1;
        return p + length;
    }
    return IsDBCSLeadByte((BYTE)*p) && p[1] ? p + 2 : p + 1;
}

const char *lastBackslash(const char *path)
{
    const char *last = nullptr;
    for (const char *p = path; *p; p = nextCharacter(p))
        if (*p == '\\')
            last = p;
    return last;
}

bool endsWithBackslash(const char *path)
{
    const char *last = lastBackslash(path);
    return last && !last[1];
}
