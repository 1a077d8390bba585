#pragma once

#include <cstdio>
#include <cstdlib>

// A property every input must keep; a broken one is a finding, so the fuzzer stops on it and
// saves the input. (assert would vanish in the optimised fuzzing build.)
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
