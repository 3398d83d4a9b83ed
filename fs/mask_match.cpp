#include "fs/mask_match.h"

#include <cstring>

#include "fs/name_case.h"

namespace {

bool IsAscii(const char* text) {
    for (; *text != '\0'; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

char UpcaseAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The wildcard match of `mask` over the whole of `name`: the last `*` met
// takes one more character whenever what follows it fails, which finds a
// fit whenever there is one (the mask has no other variable part).
template <class Unit, class Upcase>
bool Wildcard(const Unit* mask, const Unit* maskEnd, const Unit* name, const Unit* nameEnd,
              Upcase upcase) {
    const Unit* starMask = nullptr;
    const Unit* starName = nullptr;
    while (name != nameEnd) {
        if (mask != maskEnd && *mask == '*') {
            starMask = ++mask;
            starName = name;
        } else if (mask != maskEnd && (*mask == '?' || *mask == upcase(*name))) {
            ++mask;
            ++name;
        } else if (starMask != nullptr) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (mask != maskEnd && *mask == '*')
        ++mask;
    return mask == maskEnd;
}

template <class Unit>
bool HasDot(const Unit* name, const Unit* nameEnd) {
    for (; name != nameEnd; ++name)
        if (*name == '.') return true;
    return false;
}

// The length of `mask` without an ending `.*` or `.`, or npos.
size_t DotlessLength(const std::string& mask) {
    const size_t n = mask.size();
    if (n >= 2 && mask[n - 2] == '.' && mask[n - 1] == '*') return n - 2;
    if (n >= 1 && mask[n - 1] == '.') return n - 1;
    return std::string::npos;
}

} // namespace

NameMask::NameMask(const std::string& mask)
    : _mask(mask), _units(UpcasedName(mask.c_str())), _dotlessLength(DotlessLength(mask)),
      _ascii(IsAscii(mask.c_str())) {
    for (char& c : _mask)
        c = UpcaseAscii(c);
    // The ending is ASCII, as many units as bytes; in an ASCII mask every
    // character is one unit.
    if (_dotlessLength != std::string::npos)
        _dotlessLength = _units.size() - (mask.size() - _dotlessLength);
}

bool NameMask::Fits(const char* name) const {
    if (_ascii && IsAscii(name)) {
        const char* end = name + std::strlen(name);
        const char* mask = _mask.data();
        if (Wildcard(mask, mask + _mask.size(), name, end, UpcaseAscii)) return true;
        return _dotlessLength != std::string::npos && !HasDot(name, end) &&
               Wildcard(mask, mask + _dotlessLength, name, end, UpcaseAscii);
    }
    const std::u16string units = UpcasedName(name);
    const char16_t* begin = units.data();
    const char16_t* end = begin + units.size();
    const auto same = [](char16_t unit) { return unit; }; // upcased already
    const char16_t* mask = _units.data();
    if (Wildcard(mask, mask + _units.size(), begin, end, same)) return true;
    return _dotlessLength != std::string::npos && !HasDot(begin, end) &&
           Wildcard(mask, mask + _dotlessLength, begin, end, same);
}

int MatchMask(const char* mask, const char* name) {
    return NameMask(mask).Fits(name);
}
