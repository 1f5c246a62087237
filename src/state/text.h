// text.h - bounded text and number handling for every fixed buffer of the
// library. Free of Win32 calls, so the parsing code can also be built natively
// for fuzzing. Every writer takes the buffer's capacity, always terminates and
// says whether the whole text fit.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Copies src into dst (capacity cap, terminator included). Returns false, with
// dst holding the longest prefix that fits, when src does not fit.
bool copyText(char *dst, size_t cap, const char *src);

// Copies a text out of a fixed slot of srcCap bytes that may lack its
// terminator. Fails like copyText, and also when the slot holds no terminator.
bool copyFieldText(char *dst, size_t cap, const char *src, size_t srcCap);

// Appends src to the text already in dst.
bool appendText(char *dst, size_t cap, const char *src);

// printf into dst; false when the result was cut.
bool formatText(char *dst, size_t cap, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// Decimal value as the run-time's atol reads it: leading white space, an
// optional sign, digits up to the first non-digit; empty or no digits gives 0.
// Values beyond the 32-bit range saturate instead of wrapping.
int32_t parseDecimal(const char *text);

// A 64-bit sum as a signed 32-bit figure, saturated at both ends.
int32_t saturate32(int64_t value);

// An ASCII letter in upper case; every other byte as it is.
inline unsigned char asciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? (unsigned char)(c - 32) : c; }

// Case-insensitive comparison of ASCII letters, as profile names compare.
bool equalsNoCase(const char *a, const char *b);

// Token n (from 1) of a comma-separated value in which empty tokens do not
// count. With skipBlanks the token's leading blanks are dropped. Returns false
// and an empty out when the value has fewer tokens; a token longer than the
// buffer is cut to fit.
bool tokenAt(const char *value, int n, char *out, size_t cap, bool skipBlanks);

// Number of non-empty tokens in such a value.
int countTokens(const char *value);
