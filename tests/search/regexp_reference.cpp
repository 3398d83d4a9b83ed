#include "tests/search/regexp_reference.h"

#include "search/regexp.h"
#include "search/regexp_program.h"
#include "search/regexp_scan.h"

#include <algorithm>
#include <cstring>

namespace {

class ReferenceMatcher {
public:
    ReferenceMatcher(const unsigned char* code, const unsigned char* text,
                     const unsigned char* origin, long budget)
        : _code(code), _text(text), _origin(origin), _budget(budget), _exhausted(false) {}

    // The position after the match of the code from `at` on, or null.
    const unsigned char* MatchHere(const unsigned char* cur, int at);
    bool IsExhausted() const { return _exhausted; }

private:
    bool MatchElement(int at, const unsigned char*& cur);
    int ElementEnd(int at) const {
        return CodeAt(_code, at) == TRegexp::kClass ? at + TRegexp::kClassSize : at + 1;
    }

    const unsigned char* _code;
    const unsigned char* _text;
    const unsigned char* _origin;
    long _budget;
    bool _exhausted;
};

// The element at `at` (a repetition code there is a literal byte).
bool ReferenceMatcher::MatchElement(int at, const unsigned char*& cur) {
    if (_budget >= 0 && --_budget < 0) _exhausted = true;
    if (_exhausted) return false;
    unsigned char element = CodeAt(_code, at);
    switch (element) {
    case TRegexp::kStartAnchor: // the origin, after a LF, after a CR without a LF
        return cur == _origin ||
               (cur > _text && (cur[-1] == '\n' || (cur[-1] == '\r' && *cur != '\n')));
    case TRegexp::kEndAnchor:
        return *cur == '\n' || *cur == '\r' || *cur == 0;
    case TRegexp::kAnyChar:
        if (*cur == 0 || *cur == '\n' || *cur == '\r') return false;
        ++cur;
        return true;
    case TRegexp::kClass: {
        if (*cur == 0) return false;
        int value = *cur & 0x7F;
        if (((CodeAt(_code, at + 1 + (value >> 3)) >> (value & 7)) & 1) == 0) return false;
        ++cur;
        return true;
    }
    default:
        if (*cur == 0 || *cur != element) return false;
        ++cur;
        return true;
    }
}

const unsigned char* ReferenceMatcher::MatchHere(const unsigned char* cur, int at) {
    for (;;) {
        unsigned char byte = CodeAt(_code, at);
        if (byte == 0) return cur;
        if (!IsRepetition(byte)) {
            if (!MatchElement(at, cur)) return nullptr;
            at = ElementEnd(at);
            continue;
        }
        int element = at + 1;
        // A repetition of the closing zero: the code ends with it.
        int rest = CodeAt(_code, element) == 0 ? element : ElementEnd(element);
        if (byte == TRegexp::kZeroOrOne) {
            const unsigned char* without = cur;
            if (MatchElement(element, cur)) {
                if (const unsigned char* end = MatchHere(cur, rest)) return end;
            }
            cur = without;
            at = rest;
            continue;
        }
        if (byte == TRegexp::kOneOrMore && !MatchElement(element, cur)) return nullptr;
        const unsigned char* lowest = cur;
        while (*cur != 0) {
            const unsigned char* before = cur;
            if (!MatchElement(element, cur) || cur == before) break;
        }
        if (CodeAt(_code, rest) == 0) return cur;
        for (const unsigned char* tried = cur;; --tried) {
            if (const unsigned char* end = MatchHere(tried, rest)) return end;
            if (tried == lowest) return nullptr;
        }
    }
}

} // namespace

bool ReferenceEmptyAtEnd(const unsigned char* code, int status, const char* text) {
    if (code == nullptr || status != 0) return false;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = bytes + strlen(text);
    ReferenceMatcher matcher(code, bytes, bytes, -1);
    return matcher.MatchHere(end, 0) == end;
}

ReferenceResult ReferenceFind(const unsigned char* code, int status, const char* text, int start,
                              long budget, int origin) {
    if (origin < 0) origin = start;
    ReferenceResult result = {-1, 0, false};
    if (code == nullptr || status != 0) return result;
    const unsigned char* searchStart = reinterpret_cast<const unsigned char*>(text) + start;
    if (*searchStart == 0) {
        if (code[0] == TRegexp::kEndAnchor ||
            (code[0] == TRegexp::kStartAnchor &&
             (code[1] == 0 || (code[1] == TRegexp::kEndAnchor && code[2] == 0)))) {
            result.offset = start;
            result.length = 1;
        }
        return result;
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    ReferenceMatcher matcher(code, bytes, bytes + origin, budget);
    for (const unsigned char* position = searchStart; *position != 0; ++position) {
        const unsigned char* end = matcher.MatchHere(position, 0);
        if (matcher.IsExhausted()) {
            result.exhausted = true;
            return result;
        }
        if (end != nullptr) {
            long last = (end - bytes) - 1;
            if (last < origin) last = origin;
            result.offset = static_cast<int>(position - bytes);
            result.length = static_cast<int>(last - result.offset) + 1;
            return result;
        }
    }
    return result;
}

std::vector<std::pair<int, int>> ReferenceMatches(const unsigned char* code, int status,
                                                  const char* text, long budget, bool& exhausted) {
    std::vector<std::pair<int, int>> matches;
    exhausted = false;
    const int length = static_cast<int>(std::strlen(text));
    for (int start = 0; start < length;) {
        ReferenceResult found = ReferenceFind(code, status, text, start, budget, 0);
        exhausted = found.exhausted;
        if (exhausted) break;
        if (found.offset < 0) break;
        matches.push_back({found.offset, found.length});
        start = found.offset + 1;
    }
    return matches;
}

std::vector<std::pair<int, int>> ScanMatches(const unsigned char* code, int status,
                                             const char* text) {
    std::vector<std::pair<int, int>> matches;
    if (code == nullptr || status != 0) return matches;
    const RegexpProgram program(code);
    const uint32_t length = static_cast<uint32_t>(std::strlen(text));
    RegexpScan scan(program, reinterpret_cast<const unsigned char*>(text), length, nullptr);
    auto found = [&](uint32_t start, uint32_t end) {
        const int matchLength = end == start && start == 0 ? 1 : static_cast<int>(end - start);
        matches.push_back({static_cast<int>(start), matchLength});
    };
    for (uint32_t at = 0;;) {
        const uint32_t begin = scan.NextCandidate(at, length);
        if (begin >= length) break;
        at = scan.SegmentEnd(begin, length);
        scan.Resolve(begin, at, length, found);
    }
    std::sort(matches.begin(), matches.end());
    return matches;
}
