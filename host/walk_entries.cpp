#include "host/walk_entries.h"

#include "fs/entry_path.h"
#include "fs/file_attributes.h"
#include "fs/file_scanner.h"
#include "fs/walk_path.h"
#include "host/file_set_entries.h"

std::vector<WalkEntry> ExistingEntries(FileSetEntries& entries, const RunQuery& query, bool& any,
                                       uint32_t& tooLong) {
    std::vector<WalkEntry> existing;
    String entry;
    int recursive = 0;
    any = false;
    while (entries.NextFileSetEntry(entry, recursive)) {
        any = true;
        String walkPath;
        if (!EntryWalkPath(entry, query.hostUtf8, walkPath)) {
            ++tooLong;
            continue;
        }
        FileName name(walkPath);
        const int32_t attributes = AttributesOfWalkPath(name);
        if (attributes != -1) {
            existing.push_back(WalkEntry{name, (attributes & attributeDirectory) != 0, recursive});
        }
    }
    return existing;
}

EntryScans::EntryScans(const std::vector<WalkEntry>& entries, const FileSetEntries& fileSet,
                       const RunQuery& query)
    : _fileSet(fileSet), _followLinks(query.followLinks) {
    // One entry reaches each folder once unless links lead back; several may
    // overlap, and then every folder walked is known by its identity.
    _visits.byIdentity = entries.size() > 1;
    std::vector<std::string> masks;
    for (const StringItem<ListElement>* mask = fileSet.Masks().GetHead(); mask != nullptr;
         mask = StringList::GetNext(mask))
        masks.push_back(*mask);
    _visits.folderTypes = FileTypes(masks);
}

void EntryScans::Prepare(FileScanner& scanner, const WalkEntry& entry) {
    scanner.FollowLinks(_followLinks);
    scanner.ShareVisits(&_visits);
    if (!entry.isDirectory) return;
    for (const StringItem<ListElement>* mask = _fileSet.Masks().GetHead(); mask != nullptr;
         mask = StringList::GetNext(mask))
        scanner.AddMask(*mask);
}
