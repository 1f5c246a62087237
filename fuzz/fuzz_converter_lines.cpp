// fuzz_converter_lines.cpp - the catalogue lines behind the converter
// tables: the rewriting of a line's two direction fields (every other field
// must come back unchanged, the result must fit its buffer, a line that
// cannot be rewritten must stay as it was), the image and graphics tokens of
// a picture line and the number of a format code.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "registry/converter_lines.h"

namespace {

// Every comma counts, empty fields included.
std::vector<std::string> fields(const std::string &line)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = line.find(',', start);
        parts.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

void checkDirectionFields(const std::string &line, size_t cap, int first, int second)
{
    char *buffer = (char *)malloc(cap ? cap : 1);
    std::string start = line.substr(0, cap ? cap - 1 : 0);
    if (cap)
        memcpy(buffer, start.c_str(), start.size() + 1);
    bool rewritten = setDirectionFields(buffer, cap, first, second);
    std::vector<std::string> before = fields(start);
    size_t expectedLength = start.size();
    if (before.size() >= 8)
        expectedLength = start.size() - before[5].size() - before[6].size() + 2;
    bool possible = cap > 0 && before.size() >= 8 && expectedLength < cap;
    FUZZ_CHECK(rewritten == possible);
    if (!rewritten) {
        if (cap)
            FUZZ_CHECK(start == buffer);
        free(buffer);
        return;
    }
    FUZZ_CHECK(strnlen(buffer, cap) < cap);
    std::string result(buffer);
    std::vector<std::string> after = fields(result);
    FUZZ_CHECK(after.size() == before.size());
    for (size_t i = 0; i < after.size(); i++) {
        if (i == 5)
            FUZZ_CHECK(after[i] == (first == 1 ? "1" : "0"));
        else if (i == 6)
            FUZZ_CHECK(after[i] == (second == 1 ? "1" : "0"));
        else
            FUZZ_CHECK(after[i] == before[i]);
    }
    // Rewriting again with the same flags changes nothing more.
    std::string once = result;
    FUZZ_CHECK(setDirectionFields(buffer, cap, first, second));
    FUZZ_CHECK(once == buffer);
    free(buffer);
}

void checkPictureTokens(const std::string &line)
{
    std::vector<std::string> tokens;
    for (const std::string &f : fields(line))
        if (!f.empty())
            tokens.push_back(f);
    bool image = true, graphics = true;
    bool read = pictureLineTokens(line.c_str(), &image, &graphics);
    FUZZ_CHECK(read == (tokens.size() >= (size_t)GRAPHICS_TOKEN));
    FUZZ_CHECK(image == (read && tokens[IMAGE_TOKEN - 1][0] == '1'));
    FUZZ_CHECK(graphics == (read && tokens[GRAPHICS_TOKEN - 1][0] == '1'));
}

// Leading blanks, then the digits; leading zeros add nothing, and growth
// stops at nine significant digits.
int32_t referenceFormatNumber(const std::string &code)
{
    size_t i = code.find_first_not_of(" \t");
    if (i == std::string::npos)
        return 0;
    size_t end = i;
    while (end < code.size() && code[end] >= '0' && code[end] <= '9')
        end++;
    std::string digits = code.substr(i, end - i);
    size_t significant = digits.find_first_not_of('0');
    if (significant == std::string::npos)
        return 0;
    return (int32_t)atol(digits.substr(significant, 9).c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t cap = input.ConsumeIntegralInRange<size_t>(0, 110);
    int first = input.ConsumeIntegralInRange<int>(-1, 2);
    int second = input.ConsumeIntegralInRange<int>(-1, 2);
    std::string raw = input.ConsumeRemainingBytesAsString();
    std::string line(raw.c_str());

    checkDirectionFields(line, cap, first, second);
    checkPictureTokens(line);
    int32_t number = formatNumber(line.c_str());
    FUZZ_CHECK(number >= 0 && number < 1000000000);
    FUZZ_CHECK(number == referenceFormatNumber(line));
    return 0;
}
