#pragma once
// A broken property aborts: libFuzzer then keeps the input that broke it.
#include <cstdio>
#include <cstdlib>

inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz: %s\n", what);
        std::abort();
    }
}
