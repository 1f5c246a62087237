// converter_lines.h - the parts of install.ini catalogue lines that the
// registry defaults read and rewrite: the number of a format code, the image
// and graphics tokens of a picture item's line, and the two direction fields
// of a converter line. Free of Win32 calls, so that it is also built natively
// for fuzzing.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The number of a format code: its leading digits after leading blanks; no
// digits gives 0. Numbers too large for any table stop growing at nine digits.
int32_t formatNumber(const char *code);

// The image and graphics tokens of a picture item's Info%d value.
constexpr int IMAGE_TOKEN = 9;
constexpr int GRAPHICS_TOKEN = 10;

// Reads the two tokens of a picture line (comma-separated, empty tokens not
// counted, leading blanks kept): each is set when its token begins with "1".
// False, with both clear, for a line without a tenth token.
bool pictureLineTokens(const char *line, bool *image, bool *graphics);

// Rewrites the sixth and seventh comma-separated fields (every comma counts)
// of line to "first,second". A line with fewer than seven commas, or whose
// result would not fit in cap, is left unchanged and false is returned.
bool setDirectionFields(char *line, size_t cap, int first, int second);
