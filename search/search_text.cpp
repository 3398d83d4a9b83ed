#include "search/search_text.h"

#include "base/memory_shortage.h"
#include "search/hit_record.h"
#include "search/line_pass.h"
#include "search/pattern_search.h"
#include "search/plain_search.h"
#include "search/search_file.h"
#include "search/text_statistics.h"
#include "search/text_walk.h"
#include "search/word_chars.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace {

// The pattern matcher counts offsets in an int, and a copy of a window that
// cannot be made whole is made this many bytes at a time.
constexpr uint32_t maxPatternCopy = INT32_MAX - 1;
constexpr uint32_t patternCopyWindow = 32u << 20;
// Pattern matches found at a time where a batch's room is too small (16 MB).
constexpr int32_t wideBatch = 1 << 22;

// A stop counts the bytes gone through so far.
void CountStatistics(TextWalk& walk, RunCounterSet& counters) {
    TextStatistics counts = {0, 0, 0, 0, 0};
    walk.From(0, [&](const FileWindow& window, uint32_t from) -> uint64_t {
        const uint32_t end = PieceEnd(from, window.length);
        CountTextStatistics(window.data + from, end - from, counts);
        return window.start + end;
    });
    // Past 4 GiB the 32-bit counters wrap, as they do over a run's files.
    counters.realChars += counts.realChars;
    counters.totalChars += counts.totalChars;
    counters.realLines += counts.realLines;
    counters.lineBreaks += counts.lineBreaks;
}

// With RegEx on, a text made only of word characters is still searched
// plainly; any other byte makes it a pattern.
bool IsPatternText(const String& text) {
    for (unsigned char c : text) {
        if (!WordChars()[c]) return true;
    }
    return false;
}

// Each window starts one byte before the next position to try, so that the
// whole-word test sees the byte in front of a match.
uint64_t WindowStart(uint64_t from) {
    return from > 0 ? from - 1 : 0;
}

// The accepted matches of a file, a batch at a time. Where showing a window
// again is costly, a batch also ends, with fewer matches or none, where the
// search is about to leave the source's window, so that the line pass goes
// through the rest of that window before the source moves on: text
// converted from another encoding is then converted once.
class MatchFinder {
public:
    virtual ~MatchFinder() {}
    // Writes the offsets of the next matches, at most matchBatch of them, in
    // increasing order, and returns their count.
    virtual int32_t Next(uint64_t* positions) = 0;
    // The offset before which every match has been handed out; `done` once
    // no more follow or the search was stopped.
    virtual uint64_t Searched() const = 0;
};

// Goes a piece of at most pulseInterval positions at a time.
class PlainFinder : public MatchFinder {
public:
    PlainFinder(TextWalk& walk, const FileSearch& search)
        : _walk(walk), _windowPositions(search.workspace.windowPositions.get()) {
        _query = {reinterpret_cast<const unsigned char*>(search.query.text.c_str()),
                  static_cast<uint32_t>(search.query.text.size()), search.query.caseInsensitive,
                  search.query.wholeWords};
    }

    int32_t Next(uint64_t* positions) override {
        // A match is decided in a window when it and, for whole words, the
        // byte behind it lie inside; the positions after the last decided
        // one are tried again in the next window, so windows overlap by
        // about the text.
        const uint32_t behind = _query.length + (_query.wholeWords ? 1 : 0);
        int32_t count = 0;
        if (_done) return 0;
        _walk.From(WindowStart(_from), [&](const FileWindow& window, uint32_t) -> uint64_t {
            const uint32_t decided = window.last ? window.length : window.length - behind + 1;
            const uint32_t until = PieceEnd(window.Local(_from), decided);
            uint32_t stoppedAt = 0;
            const int32_t found =
                FindPlainMatches(window.data, window.length, _query, _windowPositions,
                                 matchBatch - count, &stoppedAt, window.Local(_from), until);
            _from = window.start + until;
            for (int32_t i = 0; i < found; ++i) {
                positions[count] = window.start + _windowPositions[i];
                if (positions[count] + _query.length > _from)
                    _from = positions[count] + _query.length;
                ++count;
            }
            if (count == matchBatch) {
                _from = window.start + stoppedAt;
                return TextWalk::done;
            }
            if (window.last && until == decided) {
                _done = true;
                return TextWalk::done;
            }
            return _walk.MayGoOn(window, WindowStart(_from)) ? WindowStart(_from) : TextWalk::done;
        });
        return count;
    }

