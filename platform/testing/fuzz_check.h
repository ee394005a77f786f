// Property checks of the libFuzzer programs (header only, for *_fuzz.cpp).
#pragma once

#include <cstdio>
#include <cstdlib>

// Ends the run with the property that failed; libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (0)
