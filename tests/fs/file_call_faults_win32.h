// Failures on demand for the file layer's calls to Windows (fs/file_calls_win32.h),
// for tests. While a FileCallFaults lives, every entry of fileCalls goes
// through a wrapper that counts the calls of that entry, makes the ones asked
// for fail, and counts what the layer holds: handles, find handles and mapped
// views opened through the table and not yet released. A failed call returns
// the entry's failure value (INVALID_HANDLE_VALUE, null, FALSE, 0xFFFFFFFF,
// ...) with the chosen error as the thread's last error, and has no effect.
//
// One at a time (a second one raises std::logic_error): the wrappers read
// the one that is alive. Its counts are kept under a lock, so that a walk on
// several threads may call through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>

#include "fs/file_calls_win32.h"

class FileCallFaults {
public:
    FileCallFaults();  // puts the wrappers in force
    ~FileCallFaults(); // puts back the table it found
    FileCallFaults(const FileCallFaults&) = delete;
    FileCallFaults& operator=(const FileCallFaults&) = delete;

    // Makes the `nth` call of `entry` from now on (1 for the next one) fail
    // with `error`, and, with `times` above 1, that many calls in a row from
    // there. A later Fail of the same entry replaces this one.
    template <class Function>
    void Fail(Function FileCalls::*entry, uint32_t nth, uint32_t error, uint32_t times = 1) {
        FailSlot(SlotOf(entry), nth, error, times);
    }
    // Calls of `entry` since this object was made, failed ones included.
    template <class Function>
    uint32_t Calls(Function FileCalls::*entry) const {
        return _slots[SlotOf(entry)].calls;
    }

    // The `nth` view mapped from now on gets its pages from byte `offset` on
    // protected with `protection`: PAGE_NOACCESS makes reads there fault, as
    // in a view whose file was cut short or whose medium went away;
    // PAGE_READONLY makes writes fault, as when the disk has no room left for
    // new pages.
    void SpoilView(uint32_t nth, uint32_t offset, uint32_t protection);

    // Faults tied to a name rather than to a call's number, so that they
    // strike the same file or folder whichever thread meets it: every read
    // of the files whose path ends with a backslash and `file` fails
    // (ERROR_READ_FAULT), every view of them loses its pages from its second
    // on (all of them when it has one), and every listing of the folder whose
    // path ends with a backslash and `folder` breaks off after its first
    // entry (ERROR_NETNAME_DELETED).
    // Their handles are followed until closed, since the system hands the
    // values out again.
    void FailNamed(const std::string& file, const std::string& folder);

    // Opened through the table and not yet released: file, device and mapping
    // handles (CreateFileA, CreateFileMappingA against CloseHandle), find
    // handles (FindFirstFileA against FindClose) and views (MapViewOfFile
    // against UnmapViewOfFile).
    int32_t OpenHandles() const { return _openHandles; }
    int32_t OpenFinds() const { return _openFinds; }
    int32_t MappedViews() const { return _mappedViews; }
    // 1 when nothing opened through the table is still held.
    int NothingHeld() const { return !_openHandles && !_openFinds && !_mappedViews; }

private:
    template <auto entry, class Function>
    friend struct FaultyCall; // the wrappers (file_call_faults_win32.cpp)

    enum { slotCount = sizeof(FileCalls) / sizeof(void*) };
    struct Slot {
        uint32_t calls = 0;
        uint32_t failFrom = 0;  // number of the first call to fail; 0: none
        uint32_t failUntil = 0; // one past the number of the last call to fail
        uint32_t error = 0;     // the last error of a failed call
    };

    template <class Function>
    static size_t SlotOf(Function FileCalls::*entry) {
        static const FileCalls layout{};
        return static_cast<size_t>(reinterpret_cast<const char*>(&(layout.*entry)) -
                                   reinterpret_cast<const char*>(&layout)) /
               sizeof(void*);
    }
    void FailSlot(size_t slot, uint32_t nth, uint32_t error, uint32_t times);
    void ViewMapped(void* base, bool named); // spoils it when it is one asked for
    static bool EndsWithName(const wchar_t* path, size_t length, const std::wstring& name);

    struct {
        uint32_t callNumber = 0; // the MapViewOfFile call to spoil; 0: none
        uint32_t offset = 0;
        uint32_t protection = 0;
    } _spoil;

    std::wstring _namedFile, _namedFolder; // FailNamed's; empty: none
    std::set<void*> _named;                // open handles of those files and listings

    std::mutex _mutex; // over everything above and below but `_saved`
    FileCalls _saved;  // the table in force before; the wrappers call through it
    Slot _slots[slotCount];
    int32_t _openHandles = 0;
    int32_t _openFinds = 0;
    int32_t _mappedViews = 0;
};
