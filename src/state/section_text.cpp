// section_text.cpp - a profile file in memory: parsing, lookups, edits and
// the text written back, with the rules the platform's profile functions
// apply. No Win32 calls.
#include "section_text.h"

#include <stdlib.h>
#include <string.h>

// The blanks the profile functions trim: the platform's white space, and
// ^Z, which old media leave at the end of a file.
static bool isProfileBlank(ProfileChar c)
{
    if (c == ' ' || (c >= 0x09 && c <= 0x0d) || c == 0x1a)
        return true;
    if (c < 0x85)
        return false;
    return c == 0x85 || c == 0xa0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200a) || c == 0x2028 ||
           c == 0x2029 || c == 0x202f || c == 0x205f || c == 0x3000;
}

static ProfileChar foldCase(ProfileChar c)
{
    if (c >= 'A' && c <= 'Z')
        return (ProfileChar)(c + 32);
    if (c >= 0xc0 && c <= 0xde && c != 0xd7)
        return (ProfileChar)(c + 32);
    return c;
}

static bool sameName(const ProfileChar *a, size_t aLength, const ProfileChar *b, size_t bLength)
{
    if (aLength != bLength)
        return false;
    for (size_t i = 0; i < aLength; i++)
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    return true;
}

// Names that compare the same have the same hash: a lookup compares the
// texts of only those, and sections of some hundred keys are filled and read
// key by key.
static uint32_t hashOfName(const ProfileChar *name, size_t length)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; i++)
        hash = (hash ^ foldCase(name[i])) * 16777619u;
    return hash;
}

// The platform keeps names and values as zero-terminated texts.
static size_t untilZero(const ProfileChar *text, size_t length)
{
    for (size_t i = 0; i < length; i++)
        if (text[i] == 0)
            return i;
    return length;
}

void clearProfileText(ProfileText *t)
{
    t->poolLength = 0;
    t->keyCount = 0;
    t->sectionCount = 0;
    t->firstSection = -1;
    t->lastSection = -1;
    t->changed = false;
    t->failed = false;
}

void freeProfileText(ProfileText *t)
{
    free(t->pool);
    free(t->keys);
    free(t->sections);
    memset(t, 0, sizeof *t);
    t->firstSection = -1;
    t->lastSection = -1;
}

static bool grow(void **block, size_t unit, size_t needed, size_t *capacity)
{
    if (needed <= *capacity)
        return true;
    size_t wanted = *capacity ? *capacity : 64;
    while (wanted < needed)
        wanted *= 2;
    void *moved = realloc(*block, wanted * unit);
    if (!moved)
        return false;
    *block = moved;
    *capacity = wanted;
    return true;
}

// Copies a text into the pool; false when memory ran out.
static bool poolAdd(ProfileText *t, const ProfileChar *text, size_t length, uint32_t *at)
{
    if (!grow((void **)&t->pool, sizeof(ProfileChar), t->poolLength + length + 1, &t->poolCapacity)) {
        t->failed = true;
        return false;
    }
    memcpy(t->pool + t->poolLength, text, length * sizeof(ProfileChar));
    *at = (uint32_t)t->poolLength;
    t->poolLength += length;
    return true;
}

static int32_t addSection(ProfileText *t, uint32_t name, size_t nameLength)
{
    size_t capacity = (size_t)t->sectionCapacity;
    if (!grow((void **)&t->sections, sizeof(ProfileSection), (size_t)t->sectionCount + 1, &capacity)) {
        t->failed = true;
        return -1;
    }
    t->sectionCapacity = (int32_t)capacity;
    int32_t index = t->sectionCount++;
    ProfileSection &s = t->sections[index];
    s.name = name;
    s.nameLength = (uint32_t)nameLength;
    s.nameHash = hashOfName(t->pool + name, nameLength);
    s.firstKey = s.lastKey = -1;
    s.next = -1;
    if (t->lastSection >= 0)
        t->sections[t->lastSection].next = index;
    else
        t->firstSection = index;
    t->lastSection = index;
    return index;
}

static int32_t addKey(ProfileText *t, int32_t section, uint32_t name, size_t nameLength)
{
    size_t capacity = (size_t)t->keyCapacity;
    if (!grow((void **)&t->keys, sizeof(ProfileKey), (size_t)t->keyCount + 1, &capacity)) {
        t->failed = true;
        return -1;
    }
    t->keyCapacity = (int32_t)capacity;
    int32_t index = t->keyCount++;
    ProfileKey &k = t->keys[index];
    k.name = name;
    k.nameLength = (uint32_t)nameLength;
    k.nameHash = hashOfName(t->pool + name, nameLength);
    k.value = 0;
    k.valueLength = 0;
    k.hasValue = false;
    k.next = -1;
    ProfileSection &s = t->sections[section];
    if (s.lastKey >= 0)
        t->keys[s.lastKey].next = index;
    else
        s.firstKey = index;
    s.lastKey = index;
    return index;
}