    uint64_t Searched() const override {
        return _done || _walk.Pulse().Stopped() ? TextWalk::done : _from;
    }

private:
    TextWalk& _walk;
    uint32_t* _windowPositions;
    PlainQuery _query;
    uint64_t _from = 0; // the next position to try
    bool _done = false;
};

// The matcher reads a zero-terminated text, so it searches the source's own
// text where that is one (a file read whole), else a copy of a window, of the
// whole file when memory allows; the search is case-sensitive whatever the
// query's caseInsensitive says. Raises bad_alloc when no copy can be made.
class PatternFinder : public MatchFinder {
public:
    PatternFinder(TextWalk& walk, const FileSearch& search, uint32_t reach)
        : _walk(walk), _search(search), _reach(reach),
          _program(search.workspace.pattern.For(search.query.text.c_str())),
          _done(_program == nullptr) {
        if (walk.Source().TerminatedText() != nullptr) return;
        const uint32_t most = walk.Source().MaxWindow();
        _copySize = most < maxPatternCopy ? most : maxPatternCopy;
        _text.reset(new (std::nothrow) char[static_cast<size_t>(_copySize) + 1]);
        if (!_text && _copySize > patternCopyWindow) {
            _copySize = patternCopyWindow;
            _text.reset(new char[_copySize + 1]);
        }
        if (!_text) throw std::bad_alloc();
    }

    // A stop keeps the matches found before it and ends the search. A call
    // copies one window at most: a copy without matches hands out none.
    int32_t Next(uint64_t* positions) override {
        FilePulse& pulse = _walk.Pulse();
        bool copiedNow = false;
        while (_handedOut == _foundCount) {
            if (_done || pulse.Stopped()) return 0;
            if (!Holds(_from)) {
                if ((copiedNow && _walk.KeepsPassesTogether()) || !CopyFrom(_from)) return 0;
                copiedNow = true;
            }
            uint32_t* room = _wide ? _wide.get() : _search.workspace.windowPositions.get();
            const int32_t capacity = _wide ? wideBatch : matchBatch;
            const int32_t found = FindPatternMatches(
                _searched, _length, *_program, _search.query.wholeWords, room, capacity,
                static_cast<uint32_t>(_from - _copyStart), _decided, &pulse);
            // The matches of one stretch of text are resolved together, in
            // one pass back over it: where they are many (a long line, a
            // match at every byte), a batch would cost the stretch's length
            // each time, so they are found together and handed out in batches.
            if (found == capacity && !_wide) {
                _wide.reset(new (std::nothrow) uint32_t[wideBatch]);
                if (_wide) continue;
            }
            _found = room;
            _foundCount = found;
            _handedOut = 0;
            if (found == capacity) {
                _from = _copyStart + room[found - 1] + 1;
            } else {
                _done = _last || pulse.Stopped();
                _from = _copyStart + _decided;
            }
        }
        const int32_t count =
            _foundCount - _handedOut < matchBatch ? _foundCount - _handedOut : matchBatch;
        for (int32_t i = 0; i < count; ++i)
            positions[i] = _copyStart + _found[_handedOut + i];
        _handedOut += count;
        return count;
    }

    uint64_t Searched() const override {
        if (_handedOut < _foundCount) return _copyStart + _found[_handedOut];
        return _done || _walk.Pulse().Stopped() ? TextWalk::done : _from;
    }

private:
    // Whether the copy lets the search go on from `from`: the byte before it
    // lies in the copy (for the whole-word test), and it lies before the
    // copy's decided part ends.
    bool Holds(uint64_t from) const {
        return _copied && (from > _copyStart || _copyStart == 0) && from < _copyStart + _decided;
    }

    // Copies the window at WindowStart(from) in pieces; false when a stop
    // came first.
    bool CopyFrom(uint64_t from) {
        if (const char* whole = _walk.Source().TerminatedText()) {
            const FileWindow window = _walk.WindowAt(0);
            _searched = whole;
            _copied = _last = true;
            _copyStart = 0;
            _length = _decided = window.length;
            return true;
        }
        FilePulse& pulse = _walk.Pulse();
        const FileWindow window = _walk.WindowAt(WindowStart(from));
        const uint32_t length = window.length < _copySize ? window.length : _copySize;
        for (uint32_t at = 0; at < length;) {
            const uint32_t end = PieceEnd(at, length);
            ReadGuarded(window, [&] { memcpy(_text.get() + at, window.data + at, end - at); });
            at = end;
            if (at < length && pulse.Pulse()) return false;
        }
        _text[length] = 0;
        _searched = _text.get();
        _copied = true;
        _copyStart = window.start;
        _length = length;
        // The text ends in this copy at the text's end or its first zero
        // byte; otherwise only matches that start `reach` before the copy's
        // end are kept, and the next copy starts there.
        _last = (window.last && length == window.length) || strnlen(_text.get(), length) < length;
        _decided = _last ? length : length - _reach;
        return true;
    }

