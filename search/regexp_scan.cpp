#include "search/regexp_scan.h"

#include "search/plain_search.h"
#include "search/search_pulse.h"

#include <cstring>

RegexpScan::RegexpScan(const RegexpProgram& program, const unsigned char* text, uint32_t length,
                       SearchPulse* pulse)
    : _program(program), _first(program.GetFirstBytes()), _onlyFirst(_first.TheOnlyByte()),
      _firstNone(_first.IsEmpty()), _text(text), _length(length), _pulse(pulse) {
    std::memset(_enteredAt, 0, sizeof _enteredAt);
}

void RegexpScan::Work(uint32_t bytes) {
    _work += bytes;
    if (_work < pulseInterval) return;
    _work = 0;
    if (_pulse != nullptr && _pulse->Pulse() != 0) _stopped = true;
}

bool RegexpScan::StartAnchorHolds(uint32_t position) const {
    return position == 0 || IsLineStart(_text + position);
}

// The first occurrence of the line literal from `from` on, a piece of at most
// the pulse's interval at a time; the length when there is none (or the scan
// was stopped).
uint32_t RegexpScan::FindLiteral(uint32_t from) {
    const PlainQuery query = {_program.GetLineLiteral(), _program.GetLineLiteralLength(), 0, 0};
    for (uint32_t position = from; position < _length && !_stopped;) {
        const uint32_t piece =
            _length - position < pulseInterval ? _length - position : pulseInterval;
        uint32_t found;
        const bool hit = FindPlainMatches(_text, _length, query, &found, 1, nullptr, position,
                                          position + piece) > 0;
        Work(hit ? found - position : piece);
        if (hit) return found;
        position += piece;
    }
    return _length;
}

// Where the candidates go on from `from`: the start of the line that holds
// the next occurrence of the line literal, or `from` itself when that line
// began before it; the length when no occurrence is left.
uint32_t RegexpScan::LineOfLiteral(uint32_t from) {
    if (!_literalSought || _literalAt < from) {
        _literalSought = true;
        _literalAt = FindLiteral(from);
        if (_literalAt >= _length) return _length;
        uint32_t line = _literalAt;
        while (line > from && _text[line - 1] != '\n' && _text[line - 1] != '\r')
            --line;
        Work(_literalAt - line);
        _literalLine = line;
    }
    if (_literalAt >= _length) return _length;
    return _literalLine > from ? _literalLine : from;
}

uint32_t RegexpScan::NextCandidate(uint32_t from, uint32_t limit) {
    if (_firstNone) return limit;
    if (_program.GetLineLiteralLength() > 0) {
        from = LineOfLiteral(from);
        if (from >= limit) return limit;
    }
    // A piece of at most the pulse's interval at a time.
    for (uint32_t position = from; position < limit && !_stopped;) {
        const uint32_t piece = limit - position < pulseInterval ? limit - position : pulseInterval;
        uint32_t found = position + piece; // none in this piece
        if (_onlyFirst >= 0) {
            if (const void* at = std::memchr(_text + position, _onlyFirst, piece))
                found = static_cast<uint32_t>(static_cast<const unsigned char*>(at) - _text);
        } else {
            for (uint32_t at = position; at < position + piece; ++at) {
                if (_first.Has(_text[at])) {
                    found = at;
                    break;
                }
            }
        }
        Work(found - position);
        if (found < position + piece) return found;
        position += piece;
    }
    return limit;
}

// Follows a thread from `state` at `position` through the steps that take no
// byte, adding to `waiting` every step where it waits for the byte there. A
// state entered before at the same position has been followed already.
template <class Set>
inline void RegexpScan::Enter(int state, uint32_t position, Set& waiting) {
    const int count = _program.GetCount();
    const uint32_t stamp = position + 1;
    for (; _enteredAt[state] != stamp; ++state) {
        _enteredAt[state] = stamp;
        if (state == count) { // a match: it waits for nothing
            _segmentMatchEnd = position;
            return;
        }
        const RegexpStep& step = _program.GetStep(state);
        if (step.kind == RegexpStep::kStartAnchor) {
            if (!StartAnchorHolds(position)) return;
        } else if (step.kind == RegexpStep::kEndAnchor) {
            if (!IsLineEnd(_text[position])) return;
        } else {
            waiting.Add(state);
            if (step.repeat == RegexpStep::kOnce) return;
        }
    }
}

