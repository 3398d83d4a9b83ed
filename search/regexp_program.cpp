#include "search/regexp_program.h"

#include <cstring>

void ByteSet::AddAll(const ByteSet& other) {
    for (int i = 0; i < 8; ++i)
        _words[i] |= other._words[i];
}

void ByteSet::Clear() {
    std::memset(_words, 0, sizeof _words);
}

void ByteSet::Fill() {
    std::memset(_words, 0xFF, sizeof _words);
}

bool ByteSet::IsEmpty() const {
    for (std::uint32_t word : _words) {
        if (word != 0) return false;
    }
    return true;
}

int ByteSet::TheOnlyByte() const {
    int found = -1;
    for (int i = 0; i < 8; ++i) {
        std::uint32_t word = _words[i];
        if (word == 0) continue;
        if (found >= 0 || (word & (word - 1)) != 0) return -1;
        int bit = 0;
        while ((word >> bit) != 1)
            ++bit;
        found = i * 32 + bit;
    }
    return found;
}

namespace {

// One element that is not a repetition (a repetition code read here is a
// literal byte).
struct Element {
    RegexpStep::Kind kind;
    ByteSet bytes;
    int next; // index of the byte after it
};

Element ReadElement(const unsigned char* code, int index) {
    Element element;
    element.next = index + 1;
    element.bytes.Clear();
    unsigned char byte = code[index];
    if (byte == TRegexp::kStartAnchor) {
        element.kind = RegexpStep::kStartAnchor;
        return element;
    }
    if (byte == TRegexp::kEndAnchor) {
        element.kind = RegexpStep::kEndAnchor;
        return element;
    }
    element.kind = RegexpStep::kConsume;
    if (byte == TRegexp::kAnyChar) {
        element.bytes.Fill();
        element.bytes.Remove('\n'); // a match stays on its line
        element.bytes.Remove('\r');
    } else if (byte == TRegexp::kClass) {
        // Bytes from 0x80 share the bits of their lower-half counterparts.
        for (int value = 0; value < 128; ++value) {
            if ((CodeAt(code, index + 1 + (value >> 3)) >> (value & 7)) & 1) {
                element.bytes.Add(static_cast<unsigned char>(value));
                element.bytes.Add(static_cast<unsigned char>(value + 128));
            }
        }
        element.next = index + TRegexp::kClassSize;
    } else {
        element.bytes.Add(byte);
    }
    element.bytes.Remove(0); // the terminating zero is no byte of the text
    return element;
}

} // namespace

RegexpProgram::RegexpProgram(const unsigned char* code) : _count(0), _lineLiteralLength(0) {
    Decode(code);
    FindFirstBytes();
    FindLineLiteral();
}

bool RegexpProgram::MatchesEmptyAtLineEnd() const {
    for (int i = 0; i < _count; ++i) {
        const RegexpStep& step = _steps[i];
        if (step.kind == RegexpStep::kStartAnchor) return false;
        if (step.kind == RegexpStep::kConsume && step.repeat == RegexpStep::kOnce) return false;
    }
    return true;
}

void RegexpProgram::AddStep(RegexpStep::Kind kind, RegexpStep::Repeat repeat,
                            const ByteSet& bytes) {
    RegexpStep& step = _steps[_count++];
    step.kind = kind;
    step.repeat = repeat;
    step.bytes = bytes;
}

void RegexpProgram::Decode(const unsigned char* code) {
    int index = 0;
    while (CodeAt(code, index) != 0) {
        unsigned char byte = code[index];
        if (!IsRepetition(byte)) {
            Element element = ReadElement(code, index);
            AddStep(element.kind, RegexpStep::kOnce, element.bytes);
            index = element.next;
            continue;
        }
        if (CodeAt(code, index + 1) == 0) {
            // A repetition of the closing zero, which matches no byte: `*` and
            // `?` of it match the empty text, `+` never matches.
            ByteSet none;
            none.Clear();
            if (byte == TRegexp::kOneOrMore) AddStep(RegexpStep::kConsume, RegexpStep::kOnce, none);
            return;
        }
        Element element = ReadElement(code, index + 1);
        index = element.next;
        if (element.kind != RegexpStep::kConsume) {
            // A zero-width element repeated: the repetition stops as soon as
            // it does not move, so only the first, mandatory try of `+` counts.
            if (byte == TRegexp::kOneOrMore)
                AddStep(element.kind, RegexpStep::kOnce, element.bytes);
        } else if (byte == TRegexp::kZeroOrOne) {
            AddStep(RegexpStep::kConsume, RegexpStep::kOptional, element.bytes);
        } else {
            if (byte == TRegexp::kOneOrMore) {
                AddStep(RegexpStep::kConsume, RegexpStep::kOnce, element.bytes);
            }
            AddStep(RegexpStep::kConsume, RegexpStep::kStar, element.bytes);
        }
    }
}

// A superset is enough: the bytes that the steps which may come first consume
// (a start anchor lets the steps behind it come first), LF and CR for an end
// anchor, every byte when the program can match without consuming.
void RegexpProgram::FindFirstBytes() {
    _firstBytes.Clear();
    for (int i = 0; i < _count; ++i) {
        const RegexpStep& step = _steps[i];
        if (step.kind == RegexpStep::kStartAnchor) continue;
        if (step.kind == RegexpStep::kEndAnchor) {
            _firstBytes.Add('\n');
            _firstBytes.Add('\r');
            return;
        }
        _firstBytes.AddAll(step.bytes);
        if (step.repeat == RegexpStep::kOnce) return;
    }
    _firstBytes.Fill();
    _firstBytes.Remove(0);
}

void RegexpProgram::FindLineLiteral() {
    uint32_t runStart = 0, runLength = 0;
    for (int i = 0; i < _count; ++i) {
        const RegexpStep& step = _steps[i];
        if (step.kind == RegexpStep::kConsume && (step.bytes.Has('\n') || step.bytes.Has('\r'))) {
            _lineLiteralLength = 0;
            return;
        }
        const bool oneByte = step.kind == RegexpStep::kConsume &&
                             step.repeat == RegexpStep::kOnce && step.bytes.TheOnlyByte() >= 0;
        runLength = oneByte ? runLength + 1 : 0;
        if (runLength > _lineLiteralLength) {
            runStart = static_cast<uint32_t>(i) + 1 - runLength;
            _lineLiteralLength = runLength;
        }
    }
    for (uint32_t i = 0; i < _lineLiteralLength; ++i)
        _lineLiteral[i] = static_cast<unsigned char>(_steps[runStart + i].bytes.TheOnlyByte());
}
