#include "fs/file_scanner.h"

#include <cstring>

#include "base/text_utils.h"
#include "fs/directory_enumeration.h"
#include "fs/mask_match.h"
#include "fs/walk_path.h"

namespace {

const char everyEntry[] = "*.*"; // the enumeration pattern of a whole directory

// Sets `path` to `head` followed by `tail`; 0 when that is longer than a
// walk path may be.
int JoinPath(std::string& path, const std::string& head, const char* tail) {
    path.assign(head).append(tail);
    return path.size() <= maxWalkPathBytes;
}

int IsDirectory(const FindData& entry) {
    return (entry._attributes & fileAttributeDirectory) != 0;
}

// Subdirectories whose name begins with '.' (".", "..", ".git", ...) are
// never entered, nor links unless the walk follows them.
int IsWalkedDirectory(const FindData& entry, int followLinks) {
    return IsDirectory(entry) && entry._name[0] != '.' && (followLinks || !IsLinkEntry(entry));
}

} // namespace

FoundFile::~FoundFile() {}

// ---- Construction and set-up

FileScanner::FileScanner(const FileName& directory, const String* mask, int collect, int recursive)
    : _totalSize(0), _fileCount(0), _unreadListings(0), _filesLeftOut(0), _foldersLeftOut(0),
      _nameSink(nullptr), _nextIndex(0), _collect(0), _masks(1), _found(1), _directories(1),
      _foundCursor(nullptr), _recursive(0) {
    Reset(directory, mask, collect, recursive);
}

FileScanner::FileScanner(const List<FileName>& directories, const String* mask, int collect,
                         int recursive)
    : _totalSize(0), _fileCount(0), _unreadListings(0), _filesLeftOut(0), _foldersLeftOut(0),
      _nameSink(nullptr), _nextIndex(0), _collect(0), _masks(1), _found(1), _directories(1),
      _foundCursor(nullptr), _recursive(0) {
    Reset(directories, mask, collect, recursive);
}

FileScanner::~FileScanner() {}

void FileScanner::Reset(const FileName& directory, const String* mask, int collect, int recursive) {
    _directories.DeleteAll();
    _directories.AddTail(new FileName(directory));
    ResetState(mask, collect, recursive);
}

void FileScanner::Reset(const List<FileName>& directories, const String* mask, int collect,
                        int recursive) {
    _directories.Assign(directories, 0);
    ResetState(mask, collect, recursive);
}

void FileScanner::ResetState(const String* mask, int collect, int recursive) {
    _recursive = recursive;
    _collect = collect;
    _foundCursor = nullptr;
    _totalSize = 0;
    _fileCount = 0;
    _unreadListings = 0;
    _filesLeftOut = 0;
    _foldersLeftOut = 0;
    _nextIndex = 0;
    _found.DeleteAll();
    _masks.DeleteAll();
    if (mask != nullptr) AddMask(*mask);
}

void FileScanner::AddMask(const String& mask) {
    _masks.AddTail(new StringItem<ListElement>(mask));
}

// ---- The defaults of the subclass's part

int FileScanner::ShouldStop() {
    return 0;
}

int FileScanner::OnFile(FileName&, FindData*, int) {
    return 1;
}

int FileScanner::AcceptFile(FileName&, FindData*) {
    return 1;
}

void FileScanner::OnDirectory(FileName&) {}

void FileScanner::BeginScan() {}

void FileScanner::EndScan() {}

// ---- Running

void FileScanner::Scan() {
    BeginScan();
    _nextIndex = 0;
    _walkedFolders.clear();
    _enclosingFolders.clear();
    for (FileName* entry = _directories.GetHead(); entry != nullptr;
         entry = List<FileName>::GetNext(entry)) {
        const int walked =
            _masks._count != 0 ? ScanDirectory(*entry, everyEntry) : ScanMaskedEntry(*entry);
        if (!walked) break;
    }
    EndScan();
    // ScanInto never reports through OnFile, kept files included.
    if (!_collect || _nameSink != nullptr) return;
    for (FoundFile* found = _found.GetHead(); found != nullptr;
         found = List<FoundFile>::GetNext(found)) {
        FileName fileName(found->_fileName);
        if (!OnFile(fileName, &found->_findData, _nextIndex++)) break;
    }
}

void FileScanner::ScanInto(List<FileName>& names) {
    // The sink is cleared on every way out of Scan, a raised failure included.
    struct SinkScope {
        List<FileName>*& sink;
        ~SinkScope() { sink = nullptr; }
    } scope{_nameSink};
    _nameSink = &names;
    Scan();
}

