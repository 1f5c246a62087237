// section_text.h - the text of one profile section as GetPrivateProfileSectionA
// returns it ("name=value", "name" for a line without '=', each line ended by
// a zero, the whole ended by one more), looked up and edited with the rules
// the platform's profile functions apply, and the scan of a whole profile
// file that tells whether a section can be rewritten in one piece without
// changing a byte of the file. Free of Win32 calls, so that it can be built
// natively for fuzzing.
#pragma once

#include <stddef.h>
#include <stdint.h>

// One line of a section's text.
struct SectionLine {
    const char *name;
    size_t nameLength;
    const char *value;      // null for a line without '='
    size_t valueLength;
    size_t offset;          // of the line in the text
    size_t size;            // of the line with its terminating zero
};

// The line at *offset of a text of length bytes (the lines with their zeros,
// without the final one); advances *offset. False after the last line.
bool nextSectionLine(const char *text, size_t length, size_t *offset, SectionLine *line);

// The first line whose name equals key, ASCII letters compared without regard
// to case, as the profile functions pick among duplicate keys.
bool findSectionLine(const char *text, size_t length, const char *key, SectionLine *line);

// Number of lines in the text.
int countSectionLines(const char *text, size_t length);

// A value as GetPrivateProfileStringA hands it out into a buffer of cap bytes:
// a value enclosed in matching double or single quotes loses them, and what
// does not fit is cut to cap - 1 bytes. As on the platform, a quoted value
// that fits only without its closing quote loses its last character as well,
// and one that does not fit at all keeps its cut text whole. Returns the
// length.
size_t copyProfileValue(char *buffer, size_t cap, const char *value, size_t length);

// A section or key name that the text answers exactly as the profile
// functions do: not empty, printable ASCII, no blank at either end (the
// functions trim names they are given), not a comment (';'). Anything else is
// left to the platform.
bool isPlainProfileName(const char *name);

// A key and value that an edit of the text stores as the platform stores them
// through WritePrivateProfileStringA: a plain name without '=', and a value of
// printable ASCII without a blank at either end (the platform trims values
// when it reads the file again).
bool isPlainProfileEntry(const char *key, const char *value);

// Edits of a section's text in a buffer of capacity bytes (final zero
// included, at text[*length]), with the rules of WritePrivateProfileStringA:
// the first line of that name takes the new value under its own spelling of
// the name, or a new line is added at the end; deleting removes the first
// line of that name.
enum SectionEdit { EDIT_UNCHANGED, EDIT_CHANGED, EDIT_NO_ROOM };
SectionEdit setSectionValue(char *text, size_t *length, size_t capacity, const char *key, const char *value);
SectionEdit deleteSectionKey(char *text, size_t *length, const char *key);

// What the raw bytes of a profile file say about one section, under the
// platform's reading of the file (lines split at line feeds, blanks trimmed,
// "[name]" starts a section, ';' starts a comment).
struct RawSectionFacts {
    int headers;            // sections of that name in the file
    int lines;              // non-blank lines of the first one
    bool plain;             // every such line is "name=value" in printable ASCII
};

// False when the file holds anything this scan might read otherwise than the
// platform does (a byte-order mark, zero or control bytes, a carriage return
// that ends no line, a section header that is not plain ASCII): then nothing
// is known about the section.
bool scanRawSection(const char *file, size_t length, const char *section, RawSectionFacts *facts);
