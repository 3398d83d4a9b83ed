#include "search/search_file_text.h"

#include "search/bytes_rule_out.h"
#include "search/decoded_windows.h"
#include "search/search_text.h"
#include "search/text_encoding.h"
#include "search/text_walk.h"

namespace {

// The byte-order mark from the first window; without one, UTF-8 when all of
// the file is valid UTF-8 beyond ASCII. A stop ends the look with what the
// bytes gone through tell.
TextEncoding DetectIn(TextWalk& walk) {
    const FileWindow first = walk.WindowAt(0);
    TextEncoding encoding = TextEncoding::codePage;
    ReadGuarded(
        first, [&] { encoding = EncodingOfMark(first.data, first.length < 4 ? first.length : 4); });
    if (encoding != TextEncoding::codePage) return encoding;
    Utf8Detector detector;
    walk.From(0, [&](const FileWindow& window, uint32_t from) -> uint64_t {
        // A few bytes past the piece, so that a sequence the piece's end cuts
        // is taken whole.
        const uint32_t end =
            window.length - from > pulseInterval + 3 ? from + pulseInterval + 3 : window.length;
        const size_t taken =
            detector.Scan(window.data + from, end - from, window.last && end == window.length);
        return detector.Malformed() ? TextWalk::done : window.start + from + taken;
    });
    return detector.Result();
}

} // namespace

uint32_t DecodedWindowFor(uint64_t fileSize, uint32_t window) {
    // The text of a file in UTF-8 (but ASCII), UTF-16 or UTF-32 is shorter
    // than its bytes, so its last window always ends short of the buffer's end.
    return fileSize < window ? static_cast<uint32_t>(fileSize < 16 ? 16 : fileSize) : window;
}

int SearchFileText(const String& path, WindowSource& file, const FileSearch& search, uint32_t reach,
                   uint32_t window) {
    try {
        if (BytesRuleOut(file, search)) return 0;
        // The look at the encoding pulses on its own: a stop meanwhile ends
        // it, and the search then stops after its first piece, keeping what
        // that piece found.
        FilePulse looking(search.pulse);
        TextWalk look(file, looking);
        const TextEncoding encoding = DetectIn(look);
        FilePulse pulse(search.pulse);
        if (encoding == TextEncoding::codePage) return SearchText(path, file, search, reach, pulse);
        // A file shown in one window is converted in one: its text is no
        // longer than its bytes.
        const FileWindow first = file.WindowAt(0);
        DecodedWindows decoded(file, encoding,
                               first.last ? DecodedWindowFor(first.length, window) : window, pulse);
        if (!decoded.Ready()) return -1;
        // A match must fit in the reach of the windows of converted text
        // too, whatever the windows of the file's bytes allow (a text in one
        // window needs none).
        const uint32_t decodedReach = decoded.Reach() - 2;
        if (decodedReach < reach) reach = decodedReach;
        return SearchText(path, decoded, search, reach, pulse);
    } catch (...) {
        return -1;
    }
}

int SearchFileText(const String& path, const unsigned char* data, uint32_t size,
                   const FileSearch& search) {
    MemoryWindows whole(data, size);
    return SearchFileText(path, whole, search, patternReach);
}
