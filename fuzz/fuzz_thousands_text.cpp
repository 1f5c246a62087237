// fuzz_thousands_text.cpp - formatThousands against a plain reference for
// any 64-bit value and any output capacity.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "state/thousands_text.h"
#include "fuzz_check.h"

namespace {

std::string referenceThousands(int64_t value)
{
    if (value < 1000)
        return "1";
    std::string digits = std::to_string(value / 1000);
    std::string text;
    for (size_t i = 0; i < digits.size(); i++) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t cap = input.ConsumeIntegralInRange<size_t>(0, THOUSANDS_TEXT_BYTES);
    int64_t value = input.ConsumeIntegral<int64_t>();
    std::string expected = referenceThousands(value);
    FUZZ_CHECK(expected.size() < THOUSANDS_TEXT_BYTES);

    char *output = (char *)malloc(cap ? cap : 1);
    formatThousands(value, output, cap);
    if (cap > 0) {
        FUZZ_CHECK(strnlen(output, cap) < cap);
        FUZZ_CHECK(std::string(output) == expected.substr(0, cap - 1));
    }
    free(output);
    return 0;
}
