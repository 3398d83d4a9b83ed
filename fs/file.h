// File: an open file with its name and open mode (fs/open_mode.h), and the
// operations of the file layer on files named by a FileName: existence, size,
// attributes, times, whole-file and line-wise reading and writing, delete,
// rename, copy, move, directory creation, temporary and backup names, and the
// drive and volume queries.
//
// Failures raise Exception (base/exception.h) with a text of the file message
// table and, where the platform reported one, its error code; operations with
// a `raise` argument report by their result instead when it is 0. Writing
// operations that fail for a full disk raise message 18019 naming the drive
// (fs/file_errors.h). Nothing here shows a message except PrepareOverwrite.
// Operations that open a File close it before they return, also when they
// raise. Sizes and offsets are 32-bit; see ReadWholeFile for larger files.
#pragma once

#include <cstdint>

#include "base/string.h"
#include "base/text_utils.h"
#include "fs/file_name.h"
#include "fs/open_mode.h"

struct _FILETIME; // the platform's file time (FILETIME)

// The Windows headers define GetFreeSpace as a macro of one argument (a
// leftover of 16-bit Windows); include this header after them.
#ifdef GetFreeSpace
#undef GetFreeSpace
#endif

class File {
public:
    typedef void* Handle;              // the platform's file handle (HANDLE)
    static Handle const invalidHandle; // the handle of a File that is not open

    // Not open: empty name, invalid handle.
    File();
    // Wraps a handle that is already open; empty name, mode 0. The File
    // closes the handle.
    explicit File(Handle handle);
    // Opens `name` with `mode`. With openTempName the name is a directory and
    // the file opened is a new temporary name in it (GetName tells which).
    // With openClearReadOnly an existing file loses its read-only attribute
    // first (18017 when that fails). A sharing violation raises 18025 with the
    // name and no code; any other failure 18000 with the platform's error. A
    // constructor that raises leaves nothing open.
    File(const FileName& name, uint32_t mode);
    // Close; then, when deleteOnDestroy is set, removes the file (clearing
    // its read-only attribute if need be; failures ignored).
    virtual ~File();

    File(const File&) = delete;
    File& operator=(const File&) = delete;

    int IsOpen() const { return _handle != invalidHandle; }
    // Closes the handle; nothing when not open. With openClearReadOnly the
    // file, if it still exists, gets its read-only attribute back (failures
    // ignored).
    void Close();

    const FileName& GetName() const { return _name; }
    uint32_t GetMode() const { return _mode; } // as completed by the open
    Handle GetHandle() const { return _handle; }
    // Bytes transferred by the last Read; -1 when the read itself failed.
    int32_t GetLastCount() const { return _lastCount; }

    // ---- Data
    // The size in bytes, low 32 bits (0 when the platform cannot tell).
    uint32_t GetSize() const;
    // The size in full, for the callers that must tell files beyond 32 bits
    // apart; 0 when the platform cannot tell.
    uint64_t GetSize64() const;
    // Reads `count` bytes; 1 when all of them came. A short read raises 18002
    // when `raise` is set, else returns 0. A count of 0 returns 1 at once.
    int Read(void* buffer, uint32_t count, int raise = 1);
    // Reads up to `count` bytes from `offset` (past 4 GiB as well), whatever
    // the file pointer, which it may move; returns the bytes read, fewer only
    // where the file ends, or -1 when the read failed.
    int64_t ReadAt(uint64_t offset, void* buffer, uint32_t count);
    // Writes `count` bytes; failure raises 18019 (disk full) or 18003.
    void Write(const void* buffer, uint32_t count);
    // Moves the file pointer from the start (origin 0), the present
    // position (1) or the end (2); returns the new position. Raises 18004.
    uint32_t Seek(int32_t offset, int origin);
    // Makes the file `size` bytes long, leaving the pointer there. Raises
    // 18019 (disk full) or 18005 when the file has another size after it.
    void SetSize(uint32_t size);
    // The text's characters, and its terminating NUL when `withNul` is set.
    void WriteString(const String& text, int withNul = 0);
    // The text's characters, then `first`, then `second` unless it is -1.
    void WriteLine(const String& text, char first = '\r', int second = '\n');
    // The next line without its end: a line ends at a NUL, a line feed, or a
    // carriage return (with the line feed after it, if there is one). Bytes
    // that cannot be read are skipped; a carriage return as the very last
    // byte raises 18002.
    String ReadLine();
    int Flush(); // 1 on success

