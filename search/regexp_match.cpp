// TRegexp::Find. The recursive backtracking search that defines the result
// tries the starts from left to right and, at each, the ways through the
// pattern in a fixed order (a repetition first takes as much as it can and
// then gives back one byte at a time). Here all starts and all ways advance
// together over the text, one byte at a time, as threads kept in that order
// of priority: the first thread to finish fixes the match and every thread
// behind it is dropped, those ahead of it go on and may still replace it.
// Two threads in the same step at the same byte have the same future, so
// only the one ahead is kept: at most one thread per step, hence the bound of
// (text length) x (steps) and the fixed memory.
#include "search/regexp.h"
#include "search/regexp_program.h"

#include <cstring>
#include <utility>

namespace {

const int kStates = RegexpProgram::kMaxSteps + 1; // the steps and the final state

struct Thread {
    const unsigned char* start; // where its match began
    int state;                  // the step it waits in
};

// The threads waiting at one position, ahead first; one per state.
class ThreadList {
public:
    // Only the first `states` states are ever used.
    void Init(int states) {
        _count = 0;
        _generation = 0;
        std::memset(_addedIn, 0, states * sizeof _addedIn[0]);
    }
    void Clear() {
        _count = 0;
        ++_generation;
    }
    void Add(int state, const unsigned char* start) {
        if (_addedIn[state] == _generation) return;
        _addedIn[state] = _generation;
        _threads[_count++] = Thread{start, state};
    }
    int GetCount() const { return _count; }
    const Thread& GetAt(int index) const { return _threads[index]; }

private:
    Thread _threads[kStates];
    int _count;
    unsigned _generation;
    unsigned _addedIn[kStates]; // the generation in which a state got its thread
};

class Simulation {
public:
    Simulation(const RegexpProgram& program, const unsigned char* searchStart)
        : _program(program), _searchStart(searchStart), _current(&_lists[0]), _next(&_lists[1]),
          _generation(0), _matchStart(nullptr), _matchEnd(nullptr) {
        // A short pattern clears only what it uses: Find runs once per match.
        int states = program.GetCount() + 1;
        _lists[0].Init(states);
        _lists[1].Init(states);
        std::memset(_visitedIn, 0, states * sizeof _visitedIn[0]);
    }

    // Runs over the text; true when there is a match (GetMatchStart/End).
    bool Run();
    const unsigned char* GetMatchStart() const { return _matchStart; }
    const unsigned char* GetMatchEnd() const { return _matchEnd; } // one past its last byte

private:
    void Step(const unsigned char* position);
    bool Follow(int state, const unsigned char* start, const unsigned char* position);
    const unsigned char* NextCandidate(const unsigned char* position) const;

    const RegexpProgram& _program;
    const unsigned char* _searchStart;
    ThreadList _lists[2];
    ThreadList* _current; // waiting at the position being stepped over
    ThreadList* _next;    // waiting at the position after it
    unsigned _generation;
    unsigned _visitedIn[kStates]; // the position's generation in which a state was passed
    const unsigned char* _matchStart;
    const unsigned char* _matchEnd;
};

bool Simulation::Run() {
    for (const unsigned char* position = _searchStart;; ++position) {
        if (_current->GetCount() == 0) {
            if (_matchStart != nullptr) break;
            if (position != _searchStart) {
                position = NextCandidate(position);
                if (position == nullptr) break;
            }
        }
        Step(position);
        if (*position == 0) break;
        std::swap(_current, _next);
    }
    return _matchStart != nullptr;
}

// With no thread alive, the next position at which a new match may begin, or
// null when there is none before the terminating zero.
const unsigned char* Simulation::NextCandidate(const unsigned char* position) const {
    const ByteSet& first = _program.GetFirstBytes();
    if (first.IsEmpty()) return nullptr;
    int only = first.TheOnlyByte();
    if (only >= 0) {
        const char* found = std::strchr(reinterpret_cast<const char*>(position), only);
        return reinterpret_cast<const unsigned char*>(found);
    }
    while (*position != 0 && !first.Has(*position))
        ++position;
    return *position != 0 ? position : nullptr;
}

// Moves every thread over the byte at `position`, in order, then starts a new
// one there (behind all others) while no match has been found. The
// terminating zero is never a start.
void Simulation::Step(const unsigned char* position) {
    ++_generation;
    _next->Clear();
    for (int i = 0; i < _current->GetCount(); ++i) {
        const Thread& thread = _current->GetAt(i);
        if (Follow(thread.state, thread.start, position)) return;
    }
    unsigned char byte = *position;
    if (_matchStart == nullptr && byte != 0 &&
        (position == _searchStart || _program.GetFirstBytes().Has(byte))) {
        Follow(0, position, position);
    }
}

// Follows one thread through the steps that take no byte, in order of
// priority, leaving a thread in `_next` for every step that takes the byte at
// `position`. True when it reaches the end of the program: the match it made
// replaces any earlier one, and the threads behind it are dropped.
bool Simulation::Follow(int state, const unsigned char* start, const unsigned char* position) {
    unsigned char byte = *position;
    for (;; ++state) {
        if (_visitedIn[state] == _generation) return false; // a thread ahead was here
        _visitedIn[state] = _generation;
        if (state == _program.GetCount()) {
            _matchStart = start;
            _matchEnd = position;
            return true;
        }
        const RegexpStep& step = _program.GetStep(state);
        switch (step.kind) {
        case RegexpStep::kStartAnchor:
            if (position != _searchStart && !IsLineStart(position)) return false;
            break;
        case RegexpStep::kEndAnchor:
            if (!IsLineEnd(byte)) return false;
            break;
        case RegexpStep::kConsume: {
            bool takes = step.bytes.Has(byte);
            if (step.repeat == RegexpStep::kStar) {
                if (takes) _next->Add(state, start); // taking more comes first
                break;
            }
            if (step.repeat == RegexpStep::kOptional) {
                if (takes) _next->Add(state + 1, start); // taking it comes first
                break;
            }
            if (takes) _next->Add(state + 1, start);
            return false;
        }
        }
    }
}

// An empty text matches only a pattern that is, or begins with, the end
// anchor, or is the start anchor alone or followed by the end anchor.
bool MatchesEmptyText(const unsigned char* code) {
    if (code[0] == TRegexp::kEndAnchor) return true;
    return code[0] == TRegexp::kStartAnchor &&
           (code[1] == 0 || (code[1] == TRegexp::kEndAnchor && code[2] == 0));
}

} // namespace

int TRegexp::Find(const char* text, int start, int& length) const {
    length = 0;
    if (_pattern == nullptr || _status != kValid) return -1;
    const unsigned char* searchStart = reinterpret_cast<const unsigned char*>(text) + start;
    if (*searchStart == 0) {
        if (!MatchesEmptyText(_pattern)) return -1;
        length = 1;
        return start;
    }
    RegexpProgram program(_pattern);
    Simulation simulation(program, searchStart);
    if (!simulation.Run()) return -1;
    // The match ends with the byte before the end position; an empty match at
    // the search start still counts as one byte long.
    int offset = static_cast<int>(simulation.GetMatchStart() - searchStart) + start;
    int last = static_cast<int>(simulation.GetMatchEnd() - searchStart) - 1;
    if (last < 0) last = 0;
    length = last + start - offset + 1;
    return offset;
}
