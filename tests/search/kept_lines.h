// A record drain for tests: keeps "name:line" of every hit line taken, in
// the order taken, and counts the files taken.
#pragma once

#include <string>
#include <vector>

#include "search/record_drain.h"

class KeptLines : public RecordDrain {
public:
    void PrepareLine(const String& fileName, int32_t lineNumber, const char*, uint32_t,
                     PreparedRecords& prepared) override {
        prepared.text += std::string(fileName) + ":" + std::to_string(lineNumber) + "\n";
        ++prepared.count;
    }
    void TakePrepared(PreparedRecords& prepared) override {
        for (size_t at = 0, end; (end = prepared.text.find('\n', at)) != std::string::npos;
             at = end + 1)
            lines.push_back(prepared.text.substr(at, end - at));
        prepared = PreparedRecords();
        ++batches;
    }

    std::vector<std::string> lines;
    int batches = 0;
};
