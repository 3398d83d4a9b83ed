#include "search/file_text_search.h"

#include "search/grep_info.h"
#include "search/guarded_read.h"
#include "search/line_pass.h"
#include "search/pattern_search.h"
#include "search/plain_search.h"
#include "search/regexp.h"
#include "search/search_params.h"
#include "search/text_statistics.h"
#include "search/word_chars.h"

#include <cstring>
#include <memory>

namespace {

// The offsets of the accepted matches of the file being searched, in
// increasing order; dead after each file.
int32_t matchPositions[maxMatchPositions];

// Hit lines with their texts copied out of the file's bytes, so that the
// records can be made outside the fault guard.
class CopiedLines : public HitLineSink {
public:
    enum { capacity = 64 };

    explicit CopiedLines(const unsigned char* data) : _data(data) {}
    void AddHitLine(const HitLine& line) override {
        Line& copy = lines[count++];
        copy.lineNumber = line.lineNumber;
        copy.length = line.textLength;
        memcpy(copy.text, _data + line.textStart, line.textLength);
    }

    struct Line {
        int32_t lineNumber;
        uint32_t length;
        char text[maxLineText];
    };
    Line lines[capacity];
    int32_t count = 0;

private:
    const unsigned char* _data;
};

int CountStatistics(const unsigned char* data, uint32_t size) {
    TextStatistics counts = {0, 0, 0, 0};
    auto count = [&] { CountTextStatistics(data, size, counts); };
    if (!ReadGuarded(data, size, count)) return -1;
    RunCounters.realChars += counts.realChars;
    RunCounters.totalChars += counts.totalChars;
    RunCounters.realLines += counts.realLines;
    RunCounters.lineBreaks += counts.lineBreaks;
    return 0;
}

// With RegEx on, a text made only of word characters is still searched
// plainly; any other byte makes it a pattern.
bool IsPatternText(const char* text) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (!wordChars[*p]) return true;
    }
    return false;
}

// -1 when the bytes could not be read.
int32_t FindPlain(const unsigned char* data, uint32_t size) {
    PlainQuery query = {reinterpret_cast<const unsigned char*>(searchText),
                        static_cast<uint32_t>(strlen(searchText)), caseInsensitive, wholeWords};
    int32_t count = 0;
    auto find = [&] {
        count = FindPlainMatches(data, size, query, matchPositions, maxMatchPositions);
    };
    return ReadGuarded(data, size, find) ? count : -1;
}

// The matcher reads a zero-terminated text, so it searches a copy of the
// bytes; the search is case-sensitive whatever caseInsensitive says. -1 when
// the bytes could not be read; raises bad_alloc when the copy cannot be made.
int32_t FindPattern(const unsigned char* data, uint32_t size) {
    String::SetCaseSensitive(caseInsensitive ? 0 : 1);
    std::unique_ptr<char[]> text(new char[static_cast<size_t>(size) + 1]);
    auto copy = [&] { memcpy(text.get(), data, size); };
    if (!ReadGuarded(data, size, copy)) return -1;
    text[size] = 0;
    TRegexp pattern(searchText);
    return FindPatternMatches(text.get(), size, pattern, wholeWords, matchPositions,
                              maxMatchPositions);
}

// Runs the line pass over `count` offsets and appends the records to
// hitList, all of them or, when the bytes fault, none.
int MakeRecords(const String& path, const unsigned char* data, uint32_t size, int32_t count) {
    LinePass pass(data, size, matchPositions, count, onlyFileNames);
    std::unique_ptr<CopiedLines> batch(new CopiedLines(data));
    List<GrepInfo> records; // owning: dropped whole on a failure
    int more = 1;
    while (more) {
        batch->count = 0;
        auto step = [&] { more = pass.Continue(*batch, CopiedLines::capacity); };
        if (!ReadGuarded(data, size, step)) return -1;
        for (int32_t i = 0; i < batch->count; ++i) {
            const CopiedLines::Line& line = batch->lines[i];
            if (onlyFileNames) {
                records.AddTail(new GrepInfo(path, String(), 1));
            } else {
                records.AddTail(new GrepInfo(path, String(std::string(line.text, line.length)),
                                             line.lineNumber));
            }
        }
    }
    RunCounters.hitCount += pass.Result().offsetsHandled;
    while (GrepInfo* record = records.GetHead()) {
        records.Remove(record);
        hitList.AddTail(record);
    }
    return pass.Result().records;
}

} // namespace

int SearchFileBytes(const String& path, const unsigned char* data, uint32_t size) {
    try {
        if (statMode) return CountStatistics(data, size);
        int32_t count = (useRegEx && IsPatternText(searchText)) ? FindPattern(data, size)
                                                                : FindPlain(data, size);
        if (count <= 0) return count;
        return MakeRecords(path, data, size, count);
    } catch (...) {
        return -1;
    }
}
