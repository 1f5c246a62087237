// fuzz_check.h - the one check of the fuzz targets: a broken invariant prints
// what was expected and aborts, so that libFuzzer keeps the input.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(condition)                                                          \
    do {                                                                               \
        if (!(condition)) {                                                            \
            fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                   \
        }                                                                              \
    } while (0)
