#include "search/file_text_search.h"

#include "base/memory_shortage.h"
#include "fs/fault_guard.h"
#include "search/file_search.h"
#include "search/grep_info.h"
#include "search/line_pass.h"
#include "search/pattern_search.h"
#include "search/plain_search.h"
#include "search/regexp.h"
#include "search/search_pulse.h"
#include "search/text_statistics.h"
#include "search/word_chars.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

// The pattern matcher counts offsets in an int, and a copy of a file that
// cannot be made whole is made a window of this size at a time.
constexpr uint32_t maxPatternCopy = INT32_MAX - 1;
constexpr uint32_t patternCopyWindow = 32u << 20;

// The run's pulse for one file: once it has asked to stop, the file's search
// stays stopped. Every part of the search calls it after at most
// pulseInterval bytes of work when more work follows, so a small file is
// searched without a call.
class FilePulse : public SearchPulse {
public:
    explicit FilePulse(SearchPulse* run) : _run(run) {}
    int Pulse() override {
        if (!_stopped && _run != nullptr && _run->Pulse() != 0) _stopped = 1;
        return _stopped;
    }
    int Stopped() const { return _stopped; }

private:
    SearchPulse* _run;
    int _stopped = 0;
};

// The bytes from `from` up to `end` in pieces of at most pulseInterval bytes.
inline uint32_t PieceEnd(uint32_t from, uint32_t end) {
    return end - from > pulseInterval ? from + pulseInterval : end;
}

// A stop counts the bytes gone through so far.
int CountStatistics(WindowSource& source, FilePulse& pulse, RunCounterSet& counters) {
    TextStatistics counts = {0, 0, 0, 0, 0};
    for (uint64_t at = 0; at < source.FileSize() && !pulse.Stopped();) {
        const FileWindow window = source.WindowAt(at);
        const uint32_t from = window.Local(at);
        const uint32_t end = PieceEnd(from, window.length);
        auto count = [&] { CountTextStatistics(window.data + from, end - from, counts); };
        if (!RunGuarded(window.data, window.length, count)) return -1;
        at = window.start + end;
        if (at < source.FileSize()) pulse.Pulse();
    }
    // Past 4 GiB the 32-bit counters wrap, as they do over a run's files.
    counters.realChars += counts.realChars;
    counters.totalChars += counts.totalChars;
    counters.realLines += counts.realLines;
    counters.lineBreaks += counts.lineBreaks;
    return 0;
}

// With RegEx on, a text made only of word characters is still searched
// plainly; any other byte makes it a pattern.
bool IsPatternText(const String& text) {
    for (unsigned char c : text) {
        if (!wordChars[c]) return true;
    }
    return false;
}

// Each window starts one byte before the next position to try, so that the
// whole-word test sees the byte in front of a match.
FileWindow WindowFrom(WindowSource& source, uint64_t from) {
    return source.WindowAt(from > 0 ? from - 1 : 0);
}

// -1 when the bytes could not be read. A piece of at most pulseInterval
// positions at a time; a stop keeps the matches found before it.
int32_t FindPlain(WindowSource& source, FilePulse& pulse, const FileSearch& search) {
    const PlainQuery query = {reinterpret_cast<const unsigned char*>(search.query.text.c_str()),
                              static_cast<uint32_t>(search.query.text.size()),
                              search.query.caseInsensitive, search.query.wholeWords};
    uint64_t* matchPositions = search.workspace.matchPositions.get();
    uint32_t* windowPositions = search.workspace.windowPositions.get();
    const uint64_t size = source.FileSize();
    // A match is decided in a window when it and, for whole words, the byte
    // behind it lie inside; the positions after the last decided one are
    // tried again in the next window, so windows overlap by about the text.
    const uint32_t behind = query.length + (query.wholeWords ? 1 : 0);
    int32_t count = 0;
    for (uint64_t from = 0; count < maxMatchPositions && query.length <= size - from;) {
        const FileWindow window = WindowFrom(source, from);
        const bool last = window.End() == size;
        const uint32_t decided = last ? window.length : window.length - behind + 1;
        const uint32_t until = PieceEnd(window.Local(from), decided);
        int32_t found = 0;
        auto find = [&] {
            found = FindPlainMatches(window.data, window.length, query, windowPositions,
                                     maxMatchPositions - count, nullptr, window.Local(from), until);
        };
        if (!RunGuarded(window.data, window.length, find)) return -1;
        from = window.start + until;
        for (int32_t i = 0; i < found; ++i) {
            matchPositions[count] = window.start + windowPositions[i];
            if (matchPositions[count] + query.length > from)
                from = matchPositions[count] + query.length;
            ++count;
        }
        if ((last && until == decided) || pulse.Pulse()) break;
    }
    return count;
}

