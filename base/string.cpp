#include "base/string.h"

#include <cstring>

namespace {

int caseSensitiveSetting = 1; // process-wide; the search sets it from its case option

// With case off, a to z read as A to Z and the byte counts as a signed value.
int FoldedSigned(unsigned char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    return static_cast<signed char>(c);
}

} // namespace

String::String(const char* text) {
    if (text) assign(text);
}

String::String(const char* text, size_t start, size_t count) {
    if (count) assign(text + start, count);
}

String& String::operator=(const char* text) {
    if (text)
        assign(text);
    else
        clear();
    return *this;
}

String& String::operator+=(char c) {
    push_back(c);
    return *this;
}

String& String::operator+=(const char* text) {
    if (text) append(text);
    return *this;
}

String& String::operator+=(const String& text) {
    append(text);
    return *this;
}

String& String::Strip(char c, StripWhere where) {
    if (where & stripTrailing) {
        size_t last = find_last_not_of(c);
        erase(last == npos ? 0 : last + 1);
    }
    if (where & stripLeading) erase(0, find_first_not_of(c));
    return *this;
}

int String::SetCaseSensitive(int on) {
    int previous = caseSensitiveSetting;
    caseSensitiveSetting = on != 0;
    return previous;
}

int String::IsCaseSensitive() {
    return caseSensitiveSetting;
}

String operator+(const String& left, const String& right) {
    String result(left);
    result += right;
    return result;
}

String operator+(const String& left, const char* right) {
    String result(left);
    result += right;
    return result;
}

String operator+(const char* left, const String& right) {
    String result(left);
    result += right;
    return result;
}

int CompareText(const char* left, const char* right, int caseSensitive) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(left ? left : "");
    const unsigned char* b = reinterpret_cast<const unsigned char*>(right ? right : "");
    for (;; ++a, ++b) {
        int difference = caseSensitive ? *a - *b : FoldedSigned(*a) - FoldedSigned(*b);
        if (difference != 0 || *a == 0 || *b == 0) return difference;
    }
}

int CompareText(const char* left, const char* right) {
    return CompareText(left, right, caseSensitiveSetting);
}

bool operator==(const String& left, const char* right) {
    return CompareText(left.c_str(), right) == 0;
}
bool operator==(const char* left, const String& right) {
    return CompareText(left, right.c_str()) == 0;
}
bool operator==(const String& left, const String& right) {
    return CompareText(left.c_str(), right.c_str()) == 0;
}
bool operator!=(const String& left, const char* right) {
    return !(left == right);
}
bool operator!=(const char* left, const String& right) {
    return !(left == right);
}
bool operator!=(const String& left, const String& right) {
    return !(left == right);
}
