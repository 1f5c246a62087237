// text.cpp - bounded copies, formatting, decimal numbers and the comma-token
// reader of catalogue values.
#include "text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

bool copyText(char *dst, size_t cap, const char *src)
{
    if (cap == 0)
        return false;
    size_t n = strnlen(src, cap);
    if (n >= cap) {
        memcpy(dst, src, cap - 1);
        dst[cap - 1] = 0;
        return false;
    }
    memcpy(dst, src, n + 1);
    return true;
}

bool copyFieldText(char *dst, size_t cap, const char *src, size_t srcCap)
{
    if (cap == 0)
        return false;
    size_t n = strnlen(src, srcCap);
    bool terminated = n < srcCap;
    size_t take = n < cap ? n : cap - 1;
    memcpy(dst, src, take);
    dst[take] = 0;
    return terminated && take == n;
}

bool appendText(char *dst, size_t cap, const char *src)
{
    size_t used = strnlen(dst, cap);
    if (used >= cap)
        return false;
    return copyText(dst + used, cap - used, src);
}

bool formatText(char *dst, size_t cap, const char *format, ...)
{
    if (cap == 0)
        return false;
    va_list args;
    va_start(args, format);
    int n = vsnprintf(dst, cap, format, args);
    va_end(args);
    if (n < 0) {
        dst[0] = 0;
        return false;
    }
    return (size_t)n < cap;
}

int32_t parseDecimal(const char *text)
{
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int64_t value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value <= (int64_t)INT32_MAX + 1)
            value = value * 10 + (*p - '0');
        p++;
    }
    return saturate32(negative ? -value : value);
}

int32_t saturate32(int64_t value)
{
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return (int32_t)value;
}

bool equalsNoCase(const char *a, const char *b)
{
    for (;; a++, b++) {
        unsigned char ca = asciiUpper((unsigned char)*a), cb = asciiUpper((unsigned char)*b);
        if (ca != cb)
            return false;
        if (ca == 0)
            return true;
    }
}

bool tokenAt(const char *value, int n, char *out, size_t cap, bool skipBlanks)
{
    if (cap > 0)
        out[0] = 0;
    int index = 0;
    const char *p = value;
    while (*p) {
        while (*p == ',')
            p++;
        if (!*p)
            break;
        const char *end = strchr(p, ',');
        if (!end)
            end = p + strlen(p);
        if (++index == n) {
            if (skipBlanks)
                while (p < end && (*p == ' ' || *p == '\t'))
                    p++;
            size_t len = (size_t)(end - p);
            if (cap > 0) {
                if (len >= cap)
                    len = cap - 1;
                memcpy(out, p, len);
                out[len] = 0;
            }
            return true;
        }
        p = end;
    }
    return false;
}

int countTokens(const char *value)
{
    int count = 0;
    for (const char *p = value; *p;) {
        while (*p == ',')
            p++;
        if (!*p)
            break;
        count++;
        while (*p && *p != ',')
            p++;
    }
    return count;
}
