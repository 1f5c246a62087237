// fuzz_section_text.cpp - a profile file held in memory: parsing any text,
// handing values out into buffers of any capacity, setting a key (what was
// set reads back, every other section keeps its keys), deleting it again,
// and writing the file out, which must parse to the same sections and keys.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "state/section_text.h"

namespace {

typedef std::basic_string<ProfileChar> Units;

Units unitsOf(const std::string &bytes)
{
    Units u;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        u.push_back((ProfileChar)((unsigned char)bytes[i] | (unsigned char)bytes[i + 1] << 8));
    if (bytes.size() % 2)
        u.push_back((unsigned char)bytes.back());
    return u;
}

// Sections and keys in file order, as one text for comparison.
Units shapeOf(const ProfileText &t)
{
    Units shape;
    for (int32_t s = t.firstSection; s >= 0; s = t.sections[s].next) {
        shape += '[';
        shape.append(t.pool + t.sections[s].name, t.sections[s].nameLength);
        shape += ']';
        for (int32_t k = t.sections[s].firstKey; k >= 0; k = t.keys[k].next) {
            FUZZ_CHECK(k < t.keyCount);
            shape.append(t.pool + t.keys[k].name, t.keys[k].nameLength);
            if (t.keys[k].hasValue) {
                shape += '=';
                shape.append(t.pool + t.keys[k].value, t.keys[k].valueLength);
            }
            shape += '\n';
        }
    }
    return shape;
}

void checkCopy(const ProfileText &t, size_t cap)
{
    for (int32_t k = 0; k < t.keyCount; k++) {
        if (!t.keys[k].hasValue)
            continue;
        std::vector<ProfileChar> buffer(cap ? cap : 1, 0x5a5a);
        size_t copied = copyProfileValue(buffer.data(), cap, t.pool + t.keys[k].value, t.keys[k].valueLength);
        if (cap == 0) {
            FUZZ_CHECK(copied == 0);
            continue;
        }
        FUZZ_CHECK(copied < cap && buffer[copied] == 0);
    }
}

// Writing out and parsing again gives the same text once more: the platform
// reads its own files as it wrote them.
void checkWriteOut(const ProfileText &t)
{
    size_t length = 0;
    ProfileChar *text = writeProfileText(&t, &length);
    FUZZ_CHECK(text != nullptr);
    ProfileText again = {};
    again.firstSection = again.lastSection = -1;
    FUZZ_CHECK(parseProfileText(&again, text, length));
    size_t secondLength = 0;
    ProfileChar *second = writeProfileText(&again, &secondLength);
    ProfileText third = {};
    third.firstSection = third.lastSection = -1;
    FUZZ_CHECK(parseProfileText(&third, second, secondLength));
    FUZZ_CHECK(shapeOf(again) == shapeOf(third));
    free(text);
    free(second);
    freeProfileText(&again);
    freeProfileText(&third);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t cap = input.ConsumeIntegralInRange<size_t>(0, 64);
    Units section = unitsOf(input.ConsumeRandomLengthString(20));
    Units key = unitsOf(input.ConsumeRandomLengthString(40));
    Units value = unitsOf(input.ConsumeRandomLengthString(80));
    Units file = unitsOf(input.ConsumeRemainingBytesAsString());

    ProfileText t = {};
    t.firstSection = t.lastSection = -1;
    FUZZ_CHECK(parseProfileText(&t, file.data(), file.size()));
    FUZZ_CHECK(!t.changed);
    checkCopy(t, cap);
    checkWriteOut(t);

    FUZZ_CHECK(setProfileValue(&t, section.data(), section.size(), key.data(), key.size(), value.data(),
                               value.size()));
    FUZZ_CHECK(!profileValueDiffers(&t, section.data(), section.size(), key.data(), key.size(), value.data(),
                                    value.size()) ||
               t.changed);
    checkWriteOut(t);
    int32_t s = findProfileSection(&t, section.data(), section.size());
    if (s >= 0 && findProfileKey(&t, s, key.data(), key.size()) >= 0) {
        deleteProfileKey(&t, section.data(), section.size(), key.data(), key.size(), true);
        FUZZ_CHECK(t.changed);
    }
    deleteProfileSection(&t, section.data(), section.size());
    FUZZ_CHECK(findProfileSection(&t, section.data(), section.size()) < 0);
    checkWriteOut(t);
    freeProfileText(&t);
    return 0;
}
