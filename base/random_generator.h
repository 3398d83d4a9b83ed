// RandomGenerator: the minimal standard multiplicative generator (modulus
// 2^31 - 1, multiplier 16807) on one 32-bit state word, plus the small helpers
// built on it. A plain value: each object has its own state; copies go on
// independently.
// Foundation interface without a caller in the library: kept for programs
// built on the foundation, and tested in tests/base.
#pragma once

#include <cstdint>

#include "base/string.h"

class RandomGenerator {
public:
    // State = seed, or 1 when the seed is 0 (0 would stay 0 for ever).
    explicit RandomGenerator(uint32_t seed);
    // Seeded with the current calendar time in seconds.
    RandomGenerator();

    // 0 when n is 0 (the state does not move); else advances the state and
    // returns state modulo n.
    uint32_t NextRandom(uint32_t n);
    // low + NextRandom(high - low + 1), the range taken modulo 2^32.
    int32_t RandomBetween(int32_t low, int32_t high);
    // 1 when NextRandom(b) is below a: a chance of a in b.
    int Chance(uint32_t a, uint32_t b);
    // 1 when NextRandom(n) is 0.
    int OneIn(uint32_t n);
    // NextRandom(NextRandom(n) + 1): small values more often than large ones.
    uint32_t RandomBelowRandom(uint32_t n);

    // Empties `target`; unless max < min, fills it with min + NextRandom(max -
    // min + 1) characters, each drawn from `alphabet` (null: letters and
    // digits, "A..Za..z0..9"). An empty alphabet leaves the target empty.
    void RandomText(String& target, uint32_t min, uint32_t max, const char* alphabet = nullptr);

    // Fills `array` with 0 .. count - 1 in random order (every order equally
    // likely) and returns it. With a null array, a new one of `count` entries
    // comes from the global allocation (free it with free()); a count of 0
    // then returns null.
    uint32_t* Shuffle(uint32_t count, uint32_t* array = nullptr);

    // A cheaper 16-bit generator on the same state word: 0 when the low 16 bits
    // of n are 0; else state = state * 22695477 + 1 and the result is
    // (state >> 16) modulo (n & 0xFFFF).
    uint32_t QuickRandom(uint32_t n);

    uint32_t GetState() const { return _state; }

private:
    uint32_t _state;
};