static void trimBlanks(const ProfileChar *file, size_t *begin, size_t *end)
{
    while (*begin < *end && isProfileBlank(file[*begin]))
        (*begin)++;
    while (*end > *begin && isProfileBlank(file[*end - 1]))
        (*end)--;
}

// A header line "[name]" (its last ']' closes it) opens a section; false
// when the line is not one, which then reads as a key.
static bool parseSectionHeader(ProfileText *t, size_t begin, size_t end, int32_t *section)
{
    const ProfileChar *file = t->pool;
    if (file[begin] != '[')
        return false;
    size_t close = end;
    while (close > begin && file[close - 1] != ']')
        close--;
    if (close == begin)
        return false;
    size_t nameBegin = begin + 1, nameEnd = close - 1;
    trimBlanks(file, &nameBegin, &nameEnd);
    *section = addSection(t, (uint32_t)nameBegin, untilZero(file + nameBegin, nameEnd - nameBegin));
    return true;
}

// "name=value", or a name alone; false when the key could not be held.
static bool parseKeyLine(ProfileText *t, int32_t section, size_t begin, size_t end)
{
    const ProfileChar *file = t->pool;
    size_t equals = begin;
    while (equals < end && file[equals] != '=')
        equals++;
    size_t nameEnd = equals;
    while (nameEnd > begin && isProfileBlank(file[nameEnd - 1]))
        nameEnd--;
    int32_t key = addKey(t, section, (uint32_t)begin, untilZero(file + begin, nameEnd - begin));
    if (key < 0)
        return false;
    if (equals < end) {
        size_t valueBegin = equals + 1;
        while (valueBegin < end && isProfileBlank(file[valueBegin]))
            valueBegin++;
        ProfileKey &k = t->keys[key];
        k.hasValue = true;
        k.value = (uint32_t)valueBegin;
        k.valueLength = (uint32_t)untilZero(file + valueBegin, end - valueBegin);
    }
    return true;
}

bool parseProfileText(ProfileText *t, const ProfileChar *text, size_t length)
{
    clearProfileText(t);
    // The file's text is the start of the pool; names and values point into it.
    uint32_t base;
    if (!poolAdd(t, text, length, &base))
        return false;
    int32_t section = addSection(t, 0, 0);   // keys before the first header
    if (section < 0)
        return false;
    size_t pos = 0;
    while (pos < length) {
        size_t lineEnd = pos;
        while (lineEnd < length && t->pool[lineEnd] != '\n' && t->pool[lineEnd] != '\r')
            lineEnd++;
        size_t begin = pos, end = lineEnd;
        pos = lineEnd + 1;
        trimBlanks(t->pool, &begin, &end);
        if (begin == end)
            continue;
        if (parseSectionHeader(t, begin, end, &section)) {
            if (section < 0)
                return false;
        } else if (!parseKeyLine(t, section, begin, end)) {
            return false;
        }
    }
    return true;
}

// A name as the platform takes it: from its first non-blank; lookups also
// ignore blanks at its end, but a name made anew keeps them.
static void skipLeadingBlanks(const ProfileChar **name, size_t *length)
{
    *length = untilZero(*name, *length);
    while (*length > 0 && isProfileBlank(**name)) {
        (*name)++;
        (*length)--;
    }
}

static size_t trimmedLength(const ProfileChar *name, size_t length)
{
    while (length > 0 && isProfileBlank(name[length - 1]))
        length--;
    return length;
}

int32_t findProfileSection(const ProfileText *t, const ProfileChar *name, size_t length)
{
    skipLeadingBlanks(&name, &length);
    length = trimmedLength(name, length);
    uint32_t hash = hashOfName(name, length);
    for (int32_t i = t->firstSection; i >= 0; i = t->sections[i].next) {
        const ProfileSection &s = t->sections[i];
        if (s.nameHash == hash && sameName(t->pool + s.name, s.nameLength, name, length))
            return i;
    }
    return -1;
}

