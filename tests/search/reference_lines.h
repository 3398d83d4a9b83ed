#pragma once

// The hit lines of a file's match offsets defined the direct way, the oracle
// of the line pass and of the per-file search.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct RecordedLine {
    int32_t lineNumber;
    std::string text;
    bool operator==(const RecordedLine& o) const {
        return lineNumber == o.lineNumber && text == o.text;
    }
};

std::ostream& operator<<(std::ostream& out, const RecordedLine& line);

// The oracle cuts the data into lines first (each with the delimiter that
// ends it, and with a CR delimiter the LF right after it) and then looks up
// the line of each offset (in increasing order): one line per line that
// holds offsets.
std::vector<RecordedLine> NaiveLines(const std::string& data, const std::vector<uint64_t>& offsets);
