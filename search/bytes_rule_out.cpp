#include "search/bytes_rule_out.h"

#include "search/plain_search.h"
#include "search/regexp_program.h"
#include "search/text_encoding.h"
#include "search/text_walk.h"
#include "search/word_chars.h"

#include <string>

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

// The bytes that every match holds one after another: the text of a plain
// search, or a pattern's line literal (search/regexp_program.h), which is
// matched case-sensitively. False when there are none that the conversion
// keeps: ASCII bytes other than '?', which ignoring case fold with no byte
// beyond ASCII.
bool BytesEveryMatchHolds(const RunQuery& query, CompiledPattern& compiled, std::string& bytes,
                          int& caseInsensitive) {
    if (query.statistics || query.text.empty()) return false;
    bytes = query.text.c_str();
    caseInsensitive = query.caseInsensitive;
    bool pattern = false;
    for (unsigned char c : bytes)
        pattern = pattern || (query.pattern && !WordChars()[c]); // as the search tells them
    if (pattern) {
        const RegexpProgram* program = compiled.For(query.text.c_str());
        if (program == nullptr) return false;
        bytes.assign(reinterpret_cast<const char*>(program->GetLineLiteral()),
                     program->GetLineLiteralLength());
        caseInsensitive = 0;
    }
    if (bytes.empty()) return false;
    for (unsigned char c : bytes) {
        if (c >= 0x80 || c == '?' || (caseInsensitive && FoldsBeyondAscii(c))) return false;
    }
    return true;
}

// BytesEveryMatchHolds for `query`, from the workspace when it was worked
// out for the same query.
const SearchWorkspace::RuleOutBytes& RuleOutBytesOf(const RunQuery& query,
                                                    SearchWorkspace& workspace) {
    SearchWorkspace::RuleOutBytes& known = workspace.ruleOut;
    if (known.statistics != query.statistics || known.caseInsensitive != query.caseInsensitive ||
        known.pattern != query.pattern || known.text != query.text.c_str()) {
        known.statistics = -1; // unknown until worked out, should that raise
        known.held =
            BytesEveryMatchHolds(query, workspace.pattern, known.bytes, known.bytesCaseInsensitive);
        known.text = query.text.c_str();
        known.statistics = query.statistics;
        known.caseInsensitive = query.caseInsensitive;
        known.pattern = query.pattern;
    }
    return known;
}

} // namespace

bool BytesRuleOut(WindowSource& file, const FileSearch& search) {
    const SearchWorkspace::RuleOutBytes& ruleOut = RuleOutBytesOf(search.query, search.workspace);
    if (!ruleOut.held) return false;
    const std::string& bytes = ruleOut.bytes;
    const int caseInsensitive = ruleOut.bytesCaseInsensitive;
    const FileWindow first = file.WindowAt(0);
    if (!first.last && !file.ReadIntoBuffer()) return false;
    TextEncoding marked = TextEncoding::codePage;
    ReadGuarded(first,
                [&] { marked = EncodingOfMark(first.data, first.length < 4 ? first.length : 4); });
    if (marked != TextEncoding::codePage && marked != TextEncoding::utf8WithMark) return false;

    const PlainQuery query = {reinterpret_cast<const unsigned char*>(bytes.data()),
                              static_cast<uint32_t>(bytes.size()), caseInsensitive, 0};
    FilePulse pulse(search.pulse);
    TextWalk walk(file, pulse);
    bool found = false;
    walk.From(0, [&](const FileWindow& window, uint32_t from) -> uint64_t {
        // A start is tried in a window that holds the whole run from it; the
        // next window, which reaches further, tries the rest.
        const uint32_t decided = window.last ? window.length : window.length - query.length + 1;
        const uint32_t end = PieceEnd(from, decided);
        uint32_t position;
        found = FindPlainMatches(window.data, window.length, query, &position, 1, nullptr, from,
                                 end) > 0;
        return found ? TextWalk::done : window.start + end;
    });
    return !found && !pulse.Stopped();
}
