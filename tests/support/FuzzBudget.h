#pragma once

#include <cstdlib>

// The budget of the seeded fuzz tests: a fixed number of inputs with the tests,
// VELK_FUZZ_ITERATIONS of them for a long run; every input follows from the
// seed (VELK_FUZZ_SEED, 1 by default) and its number.

inline int FuzzIterations(int ciDefault)
{
    const char* text = std::getenv("VELK_FUZZ_ITERATIONS");
    return text && std::atoi(text) > 0 ? std::atoi(text) : ciDefault;
}

inline unsigned FuzzSeed()
{
    const char* text = std::getenv("VELK_FUZZ_SEED");
    return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 1u;
}
