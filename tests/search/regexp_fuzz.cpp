// libFuzzer target: TRegexp::Find, and the file search's one pass over all
// matches, against the backtracking search they must equal, on any pattern
// and text, with the address sanitizer watching every read. Input: one byte that chooses the start
// offset, the pattern up to the next zero byte, then the text.
#include "search/regexp.h"

#include "tests/search/regexp_reference.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::uint8_t* end = data + size;
    const std::uint8_t* pattern = data + 1;
    const std::uint8_t* patternEnd = static_cast<const std::uint8_t*>(
        std::memchr(pattern, 0, static_cast<size_t>(end - pattern)));
    if (patternEnd == nullptr) patternEnd = end;
    const std::uint8_t* text = patternEnd < end ? patternEnd + 1 : end;

    // Both in blocks of their exact size, so that any read past them is caught.
    size_t patternSize = static_cast<size_t>(patternEnd - pattern);
    std::unique_ptr<char[]> patternCopy(new char[patternSize + 1]);
    std::memcpy(patternCopy.get(), pattern, patternSize);
    patternCopy[patternSize] = 0;
    size_t textSize = static_cast<size_t>(end - text);
    std::unique_ptr<char[]> textCopy(new char[textSize + 1]);
    std::memcpy(textCopy.get(), text, textSize);
    textCopy[textSize] = 0;

    TRegexp regexp(patternCopy.get());
    int start = static_cast<int>(data[0] % (std::strlen(textCopy.get()) + 1));
    int length = -1;
    int offset = regexp.Find(textCopy.get(), start, length);
    ReferenceResult expected =
        ReferenceFind(regexp.GetPattern(), regexp.GetStatus(), textCopy.get(), start, 2000000);
    if (!expected.exhausted && (offset != expected.offset || length != expected.length)) {
        std::fprintf(stderr, "found %d/%d, the backtracking search %d/%d\n", offset, length,
                     expected.offset, expected.length);
        std::abort();
    }
    // The file search's one pass against the restarted backtracking search.
    bool exhausted = false;
    std::vector<std::pair<int, int>> all = ReferenceMatches(regexp.GetPattern(), regexp.GetStatus(),
                                                            textCopy.get(), 2000000, exhausted);
    if (!exhausted && ScanMatches(regexp.GetPattern(), regexp.GetStatus(), textCopy.get()) != all) {
        std::fprintf(stderr, "the one-pass search differs from the restarted one\n");
        std::abort();
    }
    return 0;
}
