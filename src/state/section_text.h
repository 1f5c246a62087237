// section_text.h - a whole profile file held in memory, parsed, looked up,
// edited and written out again with the rules of the platform's profile
// functions: lines split at line feeds and carriage returns, blanks trimmed
// (also inside a section header's brackets), "[name]" up to the last ']' starts a section,
// keys before the first section belong to a nameless one, a line without '='
// is a key without a value, comments are keys that no lookup asks for; names
// compare without regard to case, the first of duplicate sections and keys
// answers. The text is in 16-bit code units, as the platform holds it after
// decoding the file; profile.cpp decodes and encodes. Free of Win32 calls, so
// that it can be built natively for fuzzing.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uint16_t ProfileChar;

struct ProfileKey {
    uint32_t name, nameLength;     // in the pool
    uint32_t nameHash;             // of the name folded as lookups fold it
    uint32_t value, valueLength;
    bool hasValue;                 // false for a line without '='
    int32_t next;                  // -1 after the last key of its section
};

struct ProfileSection {
    uint32_t name, nameLength;
    uint32_t nameHash;
    int32_t firstKey, lastKey;     // -1 when empty
    int32_t next;                  // -1 after the last section
};

// The file's text and every text added since live in one pool; keys and
// sections are records in two arrays, linked in file order.
struct ProfileText {
    ProfileChar *pool;
    size_t poolLength, poolCapacity;
    ProfileKey *keys;
    int32_t keyCount, keyCapacity;
    ProfileSection *sections;
    int32_t sectionCount, sectionCapacity;
    int32_t firstSection, lastSection;
    bool changed;                  // an edit that makes the platform rewrite the file
    bool failed;                   // out of memory: the text is not to be trusted
};

void clearProfileText(ProfileText *t);
void freeProfileText(ProfileText *t);

// Parses a decoded file (without its byte-order mark). False when memory ran
// out.
bool parseProfileText(ProfileText *t, const ProfileChar *text, size_t length);

// The first section of that name, or -1; the first key of that name in the
// section, or -1. Blanks around the names asked for do not count.
int32_t findProfileSection(const ProfileText *t, const ProfileChar *name, size_t length);
int32_t findProfileKey(const ProfileText *t, int32_t section, const ProfileChar *name, size_t length);

// A value handed out into a buffer of cap units: a value enclosed in
// matching quotes loses them, what does not fit is cut to cap - 1 units; as
// on the platform, a quoted value that fits only without its closing quote
// loses its last character as well. Returns the length.
size_t copyProfileValue(ProfileChar *buffer, size_t cap, const ProfileChar *value, size_t length);

// Edits with the rules of the platform's writes. Setting strips the value's leading blanks, takes the first key of that name
// in the first section of that name, or adds one at the end of the section,
// or a section at the end of the file (names made anew lose their leading
// blanks only, as on the platform); deleting a key removes the first of
// that name in any section of that name; deleting a section removes every
// section of that name. `changed` is set when the platform would rewrite the
// file. False when memory ran out.
bool setProfileValue(ProfileText *t, const ProfileChar *section, size_t sectionLength, const ProfileChar *key,
                     size_t keyLength, const ProfileChar *value, size_t valueLength);
// Whether setting the value would change the text; whether deleting the key
// does (apply false: only tells).
bool profileValueDiffers(const ProfileText *t, const ProfileChar *section, size_t sectionLength,
                         const ProfileChar *key, size_t keyLength, const ProfileChar *value, size_t valueLength);
bool deleteProfileKey(ProfileText *t, const ProfileChar *section, size_t sectionLength, const ProfileChar *key,
                      size_t keyLength, bool apply);
void deleteProfileSection(ProfileText *t, const ProfileChar *section, size_t sectionLength);

// The file as the platform writes it (without byte-order mark), into a
// buffer allocated with malloc that the caller frees. Null when memory ran
// out.
ProfileChar *writeProfileText(const ProfileText *t, size_t *length);
