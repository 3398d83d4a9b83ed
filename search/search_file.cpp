#include "search/search_file.h"

#include "base/exception.h"
#include "fs/fault_guard.h"
#include "fs/file.h"
#include "fs/file_name.h"
#include "fs/mapped_file.h"
#include "fs/open_mode.h"
#include "fs/walk_path.h"
#include "search/decoded_search.h"
#include "search/file_text_search.h"
#include "search/mapped_windows.h"
#include "search/mapping_budget.h"
#include "search/text_encoding.h"

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

// A file too big to be mapped whole is read as it is, a window at a time,
// unless it is UTF-16: then its text cannot be read that way, and the file
// counts as not read rather than as searched without hits.
bool IsUtf16(WindowSource& windows) {
    const FileWindow first = windows.WindowAt(0);
    TextEncoding encoding = TextEncoding::codePage;
    auto look = [&] { encoding = EncodingOfMark(first.data, first.length < 4 ? first.length : 4); };
    if (!RunGuarded(first.data, first.length, look)) return true;
    return encoding == TextEncoding::utf16Le || encoding == TextEncoding::utf16Be;
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
        const String recordName = HostPathOf(path, search.query.hostUtf8);
        // An empty file, or one whose size is unknown, is left to the
        // mapping, which refuses it.
        if (size != 0 && size <= readLimit) {
            const uint32_t length = static_cast<uint32_t>(size);
            unsigned char* bytes = search.workspace.FileBytes(length);
            // A file cut short since its size was read counts as not read,
            // as one cut short while mapped does.
            if (!opened.Read(bytes, length, 0)) return -1;
            return SearchFileText(recordName, bytes, length, search);
        }
        MappingLease lease; // given back after the file has deleted its views
        MappedFile file(&opened, 0, 0);
        if (!lease.Take(search.mapping, file.GetMappingSize(), search.pulse)) return 0;
        if (const unsigned char* whole = MapWhole(file))
            return SearchFileText(recordName, whole, file.GetSize(), search);
        MappedWindows windows(file, windowSize);
        if (IsUtf16(windows)) return -1;
        return SearchFileWindows(recordName, windows, search, reach);
    } catch (...) {
        return -1;
    }
}
