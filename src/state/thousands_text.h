// thousands_text.h - the text of a byte count as the installer dialogs show
// it, in thousands of bytes with comma groups. Free of Win32 calls, so that
// it is also built natively for fuzzing.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Room for the largest figure formatThousands writes: a 64-bit value in
// thousands with comma groups, and its terminator.
constexpr size_t THOUSANDS_TEXT_BYTES = 28;

// A byte count in thousands (1 K = 1,000 bytes), cut toward zero, with commas
// between groups of three digits: 5,012,345 gives "5,012". Anything below
// 1,000, negative values included, gives "1".
void formatThousands(int64_t value, char *output, size_t cap);