// The matcher reads a zero-terminated text, so it searches a copy of the
// bytes, the whole file at once when memory allows; the search is
// case-sensitive whatever the query's caseInsensitive says. -1 when the bytes could not
// be read; raises bad_alloc when no copy can be made. A stop keeps the
// matches found before it.
int32_t FindPattern(WindowSource& source, uint32_t reach, FilePulse& pulse,
                    const FileSearch& search) {
    uint64_t* matchPositions = search.workspace.matchPositions.get();
    uint32_t* windowPositions = search.workspace.windowPositions.get();
    uint32_t copySize = source.MaxWindow() < maxPatternCopy ? source.MaxWindow() : maxPatternCopy;
    std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(copySize) + 1]);
    if (!text && copySize > patternCopyWindow) {
        copySize = patternCopyWindow;
        text.reset(new char[copySize + 1]);
    }
    if (!text) throw std::bad_alloc();
    TRegexp pattern(search.query.text.c_str());
    const uint64_t size = source.FileSize();
    int32_t count = 0;
    for (uint64_t from = 0; count < maxMatchPositions && from < size;) {
        const FileWindow window = WindowFrom(source, from);
        const uint32_t length = window.length < copySize ? window.length : copySize;
        for (uint32_t at = 0; at < length && !pulse.Stopped();) {
            const uint32_t end = PieceEnd(at, length);
            auto copy = [&] { memcpy(text.get() + at, window.data + at, end - at); };
            if (!RunGuarded(window.data, window.length, copy)) return -1;
            at = end;
            if (at < length) pulse.Pulse();
        }
        if (pulse.Stopped()) break;
        text[length] = 0;
        // The text ends in this window at the file's end or its first zero
        // byte; otherwise only matches that start `reach` before the copy's
        // end are kept, and the next window starts there.
        const bool last = window.start + length == size || strnlen(text.get(), length) < length;
        const uint32_t decided = last ? length : length - reach;
        const int32_t found = FindPatternMatches(
            text.get(), length, pattern, search.query.wholeWords, windowPositions,
            maxMatchPositions - count, window.Local(from), decided, &pulse);
        for (int32_t i = 0; i < found; ++i)
            matchPositions[count++] = window.start + windowPositions[i];
        if (last || pulse.Stopped()) break;
        from = window.start + decided;
    }
    return count;
}

// The delimiter rule over the first bytes of the file, in as many windows as
// they take. 0 when the bytes could not be read.
int DelimiterOf(WindowSource& source, unsigned char& delimiter) {
    const uint64_t head = source.FileSize() < maxLineText ? source.FileSize() : maxLineText;
    delimiter = '\n';
    for (uint64_t at = 0; at < head && delimiter == '\n';) {
        const FileWindow window = source.WindowAt(at);
        const uint64_t end = window.End() < head ? window.End() : head;
        auto look = [&] {
            delimiter =
                LineDelimiterOf(window.data + window.Local(at), static_cast<uint32_t>(end - at));
        };
        if (!RunGuarded(window.data, window.length, look)) return 0;
        at = end;
    }
    return 1;
}

