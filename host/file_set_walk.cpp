#include "host/file_set_walk.h"

#include <cstring>

#include "base/text_utils.h"
#include "fs/file.h"
#include "fs/file_attributes.h"
#include "fs/file_name.h"
#include "fs/walk_path.h"
#include "host/file_set_entries.h"
#include "host/memory_headroom.h"
#include "host/trovik_file_scanner.h"
#include "host/walk_progress.h"
#include "search/grep_info.h"
#include "search/search_params.h"
#include "ui/search_settings.h"

int walkFollowsLinks = 0;
uint32_t filesLeftOut = 0;

namespace {

// Puts the run's text and switches where SearchFile reads them. Returns 0
// when the text is blank. Stripping spaces and then tabs can leave blanks
// behind (" \t \t" keeps its middle space); a text of nothing but blanks
// is blank all the same.
int SetSearchParameters(const String& textToFind) {
    String text = textToFind;
    TrimBlanks(text);
    if (text.find_first_not_of(" \t") == std::string::npos) return 0;
    CopyBounded(searchText, text.c_str(), sizeof searchText);
    caseInsensitive = SearchSettings.CaseSensitive ? 0 : 1;
    wholeWords = SearchSettings.WholeWord;
    useRegEx = SearchSettings.RegEx;
    onlyFileNames = SearchSettings.OnlyFile;
    return 1;
}

// Scans one existing entry. Returns 0 when the text to find is blank.
int ScanEntry(const FileName& name, int32_t attributes, int recursive, const String& textToFind,
              WalkProgress& progress) {
    const bool isDirectory = (attributes & attributeDirectory) != 0;
    TrovikFileScanner scanner(name, nullptr, 0, isDirectory ? recursive : 0, progress);
    scanner.FollowLinks(walkFollowsLinks);
    if (isDirectory) {
        for (StringItem<ListElement>* mask = SearchSettings.masks.GetHead(); mask;
             mask = StringList::GetNext(mask)) {
            scanner.AddMask(*mask);
        }
    }
    // Without a mask the scanner looks the one named file up directly.
    if (!SetSearchParameters(textToFind)) return 0;
    scanner.Scan();
    // A directory whose listing broke off counts once: how many of its files
    // went unread is not known. So does a folder that closes a link loop.
    foldersNotListed += scanner._unreadListings + scanner._foldersLeftOut;
    filesNotRead += scanner._filesLeftOut;
    filesLeftOut += scanner._filesLeftOut;
    return 1;
}

} // namespace

int WalkFileSet(const String& textToFind, WalkProgress& progress) {
    statMode = SearchSettings.Stat ? 1 : 0;
    filesNotRead = 0;
    foldersNotListed = 0;
    filesLeftOut = 0;
    hitListFull = 0;
    bool opened = false;
    MemoryHeadroom headroom;
    try {
        FileSetEntries entries(SearchSettings);
        String entry;
        int recursive = 0;
        while (entries.NextFileSetEntry(entry, recursive)) {
            if (!opened) {
                // Without a window the user could not stop the run: a failure.
                if (!progress.Open()) {
                    progress.ReportFailure();
                    return 1;
                }
                opened = true;
            }
            FileName name(WalkPathOf(entry));
            int32_t attributes = AttributesOfWalkPath(name);
            if (attributes != -1 && !ScanEntry(name, attributes, recursive, textToFind, progress)) {
                return 0;
            }
            if (progress.StopRequest() != 0) break;
        }
    } catch (...) {
        progress.ReportFailure();
        return 1;
    }
    return progress.StopRequest();
}
