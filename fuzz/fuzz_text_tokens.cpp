// fuzz_text_tokens.cpp - the bounded text helpers, the comma tokens of the
// catalogue's Info%d values and decimal numbers, each against a plain
// reference. Every output buffer is allocated to its exact capacity, so a
// byte written past it is caught by the address sanitizer.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "state/text.h"

namespace {

std::vector<std::string> referenceTokens(const std::string &value)
{
    std::vector<std::string> tokens;
    size_t start = 0;
    for (;;) {
        size_t comma = value.find(',', start);
        std::string token = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!token.empty())
            tokens.push_back(token);
        if (comma == std::string::npos)
            return tokens;
        start = comma + 1;
    }
}

int32_t referenceDecimal(const std::string &text)
{
    size_t i = 0;
    while (i < text.size() && strchr(" \t\n\r\v\f", text[i]) && text[i])
        i++;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++)
        if (value < (int64_t)1 << 40)
            value = value * 10 + (text[i] - '0');
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return (int32_t)value;
}

bool referenceEqualsNoCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x >= 'a' && x <= 'z')
            x -= 32;
        if (y >= 'a' && y <= 'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

// A buffer of exactly cap bytes, filled with a marker.
struct Buffer {
    explicit Buffer(size_t cap) : cap(cap), bytes((char *)malloc(cap ? cap : 1)) { memset(bytes, 'X', cap); }
    ~Buffer() { free(bytes); }
    size_t cap;
    char *bytes;
};

// Cut to what a buffer of cap bytes holds with its terminator.
std::string fitted(const std::string &text, size_t cap)
{
    return text.substr(0, cap ? cap - 1 : 0);
}

void checkTerminatedPrefix(const Buffer &b, const std::string &expected)
{
    if (b.cap == 0)
        return;
    size_t length = strnlen(b.bytes, b.cap);
    FUZZ_CHECK(length < b.cap);
    FUZZ_CHECK(std::string(b.bytes, length) == fitted(expected, b.cap));
}

void checkCopies(const std::string &text, const std::string &other, size_t cap)
{
    {
        Buffer b(cap);
        bool fit = copyText(b.bytes, cap, text.c_str());
        FUZZ_CHECK(fit == (cap > 0 && text.size() < cap));
        checkTerminatedPrefix(b, text);
    }
    {
        // The host's slots need not hold a terminator.
        size_t slotCap = text.size();
        Buffer slot(slotCap);
        memcpy(slot.bytes, text.data(), slotCap);
        Buffer b(cap);
        bool fit = copyFieldText(b.bytes, cap, slot.bytes, slotCap);
        std::string inSlot(slot.bytes, strnlen(slot.bytes, slotCap));
        bool terminated = inSlot.size() < slotCap;
        FUZZ_CHECK(fit == (cap > 0 && terminated && inSlot.size() < cap));
        checkTerminatedPrefix(b, inSlot);
    }
    if (cap > 0) {
        Buffer b(cap);
        std::string start = fitted(other, cap);
        memcpy(b.bytes, start.c_str(), start.size() + 1);
        bool fit = appendText(b.bytes, cap, text.c_str());
        FUZZ_CHECK(fit == (start.size() + text.size() < cap));
        checkTerminatedPrefix(b, start + text);
    }
    {
        Buffer b(cap);
        bool fit = formatText(b.bytes, cap, "%s|%d", text.c_str(), (int)cap);
        std::string expected = text + "|" + std::to_string((int)cap);
        FUZZ_CHECK(fit == (cap > 0 && expected.size() < cap));
        checkTerminatedPrefix(b, expected);
    }
}

void checkTokens(const std::string &value, int n, size_t cap, bool skipBlanks)
{
    std::vector<std::string> tokens = referenceTokens(value);
    FUZZ_CHECK(countTokens(value.c_str()) == (int)tokens.size());
    for (int k : {n, 0, 1, (int)tokens.size(), (int)tokens.size() + 1}) {
        Buffer b(cap);
        bool found = tokenAt(value.c_str(), k, b.bytes, cap, skipBlanks);
        bool exists = k >= 1 && k <= (int)tokens.size();
        FUZZ_CHECK(found == exists);
        std::string expected;
        if (exists) {
            expected = tokens[k - 1];
            size_t first = expected.find_first_not_of(" \t");
            if (skipBlanks)
                expected.erase(0, first == std::string::npos ? expected.size() : first);
        }
        checkTerminatedPrefix(b, expected);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t cap = input.ConsumeIntegralInRange<size_t>(0, 120);
    int n = input.ConsumeIntegralInRange<int>(-2, 60);
    bool skipBlanks = input.ConsumeBool();
    std::string other = input.ConsumeRandomLengthString(200);
    std::string raw = input.ConsumeRemainingBytesAsString();
    // Profile values are zero-terminated texts.
    std::string value(raw.c_str());
    other = std::string(other.c_str());

    checkCopies(value, other, cap);
    checkTokens(value, n, cap, skipBlanks);
    FUZZ_CHECK(parseDecimal(value.c_str()) == referenceDecimal(value));
    FUZZ_CHECK(equalsNoCase(value.c_str(), other.c_str()) == referenceEqualsNoCase(value, other));
    FUZZ_CHECK(equalsNoCase(value.c_str(), value.c_str()));
    return 0;
}