// Runs the line pass over `count` offsets and appends the records to the
// results' hitList, all of them or, when the bytes fault, none. When memory
// for the records runs out, the ones made so far are appended and
// hitListFull is set.
// The pass goes no further than the last offset, which the search reached
// before any stop, so a stop does not cut it short; it pulses all the same.
int MakeRecords(const String& path, WindowSource& source, int32_t count, FilePulse& pulse,
                const FileSearch& search) {
    const uint64_t* matchPositions = search.workspace.matchPositions.get();
    HitLine* hitLines = search.workspace.hitLines.get();
    const int onlyFileNames = search.query.fileNamesOnly;
    RunResults& results = search.results;
    unsigned char delimiter;
    if (!DelimiterOf(source, delimiter)) return -1;
    const uint64_t size = source.FileSize();
    LinePass pass(matchPositions, count, size, delimiter, onlyFileNames, hitLines);
    for (int more = 1; more;) {
        const FileWindow window = source.WindowAt(pass.Scanned());
        const uint32_t from = window.Local(pass.Scanned());
        const FileWindow piece = {window.data + from, pass.Scanned(),
                                  PieceEnd(from, window.length) - from};
        auto step = [&] { more = pass.Continue(piece); };
        if (!RunGuarded(window.data, window.length, step)) return -1;
        if (more) pulse.Pulse();
    }
    List<GrepInfo> records; // owning: dropped whole on a failure
    uint32_t offsets = pass.Result().offsetsHandled;
    try {
        const SharedText name(path); // one copy of the name for all the file's records
        // memoryShortage: memory ran out, maybe for the record made last,
        // which the run's reserve then served (host/memory_headroom.h).
        for (int32_t i = 0; i < pass.Result().records && !results.hitListFull; ++i) {
            if (memoryShortage.load(std::memory_order_relaxed)) {
                results.hitListFull = 1;
                break;
            }
            if (onlyFileNames) {
                records.AddTail(new GrepInfo(name, String(), 1));
                continue;
            }
            LineTextReader text(hitLines[i].lineStart, size, delimiter);
            while (!text.Done()) {
                const FileWindow window = source.WindowAt(text.Position());
                auto read = [&] { text.Read(window); };
                if (!RunGuarded(window.data, window.length, read)) return -1;
            }
            records.AddTail(new GrepInfo(name, String(std::string(text.Text(), text.Length())),
                                         hitLines[i].lineNumber));
        }
    } catch (const std::bad_alloc&) {
        results.hitListFull = 1;
    }
    if (results.hitListFull && records._count < pass.Result().records) {
        // The hits counted are those of the lines kept: the offsets before
        // the first line left out.
        const uint64_t firstLeftOut = hitLines[records._count].lineStart;
        offsets = static_cast<uint32_t>(
            std::lower_bound(matchPositions, matchPositions + count, firstLeftOut) -
            matchPositions);
    }
    results.counters.hitCount += offsets;
    const int32_t made = records._count;
    while (GrepInfo* record = records.GetHead()) {
        records.Remove(record);
        results.hitList.AddTail(record);
    }
    return made;
}

} // namespace

int SearchFileWindows(const String& path, WindowSource& source, const FileSearch& search,
                      uint32_t reach) {
    try {
        FilePulse filePulse(search.pulse);
        if (search.query.statistics)
            return CountStatistics(source, filePulse, search.results.counters);
        int32_t count = (search.query.pattern && IsPatternText(search.query.text))
                            ? FindPattern(source, reach, filePulse, search)
                            : FindPlain(source, filePulse, search);
        if (count <= 0) return count;
        return MakeRecords(path, source, count, filePulse, search);
    } catch (...) {
        return -1;
    }
}

int SearchFileBytes(const String& path, const unsigned char* data, uint32_t size,
                    const FileSearch& search) {
    MemoryWindows whole(data, size);
    return SearchFileWindows(path, whole, search, patternReach);
}
