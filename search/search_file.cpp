#include "search/search_file.h"

#include "base/exception.h"
#include "fs/file_name.h"
#include "fs/mapped_file.h"
#include "fs/open_mode.h"
#include "search/file_text_search.h"
#include "search/mapped_windows.h"

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

} // namespace

int SearchFile(FileName& path, SearchPulse* pulse) {
    return SearchFile(path, searchWindowSize, patternReach, pulse);
}

int SearchFile(FileName& path, uint32_t windowSize, uint32_t reach, SearchPulse* pulse) {
    try {
        MappedFile file(path, searchOpenMode, 0, 0);
        if (const unsigned char* whole = MapWhole(file))
            return SearchFileBytes(path, whole, file.GetSize(), pulse);
        MappedWindows windows(file, windowSize);
        return SearchFileWindows(path, windows, reach, pulse);
    } catch (...) {
        return -1;
    }
}
