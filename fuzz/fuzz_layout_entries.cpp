// fuzz_layout_entries.cpp - the names and file numbers of layout-file values,
// the way a component's file section is resolved: the name of a FILE<k>
// value, its language variants (each of which must give the name back as
// the installed name), the NOFILE end mark, setup-file names and the
// FILE<m> results of LOGICALFILE, each against a plain reference.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "catalogue/layout_entries.h"
#include "fuzz_check.h"

namespace {

constexpr size_t VALUE_BYTES = 100;   // a layout value: at most 99 characters

std::string firstField(const std::string &value)
{
    size_t start = value.find_first_not_of(',');
    if (start == std::string::npos)
        return "";
    size_t end = value.find(',', start);
    return value.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int32_t referenceFileNumber(const std::string &result)
{
    if (result.size() < 5)
        return 0;
    for (int i = 0; i < 4; i++)
        if (toupper((unsigned char)result[i]) != "FILE"[i] || (unsigned char)result[i] >= 0x80)
            return 0;
    int64_t m = 0;
    for (size_t i = 4; i < result.size(); i++) {
        if (result[i] < '0' || result[i] > '9')
            return 0;
        if (m <= INT32_MAX)
            m = m * 10 + (result[i] - '0');
    }
    return m > INT32_MAX ? INT32_MAX : (int32_t)m;
}

struct Buffer {
    explicit Buffer(size_t cap) : bytes((char *)malloc(cap ? cap : 1)) {}
    ~Buffer() { free(bytes); }
    char *bytes;
};

void checkComponentName(const std::string &value, size_t cap)
{
    Buffer name(cap);
    bool named = componentEntryName(value.c_str(), name.bytes, cap);
    std::string field = firstField(value);
    size_t first = field.find_first_not_of(" \t");
    std::string expected = first == std::string::npos ? "" : field.substr(first);
    FUZZ_CHECK(named == (cap > 1 && !expected.empty()));
    if (cap == 0)
        return;
    FUZZ_CHECK(strnlen(name.bytes, cap) < cap);
    FUZZ_CHECK(std::string(name.bytes) == expected.substr(0, cap - 1));
}

void checkSetupName(const std::string &value, size_t cap)
{
    Buffer name(cap);
    bool named = setupEntryName(value.c_str(), name.bytes, cap);
    std::string expected = firstField(value);
    FUZZ_CHECK(named == !expected.empty());
    if (cap == 0)
        return;
    FUZZ_CHECK(std::string(name.bytes) == expected.substr(0, cap - 1));
}

// The resolution of one FILE<k> value, as the file-list builder does it:
// every variant candidate fits its buffer and names the file back.
void checkVariants(const std::string &value)
{
    char name[VALUE_BYTES];
    std::string limited = value.substr(0, VALUE_BYTES - 1);
    if (!componentEntryName(limited.c_str(), name, sizeof name))
        return;
    FUZZ_CHECK(strchr(name, ',') == nullptr);
    bool variants = name[0] == '*';
    const char *base = variants ? name + 1 : name;
    FUZZ_CHECK(isEndOfListName(base) == (strcasecmp(base, "NOFILE") == 0));
    for (int v = -1; v <= LANGUAGE_VARIANTS; v++) {
        char candidate[VALUE_BYTES + 2];
        bool formed = languageVariantName(base, v, candidate, sizeof candidate);
        FUZZ_CHECK(formed == (v >= 0 && v < LANGUAGE_VARIANTS));
        if (!formed) {
            FUZZ_CHECK(candidate[0] == 0);
            continue;
        }
        FUZZ_CHECK(candidate[0] == '*' && candidate[1] == '1' + v);
        FUZZ_CHECK(strcmp(candidate + 2, base) == 0);
        // A removed file's installed name drops exactly the prefix again.
        FUZZ_CHECK(strcmp(installedFileName(candidate), base) == 0);
    }
    char small[4];
    bool formed = languageVariantName(base, 0, small, sizeof small);
    FUZZ_CHECK(formed == (strlen(base) < 2));
    FUZZ_CHECK(strnlen(small, sizeof small) < sizeof small);
    if (!variants)
        FUZZ_CHECK(installedFileName(name) == name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t cap = input.ConsumeIntegralInRange<size_t>(0, 120);
    std::string raw = input.ConsumeRemainingBytesAsString();
    std::string value(raw.c_str());

    checkComponentName(value, cap);
    checkSetupName(value, cap);
    checkVariants(value);
    FUZZ_CHECK(logicalFileNumber(value.c_str()) == referenceFileNumber(value));
    FUZZ_CHECK(logicalFileNumber(value.c_str()) >= 0);
    return 0;
}