int32_t findProfileKey(const ProfileText *t, int32_t section, const ProfileChar *name, size_t length)
{
    if (section < 0)
        return -1;
    skipLeadingBlanks(&name, &length);
    length = trimmedLength(name, length);
    uint32_t hash = hashOfName(name, length);
    for (int32_t i = t->sections[section].firstKey; i >= 0; i = t->keys[i].next) {
        const ProfileKey &k = t->keys[i];
        if (k.nameHash == hash && sameName(t->pool + k.name, k.nameLength, name, length))
            return i;
    }
    return -1;
}

size_t copyProfileValue(ProfileChar *buffer, size_t cap, const ProfileChar *value, size_t length)
{
    if (cap == 0)
        return 0;
    bool quoted = length >= 2 && (value[0] == '"' || value[0] == '\'') && value[length - 1] == value[0];
    if (quoted) {
        value++;
        length--;
    }
    size_t copied = length < cap - 1 ? length : cap - 1;
    memcpy(buffer, value, copied * sizeof(ProfileChar));
    // The closing quote is taken off the copy whenever the buffer is at least
    // as long as the value after its opening quote, even when the copy had
    // to leave that quote out already.
    if (quoted && cap >= length && copied > 0)
        copied--;
    buffer[copied] = 0;
    return copied;
}

static bool sameText(const ProfileChar *a, size_t aLength, const ProfileChar *b, size_t bLength)
{
    return aLength == bLength && memcmp(a, b, aLength * sizeof(ProfileChar)) == 0;
}

static bool hasLineBreak(const ProfileChar *text, size_t length)
{
    for (size_t i = 0; i < length; i++)
        if (text[i] == '\r' || text[i] == '\n')
            return true;
    return false;
}

// Whether the line "name=value" reads back as that name and value. The
// platform reads the file again after each write, so a line that does not
// changes as the file is read: a blank at the end, a '=' in the name, a name
// that reads as a section header.
static bool readsBack(const ProfileChar *name, size_t nameLength, const ProfileChar *value, size_t valueLength)
{
    for (size_t i = 0; i < nameLength; i++)
        if (name[i] == '=')
            return false;
    return !hasLineBreak(name, nameLength) && !hasLineBreak(value, valueLength) &&
           !(nameLength > 0 && (name[0] == '[' || isProfileBlank(name[nameLength - 1]))) &&
           !(valueLength > 0 && isProfileBlank(value[valueLength - 1]));
}

// The text as the platform holds it once it has read the written file again.
static bool readAgain(ProfileText *t)
{
    size_t length = 0;
    ProfileChar *text = writeProfileText(t, &length);
    if (!text) {
        t->failed = true;
        return false;
    }
    bool parsed = parseProfileText(t, text, length);
    free(text);
    t->changed = true;
    return parsed;
}

bool setProfileValue(ProfileText *t, const ProfileChar *section, size_t sectionLength, const ProfileChar *key,
                     size_t keyLength, const ProfileChar *value, size_t valueLength)
{
    if (t->failed)
        return false;
    valueLength = untilZero(value, valueLength);
    while (valueLength > 0 && isProfileBlank(*value)) {
        value++;
        valueLength--;
    }
    skipLeadingBlanks(&section, &sectionLength);
    skipLeadingBlanks(&key, &keyLength);
    int32_t s = findProfileSection(t, section, sectionLength);
    bool plain = true;
    if (s < 0) {
        plain = sectionLength > 0 && !hasLineBreak(section, sectionLength) &&
                !isProfileBlank(section[sectionLength - 1]);
        uint32_t name;
        if (!poolAdd(t, section, sectionLength, &name) || (s = addSection(t, name, sectionLength)) < 0)
            return false;
    }
    int32_t k = findProfileKey(t, s, key, keyLength);
    if (k < 0) {
        uint32_t name;
        if (!poolAdd(t, key, keyLength, &name) || (k = addKey(t, s, name, keyLength)) < 0)
            return false;
    } else if (t->keys[k].hasValue &&
               sameText(t->pool + t->keys[k].value, t->keys[k].valueLength, value, valueLength)) {
        return true;
    }
    uint32_t at;
    if (!poolAdd(t, value, valueLength, &at))
        return false;
    ProfileKey &entry = t->keys[k];
    entry.value = at;
    entry.valueLength = (uint32_t)valueLength;
    entry.hasValue = true;
    t->changed = true;
    if (!plain || !readsBack(t->pool + entry.name, entry.nameLength, value, valueLength))
        return readAgain(t);
    return true;
}