    TextWalk& _walk;
    const FileSearch& _search;
    uint32_t _reach;
    const RegexpProgram* _program;   // null: the pattern does not compile, and finds nothing
    std::unique_ptr<char[]> _text;   // the copy, when the source's text is not searched
    const char* _searched = nullptr; // the text searched: the copy or the source's
    uint32_t _copySize;
    bool _copied = false;
    uint64_t _copyStart = 0; // text offset of the copy's first byte
    uint32_t _length = 0;
    uint32_t _decided = 0;
    bool _last = false;
    uint64_t _from = 0; // the next start to look at
    bool _done;
    std::unique_ptr<uint32_t[]> _wide; // room for many matches, had when needed
    const uint32_t* _found = nullptr;  // matches in the copy, found and not all handed out
    int32_t _foundCount = 0;
    int32_t _handedOut = 0;
};

// The delimiter rule over the first bytes of the text, in as many windows as
// they take.
unsigned char DelimiterOf(TextWalk& walk) {
    unsigned char delimiter = '\n';
    walk.Behind(
        0,
        [&](const FileWindow& window, uint32_t from) -> uint64_t {
            const uint64_t end = window.End() < maxLineText ? window.End() : maxLineText;
            delimiter = LineDelimiterOf(window.data + from,
                                        static_cast<uint32_t>(end - window.start - from));
            return delimiter == '\n' && end < maxLineText ? end : TextWalk::done;
        },
        true);
    return delimiter;
}

// Turns the batches of offsets into the file's records, kept aside until
// Finish() appends them all to the results' hitList, or into the lines a
// drain prepares (FileSearch::drain); when the bytes fault the maker is
// dropped and neither is added. When memory for the records runs out, the
// ones made so far are kept and hitListFull is set.
// The line pass goes no further than the last offset, which the search
// reached before any stop, so a stop does not cut it short; it pulses all the
// same.
class RecordMaker {
public:
    RecordMaker(const String& path, TextWalk& walk, const FileSearch& search)
        : _path(path), _walk(walk), _search(search),
          _pass(DelimiterOf(walk), search.query.fileNamesOnly),
          _textBefore(search.lines != nullptr ? search.lines->text.size() : 0),
          _linesBefore(search.lines != nullptr ? search.lines->count : 0) {}

    // Without Finish() (the bytes faulted): the lines prepared go as the
    // records would.
    ~RecordMaker() {
        if (!_finished && _search.lines != nullptr) {
            _search.lines->text.resize(_textBefore);
            _search.lines->count = _linesBefore;
        }
    }

    // Returns false once the file needs no more offsets: its one record in
    // file-names-only mode is made, or memory ran out.
    bool Add(const uint64_t* offsets, int32_t count) {
        HitLine* hitLines = _search.workspace.hitLines.get();
        _pass.Start(offsets, count, hitLines);
        _walk.Behind(
            _pass.Scanned(),
            [&](const FileWindow& window, uint32_t from) -> uint64_t {
                const uint32_t end = PieceEnd(from, window.length);
                const FileWindow piece = {window.data + from, window.start + from, end - from,
                                          window.last && end == window.length};
                return _pass.Continue(piece) ? _pass.Scanned() : TextWalk::done;
            },
            true);
        const int32_t lines = _pass.Result().records;
        const int32_t before = _made;
        RunResults& results = _search.results;
        try {
            // The shortage: memory ran out, maybe for the record made last,
            // which the run's reserve then served (host/memory_headroom.h).
            const MemoryShortage* shortage = _search.shortage;
            for (int32_t i = 0; i < lines && !results.hitListFull; ++i) {
                if (shortage != nullptr && shortage->RanOut()) {
                    results.hitListFull = 1;
                    break;
                }
                Make(hitLines[i]);
                ++_made;
            }
        } catch (const std::bad_alloc&) {
            results.hitListFull = 1;
        }
        const int32_t made = _made - before;
        uint32_t handled = _pass.Result().offsetsHandled;
        if (results.hitListFull && made < lines) {
            // The hits counted are those of the lines kept: the offsets before
            // the first line left out.
            const uint64_t firstLeftOut = hitLines[made].lineStart;
            handled = static_cast<uint32_t>(
                std::lower_bound(offsets, offsets + count, firstLeftOut) - offsets);
        }
        _offsets += handled;
        return !results.hitListFull && !(_search.query.fileNamesOnly && _made > 0);
    }

