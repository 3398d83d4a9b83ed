// RegexpScan: every match of a pattern in a text, found in one pass, for the
// file search. For each position it tells whether a match starts there and
// where the match of the backtracking search (leftmost start, greedy
// repetitions that give back on demand) ends, exactly as TRegexp::Find would
// from that position, with one difference: the scan is one search that began
// at the text's start, so the start anchor holds at offset 0 and at line
// starts, never merely because a position follows a match.
//
// The text falls into segments. Forward from a position where a match may
// start, the steps that wait for the next byte are followed (one set, no
// priorities, new starts joining) until none is left: no match that starts in
// the segment reaches past its end. When a match ended in it, the segment is
// then gone through backwards from the last position where one ended: the end
// that the backtracking search reaches from step s at position p depends only
// on the ends at p + 1 and on those of the later steps at p, so one array of
// ends per position gives the match of every start in the segment. Both
// passes cost (segment length) x (steps): a text costs its length times the
// pattern's steps, however many matches it holds.
//
// When every match lies within one line and holds a run of given bytes
// (RegexpProgram::GetLineLiteral), the candidates skip every line without
// that run: it is found by the plain search's vector scan, so a pattern such
// as [a-z_]+_lock\( costs about what its literal _lock( costs.
#pragma once

#include <cstdint>

#include "search/regexp_program.h"

class SearchPulse;

class RegexpScan {
public:
    enum : uint32_t { kNoMatch = UINT32_MAX };

    // `text` holds `length` bytes, none of them zero, and a zero byte behind
    // them, which is read. `pulse` (may be null) is called every 64 KiB of
    // work; once it returns nonzero, Stopped() is true and the scan ends.
    RegexpScan(const RegexpProgram& program, const unsigned char* text, uint32_t length,
               SearchPulse* pulse);

    // The first position from `from` on, below `limit` (at most the length),
    // at which a match may start; `limit` when there is none. Calls come with
    // `from` never below the one before.
    uint32_t NextCandidate(uint32_t from, uint32_t limit);

    // The end of the segment that begins at `begin` (below `limit`) when new
    // starts join only below `limit`: no match that starts in it ends later.
    uint32_t SegmentEnd(uint32_t begin, uint32_t limit);

    // Calls found(start, end) for every match that starts in [begin, end of
    // the segment) and below `limit`, the last one first; `end` lies one past
    // the match's last byte. `segmentEnd` comes from SegmentEnd(begin, limit),
    // called last; a segment in which no match ended costs nothing here.
    // False when the scan was stopped (found may have been called for a part
    // of the segment only).
    template <class Found>
    bool Resolve(uint32_t begin, uint32_t segmentEnd, uint32_t limit, Found& found);

    bool Stopped() const { return _stopped; }

private:
    enum { kStates = RegexpProgram::kMaxSteps + 1 }; // the steps and the final state

    // A set of states, in as many words as the program needs.
    template <int Words>
    struct StateSet {
        uint32_t words[Words];
        void Clear() {
            for (uint32_t& word : words)
                word = 0;
        }
        void Add(int state) { words[state >> 5] |= uint32_t(1) << (state & 31); }
        bool IsEmpty() const {
            for (uint32_t word : words) {
                if (word != 0) return false;
            }
            return true;
        }
    };

    template <int Words>
    uint32_t SegmentEndIn(uint32_t begin, uint32_t limit);
    uint32_t LineOfLiteral(uint32_t from);
    uint32_t FindLiteral(uint32_t from);
    template <class Set>
    void Enter(int state, uint32_t position, Set& waiting);
    bool StartAnchorHolds(uint32_t position) const;
    void EndsAt(uint32_t position, const uint32_t* after, uint32_t* ends) const;
    void Work(uint32_t bytes);

    const RegexpProgram& _program;
    const ByteSet& _first; // the bytes at which a match may start
    const int _onlyFirst;  // the only such byte, or -1
    const bool _firstNone; // no match can start anywhere
    const unsigned char* _text;
    uint32_t _length;
    SearchPulse* _pulse;
    uint32_t _work = 0; // bytes gone through since the last pulse
    bool _stopped = false;
    // The next occurrence of the line literal that was looked for, and the
    // start of its line (not before where the search for it began).
    uint32_t _literalAt = 0;
    uint32_t _literalLine = 0;
    bool _literalSought = false;
    uint32_t _segmentMatchEnd = kNoMatch; // the last position where a match of it ended
    uint32_t _lastSegmentEnd = kNoMatch;
    // 1 + the position at which a state was last entered. Only the segment
    // that ended where the next one begins leaves marks that a later segment
    // could meet, so they are cleared then.
    uint32_t _enteredAt[kStates];
};

template <class Found>
bool RegexpScan::Resolve(uint32_t begin, uint32_t segmentEnd, uint32_t limit, Found& found) {
    const uint32_t last = _segmentMatchEnd;
    if (last == kNoMatch) return true;
    uint32_t lists[2][kStates];
    uint32_t* after = lists[0];
    uint32_t* here = lists[1];
    // No match that starts in the segment ends after `last`, so a byte taken
    // there leads to none: the ends there are those of the steps that take no
    // byte. Only an empty match can start there.
    EndsAt(last, nullptr, after);
    if (last < segmentEnd && last < limit && after[0] != kNoMatch) found(last, after[0]);
    for (uint32_t position = last; position-- > begin;) {
        EndsAt(position, after, here);
        if (here[0] != kNoMatch && position < limit) found(position, here[0]);
        uint32_t* swap = after;
        after = here;
        here = swap;
        Work(1);
        if (_stopped) return false;
    }
    return true;
}