bool profileValueDiffers(const ProfileText *t, const ProfileChar *section, size_t sectionLength,
                         const ProfileChar *key, size_t keyLength, const ProfileChar *value, size_t valueLength)
{
    valueLength = untilZero(value, valueLength);
    while (valueLength > 0 && isProfileBlank(*value)) {
        value++;
        valueLength--;
    }
    int32_t k = findProfileKey(t, findProfileSection(t, section, sectionLength), key, keyLength);
    return k < 0 || !t->keys[k].hasValue ||
           !sameText(t->pool + t->keys[k].value, t->keys[k].valueLength, value, valueLength);
}

bool deleteProfileKey(ProfileText *t, const ProfileChar *section, size_t sectionLength, const ProfileChar *key,
                      size_t keyLength, bool apply)
{
    skipLeadingBlanks(&section, &sectionLength);
    sectionLength = trimmedLength(section, sectionLength);
    skipLeadingBlanks(&key, &keyLength);
    keyLength = trimmedLength(key, keyLength);
    uint32_t sectionHash = hashOfName(section, sectionLength), keyHash = hashOfName(key, keyLength);
    for (int32_t i = t->firstSection; i >= 0; i = t->sections[i].next) {
        ProfileSection &s = t->sections[i];
        if (s.nameHash != sectionHash || !sameName(t->pool + s.name, s.nameLength, section, sectionLength))
            continue;
        int32_t previous = -1;
        for (int32_t k = s.firstKey; k >= 0; previous = k, k = t->keys[k].next) {
            const ProfileKey &entry = t->keys[k];
            if (entry.nameHash != keyHash || !sameName(t->pool + entry.name, entry.nameLength, key, keyLength))
                continue;
            if (!apply)
                return true;
            if (previous >= 0)
                t->keys[previous].next = entry.next;
            else
                s.firstKey = entry.next;
            if (s.lastKey == k)
                s.lastKey = previous;
            t->changed = true;
            return true;
        }
    }
    return false;
}

void deleteProfileSection(ProfileText *t, const ProfileChar *section, size_t sectionLength)
{
    skipLeadingBlanks(&section, &sectionLength);
    sectionLength = trimmedLength(section, sectionLength);
    uint32_t hash = hashOfName(section, sectionLength);
    int32_t previous = -1;
    for (int32_t i = t->firstSection; i >= 0;) {
        ProfileSection &s = t->sections[i];
        int32_t next = s.next;
        if (s.nameHash == hash && sameName(t->pool + s.name, s.nameLength, section, sectionLength)) {
            if (previous >= 0)
                t->sections[previous].next = next;
            else
                t->firstSection = next;
            if (t->lastSection == i)
                t->lastSection = previous;
            t->changed = true;
        } else {
            previous = i;
        }
        i = next;
    }
}

static void append(ProfileChar *out, size_t *at, const ProfileChar *text, size_t length)
{
    memcpy(out + *at, text, length * sizeof(ProfileChar));
    *at += length;
}

ProfileChar *writeProfileText(const ProfileText *t, size_t *length)
{
    size_t total = 0;
    for (int32_t i = t->firstSection; i >= 0; i = t->sections[i].next) {
        const ProfileSection &s = t->sections[i];
        if (s.nameLength)
            total += s.nameLength + 4;
        for (int32_t k = s.firstKey; k >= 0; k = t->keys[k].next)
            total += t->keys[k].nameLength + 2 + (t->keys[k].hasValue ? t->keys[k].valueLength + 1 : 0);
    }
    ProfileChar *out = (ProfileChar *)malloc((total + 1) * sizeof(ProfileChar));
    if (!out)
        return nullptr;
    static const ProfileChar open[] = {'['}, close[] = {']', '\r', '\n'}, equals[] = {'='}, lineEnd[] = {'\r', '\n'};
    size_t at = 0;
    for (int32_t i = t->firstSection; i >= 0; i = t->sections[i].next) {
        const ProfileSection &s = t->sections[i];
        // The nameless section of keys before the first header has no header.
        if (s.nameLength) {
            append(out, &at, open, 1);
            append(out, &at, t->pool + s.name, s.nameLength);
            append(out, &at, close, 3);
        }
        for (int32_t k = s.firstKey; k >= 0; k = t->keys[k].next) {
            const ProfileKey &entry = t->keys[k];
            append(out, &at, t->pool + entry.name, entry.nameLength);
            if (entry.hasValue) {
                append(out, &at, equals, 1);
                append(out, &at, t->pool + entry.value, entry.valueLength);
            }
            append(out, &at, lineEnd, 2);
        }
    }
    *length = at;
    return out;
}