int FileScanner::ScanMaskedEntry(const FileName& entry) {
    StringList items;
    Split(items, entry.c_str(), "|", 1);
    const StringItem<ListElement>* first = items.GetHead();
    if (first == nullptr) return 1;
    // One name without wildcards is looked up directly instead of listing
    // the whole directory, and keeps its trailing blanks: "y " is not "y".
    const int namesOneFile =
        items._count == 1 &&
        FileName(static_cast<const String&>(*first)).GetName(1).find_first_of("*?") == String::npos;
    const FileName firstItem(namesOneFile ? String(entry.substr(entry.find_first_not_of(" \t")))
                                          : static_cast<const String&>(*first));
    const String firstMask = firstItem.GetName(1);
    if (firstMask.empty()) return 1;
    const FileName directory(firstItem.GetDirectory());

    // These masks belong to this entry alone: they go again on every way out.
    struct MaskScope {
        StringList& masks;
        ~MaskScope() { masks.DeleteAll(); }
    } scope{_masks};
    AddMask(firstMask);
    for (const StringItem<ListElement>* item = StringList::GetNext(first); item != nullptr;
         item = StringList::GetNext(item))
        AddMask(*item);
    return ScanDirectory(directory, namesOneFile ? firstMask.c_str() : everyEntry);
}

int FileScanner::EnterFolder(const std::string& directory) {
    FolderIdentity identity;
    if (!IdentityOfFolder(directory.c_str(), &identity)) identity = {~0ull, ~0ull};
    const std::pair<uint64_t, uint64_t> folder(identity.volume, identity.index);
    // A folder whose identity cannot be told is walked where it is met.
    if (folder.first != ~0ull && !_walkedFolders.insert(folder).second) {
        for (const auto& enclosing : _enclosingFolders)
            if (enclosing == folder) ++_foldersLeftOut;
        return 0;
    }
    _enclosingFolders.push_back(folder);
    return 1;
}

void FileScanner::LeaveFolder() {
    _enclosingFolders.pop_back();
}

int FileScanner::ScanDirectory(const std::string& directory, const char* pattern) {
    if (_followLinks) {
        if (!EnterFolder(directory)) return 1;
    }
    struct Leave {
        FileScanner* scanner;
        ~Leave() {
            if (scanner) scanner->LeaveFolder();
        }
    } leave{_followLinks ? this : nullptr};
    {
        FileName directoryName(directory.c_str());
        OnDirectory(directoryName);
    }
    // Each level of the walk composes its paths in strings of its own.
    std::string base;        // the directory with its closing backslash
    std::string enumeration; // base and pattern
    std::string entryPath;   // base and the name of one entry
    const char* closing = !directory.empty() && directory.back() == '\\' ? "" : "\\";
    if (!JoinPath(base, directory, closing) || !JoinPath(enumeration, base, pattern)) {
        ++_foldersLeftOut;
        return 1;
    }

    FindData entry;
    int hasSubdirectories = 0;
    {
        DirectoryEnumeration entries(enumeration.c_str());
        while (entries.Next(&entry)) {
            if (IsDirectory(entry)) {
                if (IsWalkedDirectory(entry, _followLinks)) hasSubdirectories = 1;
            } else if (!JoinPath(entryPath, base, entry._name)) {
                ++_filesLeftOut;
            } else if (!TryFile(entryPath.c_str(), &entry)) {
                return 0;
            }
            if (ShouldStop()) return 0;
        }
        if (entries.Failed()) ++_unreadListings;
        _filesLeftOut += entries.Skipped();
    }
    if (!hasSubdirectories || !_recursive) return 1;

    // The second pass enumerates again rather than holding the first pass's
    // entries in memory. Names too long were counted in the first.
    DirectoryEnumeration entries(enumeration.c_str());
    while (entries.Next(&entry)) {
        if (ShouldStop()) return 0;
        if (!IsWalkedDirectory(entry, _followLinks)) continue;
        if (!JoinPath(entryPath, base, entry._name)) {
            ++_foldersLeftOut;
        } else if (!ScanDirectory(entryPath, pattern)) {
            return 0;
        }
    }
    if (entries.Failed()) ++_unreadListings;
    return 1;
}

int FileScanner::TryFile(const char* fullName, FindData* entry) {
    // Every fitting mask counts: a file that fits two masks is reported twice.
    for (const StringItem<ListElement>* mask = _masks.GetHead(); mask != nullptr;
         mask = StringList::GetNext(mask)) {
        if (!MatchMask(mask->c_str(), entry->_name)) continue;
        FileName fileName(fullName);
        if (!AcceptFile(fileName, entry)) return 1;
        _totalSize += entry->_size;
        ++_fileCount;
        if (_nameSink != nullptr) {
            _nameSink->AddTail(new FileName(fileName));
        } else if (_collect) {
            _found.AddTail(new FoundFile(fileName, *entry));
        } else if (!OnFile(fileName, entry, _nextIndex++)) {
            return 0;
        }
    }
    return 1;
}

// ---- Kept files

String FileScanner::GetFirstFound() {
    _foundCursor = _found.GetHead();
    return _foundCursor != nullptr ? String(_foundCursor->_fileName) : String();
}

String FileScanner::GetNextFound() {
    if (_foundCursor != nullptr) _foundCursor = List<FoundFile>::GetNext(_foundCursor);
    return _foundCursor != nullptr ? String(_foundCursor->_fileName) : String();
}
