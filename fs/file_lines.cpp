// Line-wise reading and writing of text files, through the standard streams.
// The files are read and written as bytes with CR LF line ends written and
// CR LF or LF accepted, so that the result is the same on every platform (and
// a Ctrl-Z byte is text like any other).
#include <fstream>

#include "base/exception.h"
#include "fs/file.h"

void File::ReadLines(const FileName& name, StringList& lines, int trim, int skipEmpty) {
    std::ifstream input(name.c_str(), std::ios::binary);
    if (!input) Raise(msgOpenFailed);
    std::string read;
    while (std::getline(input, read)) {
        if (!read.empty() && read.back() == '\r') read.pop_back();
        if (read.empty()) continue;
        String line(read);
        if (trim) TrimBlanks(line);
        if (line.empty() && skipEmpty) continue;
        lines.AddTail(new StringItem<ListElement>(line));
    }
}

void File::WriteLines(const FileName& name, const StringList& lines) {
    std::ofstream output(name.c_str(), std::ios::binary | std::ios::trunc);
    if (!output) Raise(msgCreateFailed);
    for (const StringItem<ListElement>* line = lines.GetHead(); line; line = lines.GetNext(line))
        output << static_cast<const String&>(*line) << "\r\n";
    // A write that failed (a full disk) would otherwise pass unnoticed.
    output.flush();
    if (!output) Raise(msgCreateFailed);
}
