#include "fs/file_scanner.h"

#include <cstring>

#include "base/text_utils.h"
#include "fs/directory_enumeration.h"
#include "fs/name_case.h"
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

int IsSelfOrParent(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

FoundFile::~FoundFile() {}

// ---- Construction and set-up

FileScanner::FileScanner(const FileName& directory, const String* mask, int collect, int recursive)
    : _fileCount(0), _unreadListings(0), _filesLeftOut(0), _foldersLeftOut(0), _nameSink(nullptr),
      _nextIndex(0), _collect(0), _masks(1), _found(1), _directories(1), _foundCursor(nullptr),
      _recursive(0) {
    Reset(directory, mask, collect, recursive);
}

FileScanner::FileScanner(const List<FileName>& directories, const String* mask, int collect,
                         int recursive)
    : _fileCount(0), _unreadListings(0), _filesLeftOut(0), _foldersLeftOut(0), _nameSink(nullptr),
      _nextIndex(0), _collect(0), _masks(1), _found(1), _directories(1), _foundCursor(nullptr),
      _recursive(0) {
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
    _fileCount = 0;
    _unreadListings = 0;
    _filesLeftOut = 0;
    _foldersLeftOut = 0;
    _nextIndex = 0;
    _found.DeleteAll();
    _masks.DeleteAll();
    if (mask != nullptr) AddMask(*mask);
}

void FileScanner::CompileMasks() {
    std::vector<std::string> masks;
    for (const StringItem<ListElement>* mask = _masks.GetHead(); mask != nullptr;
         mask = StringList::GetNext(mask))
        masks.push_back(*mask);
    _types = FileTypes(masks);
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
    if (_visits == &_ownVisits) _ownVisits.Clear();
    _enclosingFolders.clear();
    CompileMasks();
    for (FileName* entry = _directories.GetHead(); entry != nullptr;
         entry = List<FileName>::GetNext(entry)) {
        const int walked = _masks._count != 0 ? ScanDirectory(*entry) : ScanMaskedEntry(*entry);
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
    if (namesOneFile) return ScanNamedFile(directory, firstMask);
    AddMask(firstMask);
    for (const StringItem<ListElement>* item = StringList::GetNext(first); item != nullptr;
         item = StringList::GetNext(item))
        AddMask(*item);
    CompileMasks();
    return ScanDirectory(directory);
}

int FileScanner::ScanNamedFile(const std::string& directory, const String& name) {
    {
        FileName directoryName(directory.c_str());
        OnDirectory(directoryName);
    }
    std::string base;
    std::string lookup;
    const char* closing = !directory.empty() && directory.back() == '\\' ? "" : "\\";
    if (!JoinPath(base, directory, closing) || !JoinPath(lookup, base, name.c_str())) {
        ++_filesLeftOut;
        return 1;
    }
    FindData entry;
    std::string fullName;
    {
        // The platform looks the name up, a short name too; the entry gives
        // the file's long name.
        DirectoryEnumeration found(lookup.c_str());
        if (!found.Next(&entry) || IsDirectory(entry)) {
            if (found.Failed()) ++_unreadListings;
            _filesLeftOut += found.Skipped();
            return 1;
        }
    }
    if (!JoinPath(fullName, base, entry._name)) {
        ++_filesLeftOut;
        return 1;
    }
    if (KeepsVisits()) {
        FolderIdentity identity;
        if (IdentityOfFolder(directory.c_str(), &identity)) {
            // Taken already by the walk of its folder, or named before.
            const FolderKey folder(identity.volume, identity.index);
            if (_visits->folders.count(folder) != 0 && _visits->folderTypes.TakesFile(entry._name))
                return 1;
            if (!_visits->namedFiles.emplace(folder.first, folder.second, UpcasedName(entry._name))
                     .second)
                return 1;
        }
    }
    return TakeFile(fullName.c_str(), &entry);
}

int FileScanner::EnterFolder(const std::string& directory, FolderKey& folder) {
    FolderIdentity identity;
    if (!IdentityOfFolder(directory.c_str(), &identity)) identity = {~0ull, ~0ull};
    folder = FolderKey(identity.volume, identity.index);
    // A folder whose identity cannot be told is walked where it is met.
    if (folder.first != ~0ull && !_visits->folders.insert(folder).second) {
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

int FileScanner::IsWalkedFolder(const FindData& entry) const {
    if (!IsDirectory(entry) || IsSelfOrParent(entry._name)) return 0;
    if (!_followLinks && IsLinkEntry(entry)) return 0;
    if (_types.LeavesOutFolder(entry._name)) return 0;
    return entry._name[0] != '.' || _types.LetsInFolder(entry._name);
}

int FileScanner::ScanDirectory(const std::string& directory) {
    const int keepsVisits = KeepsVisits();
    FolderKey folder;
    if (keepsVisits && !EnterFolder(directory, folder)) return 1;
    // Files named on their own are looked for only where they can be.
    const FolderKey* listedIn =
        keepsVisits && folder.first != ~0ull && !_visits->namedFiles.empty() ? &folder : nullptr;
    struct Leave {
        FileScanner* scanner;
        ~Leave() {
            if (scanner) scanner->LeaveFolder();
        }
    } leave{keepsVisits ? this : nullptr};
    {
        FileName directoryName(directory.c_str());
        OnDirectory(directoryName);
    }
    // Each level of the walk composes its paths in strings of its own.
    std::string base;        // the directory with its closing backslash
    std::string enumeration; // base and pattern
    std::string entryPath;   // base and the name of one entry
    const char* closing = !directory.empty() && directory.back() == '\\' ? "" : "\\";
    if (!JoinPath(base, directory, closing) || !JoinPath(enumeration, base, everyEntry)) {
        ++_foldersLeftOut;
        return 1;
    }

    FindData entry;
    int hasSubdirectories = 0;
    {
        DirectoryEnumeration entries(enumeration.c_str());
        while (entries.Next(&entry)) {
            if (IsDirectory(entry)) {
                if (IsWalkedFolder(entry)) hasSubdirectories = 1;
            } else if (!_types.TakesFile(entry._name)) {
                // Not one of the file types: passed over.
            } else if (!JoinPath(entryPath, base, entry._name)) {
                ++_filesLeftOut;
            } else if (!TryFile(entryPath.c_str(), &entry, listedIn)) {
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
        if (!IsWalkedFolder(entry)) continue;
        if (!JoinPath(entryPath, base, entry._name)) {
            ++_foldersLeftOut;
        } else if (!ScanDirectory(entryPath)) {
            return 0;
        }
    }
    if (entries.Failed()) ++_unreadListings;
    return 1;
}

int FileScanner::TryFile(const char* fullName, FindData* entry, const FolderKey* folder) {
    // A file named on its own by an earlier entry was taken there.
    if (folder != nullptr && _visits->namedFiles.count(std::make_tuple(
                                 folder->first, folder->second, UpcasedName(entry->_name))) != 0)
        return 1;
    return TakeFile(fullName, entry);
}

int FileScanner::TakeFile(const char* fullName, FindData* entry) {
    FileName fileName(fullName);
    if (!AcceptFile(fileName, entry)) return 1;
    ++_fileCount;
    if (_nameSink != nullptr) {
        _nameSink->AddTail(new FileName(fileName));
    } else if (_collect) {
        _found.AddTail(new FoundFile(fileName, *entry));
    } else if (!OnFile(fileName, entry, _nextIndex++)) {
        return 0;
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
