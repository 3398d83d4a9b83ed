// MappedFile: a file's contents as memory, through a mapping of the file and
// one or more mapped windows on it (MappedFile::View). The first view is the
// main one: GetData and GetSize describe it. The bytes are not NUL-terminated:
// readers stop at GetData() + GetSize().
//
// The mapping follows the file's open mode: read/write when the mode has
// openReadWrite (0x8), read-only otherwise. Every failure raises Exception
// with a text of the file message table: 18025 or 18000 from the open,
// 18026 (code 8) when memory runs out, 18019 when the disk is full, 18021
// (with the platform's error) when the mapping or a view cannot be made, which
// includes an empty file, and 18000 with code 4 when the first byte of a new
// view cannot be read (a region locked by another program, a medium gone). A
// constructor that raises leaves no file, mapping or view open.
//
// A view's memory can still vanish while it is read (the file cut short by
// another program, a network drive lost): readers that must survive that scan
// inside RunGuarded (fs/fault_guard.h) over [GetData(), GetData() + GetSize()).
#pragma once

#include <cstdint>

#include "base/list.h"
#include "fs/file.h"

class Exception;

class MappedFile {
public:
    // A mapped window on the owner's mapping. It unmaps itself when deleted.
    // Views are made by AddView and deleted by RemoveView or the owner.
    class View : public ListElement {
    public:
        explicit View(MappedFile* owner) : _owner(owner) {}
        ~View() override;

        char* GetBase() const { return _base; } // null when not mapped
        uint32_t GetSize() const { return _size; }
        MappedFile* GetOwner() const { return _owner; }

        // Maps `size` bytes from `offset` (0: to the end of the mapping) with
        // the owner's access and reads the first byte; raises as described
        // above, leaving the view unmapped. The offset may lie past 4 GiB; it
        // must be a multiple of the platform's allocation granularity
        // (viewGranularity). A view of 4 GiB or more cannot be made.
        void Map(uint64_t offset, uint32_t size);
        void Unmap();
        // Maps a mapped view again at the new window; returns the new base,
        // or null (doing nothing) when the view was not mapped.
        char* Remap(uint64_t offset, uint32_t size);

    private:
        MappedFile* _owner;    // whose mapping this view shows
        char* _base = nullptr; // first byte; null when not mapped
        uint32_t _size = 0;    // bytes the view covers
    };

    // Opens `name` with `mode` (a File the object owns) and maps it. A
    // `maxSize` of 0 maps the file's present size; a larger one extends a
    // writable file. With `mapNow` the whole mapping becomes the first view.
    MappedFile(const FileName& name, uint32_t mode, int mapNow = 1, uint32_t maxSize = 0);
    // Maps a File that is already open; the File stays the caller's.
    explicit MappedFile(File* file, int mapNow = 1, uint32_t maxSize = 0);
    // Deletes the views, closes the mapping, and deletes an owned File.
    virtual ~MappedFile();

    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps a new view (see View::Map) and appends it to the views.
    View* AddView(uint64_t offset, uint32_t size);

    // Views start at multiples of this many bytes of the file.
    static constexpr uint32_t viewGranularity = 65536;
    // 1 when `failure`, raised by AddView, says that the view could not be
    // made for its size alone: no room left for it in the address space, or
    // 4 GiB and more. Smaller views of the same mapping may still be made.
    static int IsViewTooLarge(const Exception& failure);
    // Takes `view` out of the views and deletes it.
    void RemoveView(View* view);

    char* GetData() const;    // the first view's bytes, or null without a view
    uint32_t GetSize() const; // the first view's size, or 0 without a view
    File* GetFile() const { return _file; }
    // Bytes the mapping covers (the file's size for a maxSize of 0), past
    // 4 GiB as well.
    uint64_t GetMappingSize() const { return _mappingSize; }

    // Makes a writable mapping `newSize` bytes long (a larger size extends
    // the file; a smaller one maps less and leaves the file as it is). Every
    // view but the first is deleted and the first maps the whole new
    // mapping. With `zeroFill`, bytes past the old end are written as 0; a
    // write there that faults raises 18019 when the volume has no room left
    // for them, else 18003 (with the volume's error when it cannot be asked,
    // a medium gone, or ERROR_WRITE_FAULT). Returns the first view's new
    // base; null, changing nothing, when `newSize` is the file's size or
    // there is no mapping. When the new mapping cannot be made, no mapping
    // and no view are left and the failure is raised.
    char* Resize(uint32_t newSize, int zeroFill);
    // Resize to the file's size plus `delta`.
    char* GrowBy(uint32_t delta, int zeroFill);

    // Deletes every view, closes the mapping and closes the file; only
    // destruction may follow.
    void Close();

    // 1 when the two files have the same contents. `offset` (optional)
    // receives 0 for equal files, -1 when the sizes differ,
    // the position of the first differing byte, or -2 when a file could not
    // be read (missing, unmappable, which includes two empty files, or a view
    // that faulted). Raises nothing.
    static int Compare(const FileName& first, const FileName& second, int32_t* offset = nullptr);

private:
    // Creates the mapping and, with mapNow, the first view; on failure
    // closes what it made and raises.
    void Map(int mapNow, uint32_t maxSize);
    // The platform's part: the views' access from the file's mode, and the
    // mapping; raises when the file is not open or the mapping fails.
    void OpenMapping(uint32_t maxSize);
    void CloseMapping();
    void DeleteViews(View* keep);

    void* _mapping = nullptr;  // the file-mapping object; null when none
    File* _file;               // the mapped file
    List<View> _views{0};      // in order of adding; the first is the main view; not owning
    uint32_t _viewAccess = 0;  // access of each view: read, or read and write
    int _ownsFile;             // 1: _file was opened here and is deleted here
    uint32_t _protection = 0;  // page protection of the mapping
    uint64_t _mappingSize = 0; // bytes the mapping covers: a view of size 0 ends there
};
