#include "search/search_file.h"

#include "base/exception.h"
#include "fs/fault_guard.h"
#include "fs/file.h"
#include "fs/file_name.h"
#include "fs/mapped_file.h"
#include "fs/open_mode.h"
#include "fs/walk_path.h"
#include "search/mapped_windows.h"
#include "search/mapping_budget.h"
#include "search/read_windows.h"
#include "search/search_file_text.h"
#include "search/search_text.h"

namespace {

// Maps the whole file as the first view; null when it does not fit in one.
const unsigned char* MapWhole(MappedFile& file) {
    try {
        file.AddView(0, 0);
    } catch (const Exception& failure) {
        if (!MappedFile::IsViewTooLarge(failure)) throw;
        return nullptr;
    }
    return reinterpret_cast<const unsigned char*>(file.GetData());
}

// Reads the file through the workspace's buffer, which a window of at most
// searchReadWindow bytes fills; a pattern match then reaches no further than
// the windows do.
int SearchThroughReads(File& opened, uint64_t size, const String& recordName,
                       const FileSearch& search, uint32_t windowSize, uint32_t reach) {
    // The buffer of a conversion into the code page counts as mapped.
    MappingLease lease;
    if (!lease.Take(search.mapping, DecodedWindowFor(size, windowSize), search.pulse)) return 0;
    const uint32_t window = windowSize < searchReadWindow ? windowSize : searchReadWindow;
    ReadWindows windows(opened, size, search.workspace.FileBytes(window), window);
    const uint32_t windowsReach = windows.Reach() - 2;
    return SearchFileText(recordName, windows, search, reach < windowsReach ? reach : windowsReach,
                          windowSize);
}

} // namespace

int SearchFile(FileName& path, const FileSearch& search) {
    return SearchFile(path, search, searchWindowSize, patternReach, searchReadLimit);
}

int SearchFile(FileName& path, const FileSearch& search, uint32_t windowSize, uint32_t reach,
               uint32_t readLimit) {
    try {
        File opened(path, searchOpenMode | openWalkPath);
        const uint64_t size = opened.GetSize64();
        const int utf8 = search.query.hostUtf8;
        String hostPath;
        const String& recordName =
            HostPathIsWalkPath(path, utf8) ? path : (hostPath = HostPathOf(path, utf8));
        // An empty file, or one whose size is unknown, is left to the
        // mapping, which refuses it.
        if (size != 0 && size <= readLimit) {
            const uint32_t length = static_cast<uint32_t>(size);
            // A zero byte after the file's bytes lets the pattern search read
            // them in place.
            unsigned char* bytes = search.workspace.FileBytes(length + 1);
            // A file cut short since its size was read counts as not read,
            // as one cut short while mapped does.
            if (!opened.Read(bytes, length, 0)) return -1;
            bytes[length] = 0;
            MemoryWindows whole(bytes, length, 0, true);
            return SearchFileText(recordName, whole, search, reach, windowSize);
        }
        if (searchReadsLargeFiles && size > readLimit)
            return SearchThroughReads(opened, size, recordName, search, windowSize, reach);
        MappingLease lease; // given back after the file has deleted its views
        MappedFile file(&opened, 0, 0);
        // The buffer of a conversion into the code page counts as mapped:
        // the file may need one.
        const uint64_t mapped = file.GetMappingSize();
        const uint32_t converted = DecodedWindowFor(mapped, windowSize);
        if (!lease.Take(search.mapping, mapped + converted, search.pulse)) return 0;
        if (const unsigned char* whole = MapWhole(file)) {
            MemoryWindows windows(whole, file.GetSize());
            return SearchFileText(recordName, windows, search, reach, windowSize);
        }
        MappedWindows windows(file, windowSize);
        return SearchFileText(recordName, windows, search, reach, windowSize);
    } catch (...) {
        return -1;
    }
}
