// converter_lines.cpp - format numbers, picture tokens and direction fields
// of the catalogue lines behind the viewer and converter tables.
#include "converter_lines.h"

#include <string.h>

#include "state/text.h"

int32_t formatNumber(const char *code)
{
    while (*code == ' ' || *code == '\t')
        code++;
    int32_t number = 0;
    for (; *code >= '0' && *code <= '9'; code++)
        if (number < 100000000)
            number = number * 10 + (*code - '0');
    return number;
}

static bool tokenBeginsWithOne(const char *line, int n)
{
    char token[4];
    return tokenAt(line, n, token, sizeof token, false) && token[0] == '1';
}

bool pictureLineTokens(const char *line, bool *image, bool *graphics)
{
    *image = *graphics = false;
    // A line without its image and graphics tokens is not read past its end.
    if (countTokens(line) < GRAPHICS_TOKEN)
        return false;
    *image = tokenBeginsWithOne(line, IMAGE_TOKEN);
    *graphics = tokenBeginsWithOne(line, GRAPHICS_TOKEN);
    return true;
}

bool setDirectionFields(char *line, size_t cap, int first, int second)
{
    // The fifth and seventh commas bound the two fields.
    size_t fifth = 0, seventh = 0;
    int commas = 0;
    size_t length = strnlen(line, cap);
    if (length >= cap)
        return false;
    for (size_t i = 0; i < length && commas < 7; i++) {
        if (line[i] != ',')
            continue;
        if (++commas == 5)
            fifth = i;
        else if (commas == 7)
            seventh = i;
    }
    if (commas < 7)
        return false;
    // The result: through the fifth comma, "a,b", then the seventh comma on.
    size_t kept = fifth + 1;
    size_t newLength = kept + 3 + (length - seventh);
    if (newLength >= cap)
        return false;
    memmove(line + kept + 3, line + seventh, length - seventh + 1);
    line[kept] = first == 1 ? '1' : '0';
    line[kept + 1] = ',';
    line[kept + 2] = second == 1 ? '1' : '0';
    return true;
}
