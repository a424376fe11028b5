#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant must stop the run in the fuzzer and in the corpus replay alike, with the
// condition named, whatever the build type: assert() is gone in release builds.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
