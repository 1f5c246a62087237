// thousands_text.cpp - formatThousands.
#include "thousands_text.h"

#include "text.h"

void formatThousands(int64_t value, char *output, size_t cap)
{
    if (value < 1000) {
        copyText(output, cap, "1");
        return;
    }
    // Groups of three digits from the right, of the value in thousands.
    char digits[THOUSANDS_TEXT_BYTES];
    int64_t rest = value / 1000;
    int n = 0, groupDigits = 0;
    do {
        if (groupDigits == 3) {
            digits[n++] = ',';
            groupDigits = 0;
        }
        digits[n++] = (char)('0' + rest % 10);
        groupDigits++;
        rest /= 10;
    } while (rest > 0);
    char text[THOUSANDS_TEXT_BYTES];
    for (int i = 0; i < n; i++)
        text[i] = digits[n - 1 - i];
    text[n] = 0;
    copyText(output, cap, text);
}
