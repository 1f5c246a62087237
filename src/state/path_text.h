// path_text.h - folders and file names walked by character in the system
// code page, as the host hands them over. On the double-byte code pages
// (932, 936, 949, 950) the second byte of a character can be 0x5C, the
// backslash, or 0x7C, the bar; on UTF-8 (65001) a character spans up to
// four bytes. Every separator and "ends with a backslash" of the library is
// found here, never by scanning bytes.
#pragma once

#include <windows.h>
#include <stddef.h>

// The character after the one at p (p itself at the terminator), in the
// system code page; nextCharIn in codePage.
const char *nextChar(const char *p);
const char *nextCharIn(UINT codePage, const char *p);

// The first and the last separator ('\\' or '/') that is a character of its
// own; null when there is none.
const char *firstSeparator(const char *path);
const char *lastSeparator(const char *path);
const char *lastSeparatorIn(UINT codePage, const char *path);

// Whether path's last character is a separator.
bool endsWithSeparator(const char *path);

// Appends '\\' unless path is empty or already ends with a separator, then
// name. False, with path unchanged, when the result does not fit cap.
bool appendPathName(char *path, size_t cap, const char *name);

// Removes one trailing separator, if path ends with one.
void dropTrailingSeparator(char *path);

// Whether two texts are the same but for the case of ASCII letters, compared
// character by character in the system code page (samePathTextIn in
// codePage): a letter's case counts only in a character of one byte, so a
// trail byte that happens to be a letter is never folded.
bool samePathText(const char *a, const char *b);
bool samePathTextIn(UINT codePage, const char *a, const char *b);
