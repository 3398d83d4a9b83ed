#include "search/bytes_rule_out.h"

#include "search/plain_search.h"
#include "search/text_encoding.h"
#include "search/text_walk.h"
#include "search/word_chars.h"

namespace {

// Whether some byte beyond ASCII has the upper case of `c` (or the fold of
// `c` is itself beyond ASCII), so that a converted character could match `c`
// where the bytes hold no ASCII byte.
bool FoldsBeyondAscii(unsigned char c) {
    static const struct Table {
        bool folds[128];
        Table() {
            const CharClasses& classes = HostCharClasses();
            for (int ascii = 0; ascii < 128; ++ascii) {
                folds[ascii] = false;
                for (int beyond = 128; beyond < 256; ++beyond)
                    folds[ascii] = folds[ascii] || classes.upper[beyond] == classes.upper[ascii];
            }
        }
    } table;
    return table.folds[c];
}

bool TextKeepsInBytes(const RunQuery& query) {
    if (query.statistics || query.pattern || query.text.empty()) return false;
    for (unsigned char c : query.text) {
        if (c >= 0x80 || c == '?' || (query.caseInsensitive && FoldsBeyondAscii(c))) return false;
    }
    return true;
}

} // namespace

bool BytesRuleOut(WindowSource& file, const FileSearch& search) {
    if (!TextKeepsInBytes(search.query)) return false;
    const FileWindow first = file.WindowAt(0);
    if (!first.last) return false;
    TextEncoding marked = TextEncoding::codePage;
    ReadGuarded(first, [&] { marked = EncodingOfMark(first.data, first.length < 4 ? first.length : 4); });
    if (marked != TextEncoding::codePage && marked != TextEncoding::utf8WithMark) return false;

    const PlainQuery query = {reinterpret_cast<const unsigned char*>(search.query.text.c_str()),
                              static_cast<uint32_t>(search.query.text.size()),
                              search.query.caseInsensitive, 0};
    FilePulse pulse(search.pulse);
    TextWalk walk(file, pulse);
    bool found = false;
    walk.From(0, [&](const FileWindow& window, uint32_t from) -> uint64_t {
        const uint32_t end = PieceEnd(from, window.length);
        uint32_t position;
        found = FindPlainMatches(window.data, window.length, query, &position, 1, nullptr, from,
                                 end) > 0;
        return found ? TextWalk::done : window.start + end;
    });
    return !found && !pulse.Stopped();
}
