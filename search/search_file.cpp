#include "search/search_file.h"

#include "fs/file_name.h"
#include "fs/mapped_file.h"
#include "fs/open_mode.h"
#include "search/file_text_search.h"

int SearchFile(FileName& path) {
    try {
        MappedFile file(path, searchOpenMode, 1, 0);
        return SearchFileBytes(path, reinterpret_cast<const unsigned char*>(file.GetData()),
                               file.GetSize());
    } catch (...) {
        return -1;
    }
}
