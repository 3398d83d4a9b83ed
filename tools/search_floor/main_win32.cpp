// search_floor: the least that a search of a source tree costs on this
// platform, the floor that trovfind is measured against (scripts/bench-search).
//
//     search_floor TEXT DIRECTORY
//
// Walks DIRECTORY and its subdirectories with FindFirstFileA / FindNextFileA
// (one enumeration per directory), opens every *.c and *.h file with
// CreateFileA, reads it whole when the search would (at most searchReadLimit
// bytes) or else maps it whole, and counts the occurrences of TEXT with the plain
// search's own scan (FindPlainMatches); prints the total and nothing else. It
// keeps no records, finds no lines and shows no progress. It reads the files
// the search reads: the same mask rule, no hidden or system file, no
// directory whose name begins with '.'. A file or directory that cannot be
// read is skipped.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "search/plain_search.h"
#include "search/search_file.h"

namespace {

// A handle closed on every way out; `invalid` is the value its opener
// returns on failure (CreateFileA and FindFirstFileA differ there).
template <BOOL(WINAPI* close)(HANDLE)>
class Owned {
public:
    Owned(HANDLE handle, HANDLE invalid) : _handle(handle == invalid ? nullptr : handle) {}
    ~Owned() {
        if (_handle) close(_handle);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    HANDLE Get() const { return _handle; }

private:
    HANDLE _handle; // null when the opener failed
};

class View {
public:
    explicit View(HANDLE mapping) : _base(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {}
    ~View() {
        if (_base) UnmapViewOfFile(_base);
    }
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    const unsigned char* Bytes() const { return static_cast<const unsigned char*>(_base); }

private:
    void* _base;
};

// The offsets the scan hands back per call; the search keeps as many per file.
enum { positionsPerCall = 10000 };
uint32_t positions[positionsPerCall];

// Every non-overlapping occurrence, the scan resumed where a full buffer of
// positions stopped it.
uint64_t CountMatches(const unsigned char* data, uint32_t size, const PlainQuery& query) {
    uint64_t total = 0;
    uint32_t start = 0;
    for (;;) {
        uint32_t stoppedAt = 0;
        int32_t found = FindPlainMatches(data + start, size - start, query, positions,
                                         positionsPerCall, &stoppedAt);
        total += static_cast<uint64_t>(found);
        start += stoppedAt;
        if (found < positionsPerCall || start >= size) return total;
    }
}

// The flags the search opens its files with: read, shared for reading,
// sequential scan.
uint64_t SearchFile(const std::string& path, const PlainQuery& query) {
    Owned<CloseHandle> file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
                            INVALID_HANDLE_VALUE);
    if (!file.Get()) return 0;
    DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == 0 || size == INVALID_FILE_SIZE) return 0; // an empty file cannot be mapped
    if (size <= searchReadLimit) {
        static unsigned char bytes[searchReadLimit];
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes, size, &read, nullptr) || read != size) return 0;
        return CountMatches(bytes, size, query);
    }
    Owned<CloseHandle> mapping(
        CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    if (!mapping.Get()) return 0;
    View view(mapping.Get());
    return view.Bytes() ? CountMatches(view.Bytes(), size, query) : 0;
}

// *.c or *.h as the search's masks read them (fs/mask_match.h): `*` reaches
// only to the next dot, so the name has one dot, and case does not count.
bool IsSourceFile(const char* name) {
    const char* dot = strchr(name, '.');
    if (dot == nullptr || strchr(dot + 1, '.') != nullptr || dot[1] == '\0' || dot[2] != '\0')
        return false;
    const char extension = static_cast<char>(dot[1] | 0x20);
    return extension == 'c' || extension == 'h';
}

uint64_t SearchTree(const std::string& directory, const PlainQuery& query) {
    uint64_t total = 0;
    std::vector<std::string> subdirectories;
    WIN32_FIND_DATAA found;
    {
        Owned<FindClose> find(FindFirstFileA((directory + "\\*").c_str(), &found),
                              INVALID_HANDLE_VALUE);
        if (!find.Get()) return 0;
        do {
            const DWORD attributes = found.dwFileAttributes;
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (found.cFileName[0] != '.')
                    subdirectories.push_back(directory + "\\" + found.cFileName);
            } else if (!(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
                       IsSourceFile(found.cFileName)) {
                total += SearchFile(directory + "\\" + found.cFileName, query);
            }
        } while (FindNextFileA(find.Get(), &found));
    }
    for (const std::string& subdirectory : subdirectories)
        total += SearchTree(subdirectory, query);
    return total;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || argv[1][0] == '\0') {
        fputs("usage: search_floor TEXT DIRECTORY\n", stderr);
        return 2;
    }
    const PlainQuery query = {reinterpret_cast<const unsigned char*>(argv[1]),
                              static_cast<uint32_t>(strlen(argv[1])), 0, 0};
    std::string directory = argv[2];
    while (directory.size() > 1 && (directory.back() == '\\' || directory.back() == '/'))
        directory.pop_back();
    printf("%s\n", std::to_string(SearchTree(directory, query)).c_str());
    return 0;
}
