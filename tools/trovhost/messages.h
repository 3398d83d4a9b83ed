// What trovhost's message list shows after a search command, read back from
// the library as a development environment reads it: each hit as
// "fileName(lineNumber): lineText", or the five statistics lines. Plain code
// over a reader of the library's results, so that it runs without the DLL.
#pragma once

#include <string>
#include <vector>

// The library's two result functions.
class ResultReader {
public:
    virtual ~ResultReader() {}
    virtual int GetValue(int index, int what) = 0;
    virtual std::string GetString(int index, int what) = 0;
};

struct MessageUpdate {
    bool clear = false;             // empty the list first (keep-old-messages is off)
    std::vector<std::string> lines; // appended in order
};

// For result 2 every hit, for result 9 the statistics lines that are not
// empty, for any other result nothing. New results replace the list unless
// the keep-old-messages setting (selector 15) is on.
MessageUpdate MessagesFor(int result, ResultReader& reader);

// The status line after a search command that gave `result`: what the list
// now shows (new records, partial ones after Stop, or still the previous
// ones), the record count and the files that could not be read.
std::string StatusText(int result, ResultReader& reader);