    // ---- Times and attributes
    // The last-write time in packed DOS form, not converted to local time;
    // both 0 when the times cannot be read. Either output may be null.
    void GetDateTime(uint16_t* date, uint16_t* time) const;
    // Zeroes each given output, then reads the times into them; 1 on success.
    int GetTimes(_FILETIME* creation, _FILETIME* lastAccess, _FILETIME* lastWrite) const;
    // Sets the given times (null ones stay); 1 on success.
    int SetTimes(const _FILETIME* creation, const _FILETIME* lastAccess,
                 const _FILETIME* lastWrite);
    // The attribute word (fs/file_attributes.h) through the handle, or -1.
    int32_t GetAttributes() const;

    // ---- Locks over a byte range; 1 on success.
    int Lock(uint32_t offset, uint32_t length);
    int Unlock(uint32_t offset, uint32_t length);

    void SetDeleteOnDestroy(int flag) { _deleteOnDestroy = flag; }
    // 1 when the file goes at destruction or when its handle closes.
    int IsTemporary() const { return (_deleteOnDestroy || (_mode & openDeleteOnClose)) ? 1 : 0; }

    // ==== Operations on names
    // 1 when the platform reports attributes for the name or refuses them
    // with "access denied"; else 0.
    static int Exists(const FileName& name);
    // The size (low 32 bits) from a directory lookup; 18000 when none found.
    static uint32_t SizeOf(const FileName& name);
    static int IsReadOnly(const FileName& name);          // 0 when there is no such file
    static int32_t GetAttributesOf(const FileName& name); // -1 when there is no such file
    // 1 on success; on failure raises 18017 when `raise` is set, else 0.
    static int SetAttributesOf(const FileName& name, int32_t attributes, int raise);
    // GetDateTime, GetTimes and SetTimes of the named file (opened with 0x82,
    // 0x1 and 0x8); the open raises as the constructor does.
    static void GetDateTimeOf(const FileName& name, uint16_t* date, uint16_t* time);
    static int GetTimesOf(const FileName& name, _FILETIME* creation, _FILETIME* lastAccess,
                          _FILETIME* lastWrite);
    static int SetTimesOf(const FileName& name, const _FILETIME* creation,
                          const _FILETIME* lastAccess, const _FILETIME* lastWrite);

    // ---- Whole files and lines
    // Reads the whole file into `buffer`, or into a new buffer of its size
    // from the global allocation (release it with ::operator delete) when
    // `buffer` is null; the size goes to `size` (optional). 18000 when it is
    // missing, 18002 on a short read, and 18002 with code 223 for a file of
    // 4 GiB or more, whose size would not fit the 32-bit count.
    static void* ReadWholeFile(const FileName& name, uint32_t* size, void* buffer);
    // Creates or replaces the file with `count` bytes of `data`.
    static void WriteWholeFile(const FileName& name, const void* data, uint32_t count);
    // Appends each non-empty line of the text file to `lines` (a line end is
    // CR LF or LF). With `trim` blanks and then tabs are stripped from both
    // ends; a line left empty by that is dropped when `skipEmpty` is set and
    // kept as an empty string otherwise. 18000 (no code) when it cannot open.
    static void ReadLines(const FileName& name, StringList& lines, int trim, int skipEmpty);
    // Creates or replaces the text file with one line per string, each ended
    // by CR LF. 18016 (no code) when it cannot be created or written.
    static void WriteLines(const FileName& name, const StringList& lines);

