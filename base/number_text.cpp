#include "base/text_utils.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

// The formatted text of any length: measure first, then print into the string.
// A null format gives the empty string.
String Formatted(const char* format, ...) {
    String text;
    if (!format) return text;
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length > 0) {
        text.resize(static_cast<size_t>(length));
        vsnprintf(&text[0], static_cast<size_t>(length) + 1, format, args);
    }
    va_end(args);
    return text;
}

// strtoll clamped to [low, high]; parsing stops at the first non-digit.
long long ParseClamped(const String& text, int base, long long low, long long high) {
    const long long value = strtoll(text.c_str(), nullptr, base);
    return value < low ? low : value > high ? high : value;
}

} // namespace

// ---- Numbers to text

String NumberText(short number, const char* format) {
    return Formatted(format ? format : "%d", number);
}
String NumberText(unsigned short number, const char* format) {
    return Formatted(format ? format : "%u", number);
}
String NumberText(int number, const char* format) {
    return Formatted(format ? format : "%d", number);
}
String NumberText(unsigned int number, const char* format) {
    return Formatted(format ? format : "%u", number);
}
String NumberText(long number, const char* format) {
    return Formatted(format ? format : "%ld", number);
}
String NumberText(unsigned long number, const char* format) {
    return Formatted(format ? format : "%lu", number);
}

String FloatText(double number, const char* format) {
    return Formatted(format ? format : "%g", number);
}

String FormatText(const char* format, int32_t first, int32_t second) {
    return Formatted(format, first, second);
}

String FormatText(const char* format, int32_t first, int32_t second, int32_t third) {
    return Formatted(format, first, second, third);
}

// ---- Text to numbers. The clamps give the 32-bit results of strtol and
// strtoul on the target whatever the width of long here.

int32_t TextToNumber(const String& text, int base) {
    return static_cast<int32_t>(ParseClamped(text, base, INT32_MIN, INT32_MAX));
}

uint32_t TextToUnsigned(const String& text, int base) {
    // -n wraps to 2^32 - n, as strtoul does; beyond either end: all ones.
    const long long value = strtoll(text.c_str(), nullptr, base);
    if (value > static_cast<long long>(UINT32_MAX) || value < -static_cast<long long>(UINT32_MAX))
        return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

double TextToFloat(const String& text) {
    return strtod(text.c_str(), nullptr);
}

// ---- Sizes

String SizeText(uint32_t byteCount) {
    const unsigned long n = byteCount;
    if (n < 1000) return Formatted("%lu B", n);
    if (n < 1000000) return Formatted("%lu kB", n / 1000);
    // One decimal of megabytes: the tenths digit, truncated (1234567 -> 1.2 MB).
    return Formatted("%lu.%lu MB", n / 1000000, n % 1000000 / 100000);
}

// ---- Number lists

String NumberListText(const int32_t* values, int count, char separator) {
    String text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += separator;
        text += NumberText(static_cast<long>(values[i]));
    }
    return text;
}

int32_t* ParseNumberList(const char* text, int& count) {
    count = 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    int runs = 0;
    for (const char* p = text; p && *p; ++p) {
        if (isDigit(*p) && (p == text || !isDigit(p[-1]))) ++runs;
    }
    if (runs == 0) return nullptr;

    int32_t* values = static_cast<int32_t*>(malloc(sizeof(int32_t) * runs));
    if (!values) throw std::bad_alloc();
    for (const char* p = text; *p;) {
        if (!isDigit(*p)) {
            ++p;
            continue;
        }
        // Accumulate with saturation: a run of any length is one value.
        int64_t value = 0;
        for (; isDigit(*p); ++p) {
            value = value * 10 + (*p - '0');
            if (value > INT32_MAX) value = INT32_MAX;
        }
        values[count++] = static_cast<int32_t>(value);
    }
    return values;
}