    // Counts the lines up to `searched`, where the search stands; a stop
    // ends the count, as it ends the search.
    void CountTo(uint64_t searched) {
        if (searched <= _pass.Scanned()) return;
        _walk.Behind(_pass.Scanned(), [&](const FileWindow& window, uint32_t from) -> uint64_t {
            const uint32_t end = PieceEnd(from, window.length);
            const FileWindow piece = {window.data + from, window.start + from, end - from,
                                      window.last && end == window.length};
            return _pass.CountTo(piece, searched) ? _pass.Scanned() : TextWalk::done;
        });
    }

    // Appends the records and counts the hits; returns the records' count.
    int32_t Finish() {
        RunResults& results = _search.results;
        results.counters.hitCount += _offsets;
        while (GrepInfo* record = _records.GetHead()) {
            _records.Remove(record);
            results.hitList.AddTail(record);
        }
        _finished = true;
        return _made;
    }

private:
    // The record of `hit`, or its line in the drain's.
    void Make(const HitLine& hit) {
        const bool onlyName = _search.query.fileNamesOnly != 0;
        const int32_t lineNumber = onlyName ? 1 : hit.lineNumber;
        LineTextReader text(hit.lineStart, _pass.Delimiter());
        if (!onlyName) {
            _walk.Behind(
                hit.lineStart,
                [&](const FileWindow& window, uint32_t) -> uint64_t {
                    return text.Read(window) ? TextWalk::done : text.Position();
                },
                true);
        }
        const uint32_t length = onlyName ? 0 : text.Length();
        if (_search.drain != nullptr) {
            _search.drain->PrepareLine(_path, lineNumber, text.Text(), length, *_search.lines);
            return;
        }
        if (!_name) _name.reset(new SharedText(_path)); // one copy for all the records
        _records.AddTail(
            new GrepInfo(*_name, String(std::string(text.Text(), length)), lineNumber));
    }

    const String& _path;
    TextWalk& _walk;
    const FileSearch& _search;
    LinePass _pass;
    std::unique_ptr<SharedText> _name;
    List<GrepInfo> _records; // owning: dropped whole on a failure
    int32_t _made = 0;       // records or lines
    uint32_t _offsets = 0;   // the hits counted
    // What the drain's lines held before the file's: restored on a failure.
    const size_t _textBefore;
    const int32_t _linesBefore;
    bool _finished = false;
};

} // namespace

int SearchText(const String& path, WindowSource& source, const FileSearch& search, uint32_t reach,
               FilePulse& pulse) {
    TextWalk walk(source, pulse);
    if (search.query.statistics) {
        CountStatistics(walk, search.results.counters);
        return 0;
    }
    std::optional<PatternFinder> patternFinder;
    std::optional<PlainFinder> plainFinder;
    MatchFinder* finder =
        search.query.pattern && IsPatternText(search.query.text)
            ? static_cast<MatchFinder*>(&patternFinder.emplace(walk, search, reach))
            : &plainFinder.emplace(walk, search);
    uint64_t* positions = search.workspace.matchPositions.get();
    int32_t count = finder->Next(positions);
    if (count == 0 && finder->Searched() == TextWalk::done) return 0;
    // The line pass follows the search batch by batch, and before the search
    // moves to the next window it goes through the rest of the present one,
    // with or without matches there: it never asks for a window the search
    // has left behind (which a converted text would convert again).
    RecordMaker maker(path, walk, search);
    for (;;) {
        if (count > 0 && !maker.Add(positions, count)) break;
        const uint64_t searched = finder->Searched();
        if (searched == TextWalk::done) break;
        maker.CountTo(searched);
        count = finder->Next(positions);
    }
    return maker.Finish();
}

int SearchFileWindows(const String& path, WindowSource& source, const FileSearch& search,
                      uint32_t reach) {
    try {
        FilePulse pulse(search.pulse);
        return SearchText(path, source, search, reach, pulse);
    } catch (...) {
        return -1;
    }
}