uint32_t RegexpScan::SegmentEnd(uint32_t begin, uint32_t limit) {
    if (begin == _lastSegmentEnd)
        std::memset(_enteredAt, 0, (_program.GetCount() + 1) * sizeof _enteredAt[0]);
    _segmentMatchEnd = kNoMatch;
    switch ((_program.GetCount() + 32) / 32) { // the words of a set of all states
    case 1:
        _lastSegmentEnd = SegmentEndIn<1>(begin, limit);
        break;
    case 2:
        _lastSegmentEnd = SegmentEndIn<2>(begin, limit);
        break;
    case 3:
        _lastSegmentEnd = SegmentEndIn<3>(begin, limit);
        break;
    case 4:
        _lastSegmentEnd = SegmentEndIn<4>(begin, limit);
        break;
    default:
        _lastSegmentEnd = SegmentEndIn<(kStates + 31) / 32>(begin, limit);
        break;
    }
    return _lastSegmentEnd;
}

template <int Words>
uint32_t RegexpScan::SegmentEndIn(uint32_t begin, uint32_t limit) {
    // The sets are values, so that the compiler can keep them in registers.
    StateSet<Words> waiting, next;
    waiting.Clear();
    uint32_t worked = 0; // bytes not yet counted towards the pulse
    uint32_t position = begin;
    for (;; ++position) {
        const unsigned char byte = _text[position];
        if (position < limit && _first.Has(byte)) Enter(0, position, waiting);
        if (position == _length) break;
        next.Clear();
        for (int word = 0; word < Words; ++word) {
            for (uint32_t bits = waiting.words[word]; bits != 0; bits &= bits - 1) {
                const int state = word * 32 + __builtin_ctz(bits);
                const RegexpStep& step = _program.GetStep(state);
                if (step.bytes.Has(byte))
                    Enter(step.repeat == RegexpStep::kStar ? state : state + 1, position + 1, next);
            }
        }
        ++worked;
        if (next.IsEmpty()) {
            ++position;
            break;
        }
        waiting = next;
        if (worked == pulseInterval) {
            Work(worked);
            worked = 0;
            if (_stopped) return position + 1;
        }
    }
    Work(worked);
    return position;
}

// The match end reached from every step at `position` (kNoMatch for none),
// given those at the next position (`after`; null: no byte is taken here).
// A repetition takes the byte first and gives it back when the rest fails.
void RegexpScan::EndsAt(uint32_t position, const uint32_t* after, uint32_t* ends) const {
    const unsigned char byte = _text[position];
    const int count = _program.GetCount();
    const bool lineStart = StartAnchorHolds(position);
    const bool lineEnd = IsLineEnd(byte);
    ends[count] = position;
    for (int state = count - 1; state >= 0; --state) {
        const RegexpStep& step = _program.GetStep(state);
        switch (step.kind) {
        case RegexpStep::kStartAnchor:
            ends[state] = lineStart ? ends[state + 1] : kNoMatch;
            break;
        case RegexpStep::kEndAnchor:
            ends[state] = lineEnd ? ends[state + 1] : kNoMatch;
            break;
        case RegexpStep::kConsume: {
            uint32_t taken = kNoMatch;
            if (after != nullptr && step.bytes.Has(byte))
                taken = after[step.repeat == RegexpStep::kStar ? state : state + 1];
            if (taken == kNoMatch && step.repeat != RegexpStep::kOnce) taken = ends[state + 1];
            ends[state] = taken;
            break;
        }
        }
    }
}