    // ---- Deleting, renaming, copying, moving
    // 1 when the file is gone (or was never there). Otherwise, with
    // `clearReadOnly` a read-only file loses that attribute and is deleted
    // again; what still fails raises 18001 when `raise` is set, else gives 0.
    static int Remove(const FileName& name, int raise, int clearReadOnly);
    static void Rename(const FileName& oldName, const FileName& newName); // 18013
    // Copies, replacing an existing destination: 18019 or 18006.
    static void Copy(const FileName& destination, const FileName& source);
    // Creates the destination's directories first; keeps them on failure.
    static void CopyWithDirectories(const FileName& destination, const FileName& source);
    // Copies through the platform's compressed-file expansion (lz32): a
    // compressed source is expanded, any other is copied as it is. Creates
    // the destination's directories first. 18019 or 18020.
    static void CopyExpanded(const FileName& destination, const FileName& source);
    // Removes an existing destination (clearing read-only), then moves, also
    // to another drive: 18019 or 18007. A failed move may leave the
    // destination removed.
    static void Move(const FileName& destination, const FileName& source);
    // Creates every missing directory of `path`, which must begin with an
    // existing drive (X:); existing directories are fine. A missing drive, a
    // part that exists but is no directory, or a failed creation raise 18018.
    static void CreateDirectories(const FileName& path);

    // ---- Temporary names and overwriting
    // The first free name directory\XX<n>.$$$ for n = 0, 1, ...; 18008
    // (no code) when the directory does not exist.
    static FileName MakeTempName(const String& directory);
    // 1 when a temporary file can be created (and is deleted at once) in
    // `directory`; 0 for an empty name or when that fails.
    static int CanCreateIn(const String& directory);
    // Gets an existing file ready to be overwritten by a new version; 1 to
    // go on saving, 0 to abandon. A file in use (another program holds it
    // open) is announced with message 18009 and refused when `warnInUse` is
    // set. With `ask` 1 the user is asked (18010, Yes/No/Cancel, the caption
    // is the text of `window`) whether to make a backup; other nonzero `ask`
    // values back up without asking, 0 or a null `extension` never. The
    // backup takes `extension` (see BackupName in fs/derived_names.h): the
    // file is renamed to it, or copied when it is in use. A failed backup is
    // announced with 18011 and gives 0. Raises nothing.
    static int PrepareOverwrite(void* window, const FileName& name, int warnInUse, int ask,
                                const char* extension);

    // ---- Drives and volumes. A name's drive is its drive prefix; its root
    // is the drive letter, ':' and a backslash.
    // Whether the drive is among the platform's logical drives (a name
    // without a drive tests bit 31, which no drive has).
    static int DriveExists(const FileName& name);
    // -1 no such root, 0 unknown, 1 floppy, 2 other removable, 3 fixed,
    // 4 network, 5 CD-ROM, 6 RAM disk.
    static int GetDriveKind(const FileName& name);
    static int IsFloppyDrive(const FileName& name);
    static int IsCompressedVolume(const FileName& name);
    static int IsDiskDrive(const FileName& name); // removable or fixed
    // The volume label of the root (at most 98 characters); 18014.
    static FileName ReadVolumeLabel(const FileName& name);
    // Sets the label of the root; 18015. Returns 1.
    static int WriteVolumeLabel(const FileName& name, const String& label);
    // Free bytes of drive `driveIndex` (0 for A:) and the total in `total`
    // (optional); 0 when the platform gives no answer. Figures beyond 32 bits
    // read as 0xFFFFFFFF.
    static uint32_t GetFreeSpace(int driveIndex, uint32_t* total);
    // The directory of the module's file (the running program for null).
    static FileName GetModuleDirectory(ModuleHandle module);

private:
    void Open(const FileName& name, uint32_t mode);

    FileName _name;           // as opened; for openTempName the name made up
    int32_t _lastCount = 0;   // bytes of the last Read, -1 when it failed
    uint32_t _mode = 0;       // the completed open mode
    int _deleteOnDestroy = 0; // the destructor removes the file
    Handle _handle;           // invalidHandle when not open
};
