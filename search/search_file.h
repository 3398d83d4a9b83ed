// The search of one file of a run, the step below the walk: what it reads
// and writes (FileSearch: the run's query, the run's results, a workspace for
// the file's match offsets and the run's pulse; nothing of a run lives in a
// global, so that several files can be searched at once, each with its own
// workspace) and SearchFile itself.
//
// SearchFile opens the file for reading (others may read it meanwhile),
// reads a small file whole into the workspace, and reads a larger one through
// the workspace's buffer (natively) or maps it read-only (on Windows), and hands its bytes to
// SearchFileText, which reads them in their encoding (search/search_file_text.h) and hands the text
// to SearchText (search/search_text.h). The path is a walk path (fs/walk_path.h); the records name
// the file in the host's form. A file that cannot be mapped whole, for want of room in the address
// space or because it is 4 GiB or more, is searched through a view that slides over it; the results
// are the same, see search/search_text.h. The mapping and the buffer that converting the file's
// text may need count against the run's MappingBudget.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "search/compiled_pattern.h"
#include "search/line_pass.h"
#include "search/run_query.h"
#include "search/run_results.h"

class MappingBudget;
class MemoryShortage;
class SearchPulse;

// Match offsets found and turned into records at a time: every match of a
// file counts, a batch after the other, in bounded memory.
enum { matchBatch = 10000 };

// The offsets of a batch of one file's accepted matches and its hit lines,
// alive from one file to the next but dead after each (about 280 KB, on the
// heap).
class SearchWorkspace {
public:
    SearchWorkspace()
        : matchPositions(new uint64_t[matchBatch]), windowPositions(new uint32_t[matchBatch]),
          hitLines(new HitLine[matchBatch]) {}

    std::unique_ptr<uint64_t[]> matchPositions;  // in the file, increasing
    std::unique_ptr<uint32_t[]> windowPositions; // found in one window
    std::unique_ptr<HitLine[]> hitLines;         // the batch's hit lines

    // The query's pattern, compiled for the first file that needs it.
    CompiledPattern pattern;

    // The bytes that every match of a query holds (search/bytes_rule_out.h),
    // worked out for the first file of a query and kept for the next ones.
    struct RuleOutBytes {
        // The query they were worked out for.
        std::string text;
        int statistics = -1, caseInsensitive = 0, pattern = 0;
        bool held = false; // there are such bytes
        std::string bytes;
        int bytesCaseInsensitive = 0;
    } ruleOut;

    // Room for `size` bytes of a file read whole (search/search_file.h); it
    // grows in steps of 64 KiB and keeps its largest size.
    unsigned char* FileBytes(uint32_t size) {
        if (size > _fileBytesSize) {
            const uint32_t grown = (size + 0xFFFFu) & ~0xFFFFu;
            _fileBytes.reset(); // the old block goes before the new one is had
            _fileBytesSize = 0;
            _fileBytes.reset(new unsigned char[grown]);
            _fileBytesSize = grown;
        }
        return _fileBytes.get();
    }

private:
    std::unique_ptr<unsigned char[]> _fileBytes;
    uint32_t _fileBytesSize = 0;
};

struct FileSearch {
    const RunQuery& query; // its text stripped of blanks and not empty
    RunResults& results;   // records appended, counters added to
    SearchWorkspace& workspace;
    SearchPulse* pulse; // may be null; see SearchFileWindows
    // Shared by the files searched at once; null when one file is searched
    // at a time (search/mapping_budget.h).
    MappingBudget* mapping = nullptr;
    // The run's signal that memory ran out (null: none is given); once set,
    // the file makes no more records and its results are a full hit list.
    const MemoryShortage* shortage = nullptr;
    // Null: the file's hits become records in results.hitList. Else this
    // drain prepares each hit line into `lines` instead (see
    // RecordDrain::PrepareLine), and no record is made.
    RecordDrain* drain = nullptr;
    PreparedRecords* lines = nullptr;
};

class FileName;

// Bytes of the sliding view, and of the windows of converted text.
constexpr uint32_t searchWindowSize = 32u << 20;
// Files of at most this many bytes are read rather than mapped: a mapping
// costs the system a mapping object, a view and their release besides the
// open, several round trips to Wine's server per file, where a read costs
// a copy; most source files are far smaller.
constexpr uint32_t searchReadLimit = 1u << 20;
// Whether a larger file is read through the workspace's buffer, at most
// searchReadWindow bytes of it at a time (search/read_windows.h), rather than
// mapped. Natively it is: a read costs a copy, and the pages of a mapping
// would count as the program's resident memory, a large file's whole. The
// library on Windows maps, as it always has; there a pattern match of a file
// so read reaches at most a quarter of the buffer (see search/search_text.h).
extern const bool searchReadsLargeFiles;
constexpr uint32_t searchReadWindow = 1u << 20;

// Returns the number of hit records added for the file (at most 1 in
// file-names-only mode), 0 in a statistics run, or -1 when the file could not
// be opened, mapped or read (locked, no access, vanished, cut short while
// mapped) or memory ran out. On -1 nothing was added, every handle and view
// is released, and no message is shown. Raises nothing. The search's query,
// results and pulse: see SearchFileWindows (search/search_text.h).
int SearchFile(FileName& path, const FileSearch& search);

// The same with a sliding view and windows of converted text of
// `windowSize` bytes (a multiple of 64 KiB, at least 128 KiB), the pattern reach of the sliding
// search, and files of at most `readLimit` bytes read; tests take small ones.
int SearchFile(FileName& path, const FileSearch& search, uint32_t windowSize, uint32_t reach,
               uint32_t readLimit);
