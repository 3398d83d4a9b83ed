#include "base/random_generator.h"

#include <cstdlib>
#include <ctime>
#include <new>
#include <utility>

namespace {

const char defaultAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

} // namespace

RandomGenerator::RandomGenerator(uint32_t seed) : _state(seed ? seed : 1) {}

RandomGenerator::RandomGenerator() : RandomGenerator(static_cast<uint32_t>(time(nullptr))) {}

// state = state * 16807 modulo 2^31 - 1, by Schrage's method so that no
// product leaves 32 bits: 2^31 - 1 = 16807 * 127773 + 2836.
uint32_t RandomGenerator::NextRandom(uint32_t n) {
    if (n == 0) return 0;
    const int32_t hi = static_cast<int32_t>(_state / 127773);
    const int32_t lo = static_cast<int32_t>(_state % 127773);
    int32_t t = 16807 * lo - 2836 * hi;
    if (t <= 0) t += 2147483647;
    _state = static_cast<uint32_t>(t);
    return _state % n;
}

int32_t RandomGenerator::RandomBetween(int32_t low, int32_t high) {
    const uint32_t range = static_cast<uint32_t>(high) - static_cast<uint32_t>(low) + 1;
    return static_cast<int32_t>(static_cast<uint32_t>(low) + NextRandom(range));
}

int RandomGenerator::Chance(uint32_t a, uint32_t b) {
    return NextRandom(b) < a;
}

int RandomGenerator::OneIn(uint32_t n) {
    return NextRandom(n) == 0;
}

uint32_t RandomGenerator::RandomBelowRandom(uint32_t n) {
    return NextRandom(NextRandom(n) + 1);
}

void RandomGenerator::RandomText(String& target, uint32_t min, uint32_t max, const char* alphabet) {
    target.clear();
    if (max < min) return;
    if (!alphabet) alphabet = defaultAlphabet;
    const uint32_t alphabetLength = static_cast<uint32_t>(String(alphabet).size());
    if (alphabetLength == 0) return;
    const uint32_t length = min + NextRandom(max - min + 1);
    target.reserve(length);
    for (uint32_t i = 0; i < length; ++i)
        target += alphabet[NextRandom(alphabetLength)];
}

// Fisher-Yates from the back: entry count - i - 1 takes a random one of the
// count - i entries not yet placed.
uint32_t* RandomGenerator::Shuffle(uint32_t count, uint32_t* array) {
    if (!array) {
        if (count == 0) return nullptr;
        array = static_cast<uint32_t*>(malloc(sizeof(uint32_t) * count));
        if (!array) throw std::bad_alloc();
    }
    for (uint32_t i = 0; i < count; ++i)
        array[i] = i;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t j = NextRandom(count - i);
        std::swap(array[j], array[count - i - 1]);
    }
    return array;
}

uint32_t RandomGenerator::QuickRandom(uint32_t n) {
    const uint32_t range = n & 0xFFFF;
    if (range == 0) return 0;
    _state = _state * 22695477u + 1;
    return (_state >> 16) % range;
}
