// trovfind natively: the search engine of trovik.dll over the POSIX file
// layer. It takes the options of the Windows build and gives its records;
// the entries are POSIX paths, and the output names files as the entries were
// given (tools/trovfind/posix_names.h). The default form is grep's
// "path:line:text"; --records is the Windows build's machine-readable form.
#include <malloc.h>

#include <cstdio>
#include <string>

#include "fs/entry_path.h"
#include "tools/trovfind/code_page_text.h"
#include "tools/trovfind/options.h"
#include "tools/trovfind/output.h"
#include "tools/trovfind/posix_names.h"
#include "tools/trovfind/search_command.h"

namespace {

// The output names of the entries: their walk paths and the forms given.
PosixNames NamesOf(const TrovfindOptions& options) {
    PosixNames names;
    for (const std::string& entry : options.entries) {
        String walkPath;
        if (!EntryWalkPath(String(entry), options.utf8, walkPath)) continue;
        std::string given = entry;
        for (char& c : given)
            if (c == '\\') c = '/';
        names.Add(walkPath.c_str(), given);
    }
    return names;
}

std::string LineTextInUtf8(const std::string& text) {
    return CodePageToUtf8(text.c_str());
}

} // namespace

int main(int argc, char** argv) {
    // The blocks of half a MiB and more (the read buffers, the copies of
    // large files' windows for the pattern search) are mapped on their own
    // and go back to the system when freed. By default the C library raises
    // that bound to the largest block freed, after which such blocks stay in
    // each thread's heap with up to twice their size kept resident.
    mallopt(M_MMAP_THRESHOLD, 512 * 1024);
    TrovfindOptions options;
    int exitStatus = 0;
    if (!ReadOptions(argc, argv, options, exitStatus)) return exitStatus;
    // The text is searched in the code page, as the files' text is read.
    if (options.utf8 && !SpellInCodePage(options.text, options.text))
        return UsageError("the code page cannot spell the text to find: " + options.text);
    String dirList;
    const std::string error = BuildDirList(options, dirList);
    if (!error.empty()) return UsageError(error);
    const PosixNames names = NamesOf(options);
    auto nameOf = [&](const String& fileName) { return names.Of(fileName.c_str()); };
    return SearchAndPrint(options, dirList, LineTextInUtf8, nameOf, grepHits);
}
