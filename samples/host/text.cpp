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
