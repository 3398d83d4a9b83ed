#include "tests/fs/file_call_faults_win32.h"

#include <cwchar>
#include <stdexcept>
#include <type_traits>

namespace {

FileCallFaults* active; // the one alive, or null

// Whether two entries of the table are the same one.
template <auto a, auto b>
constexpr bool Is() {
    if constexpr (std::is_same_v<decltype(a), decltype(b)>)
        return a == b;
    else
        return false;
}

} // namespace

// The wrapper of one entry: counts the call, fails it when asked, and keeps
// the counts of what is held.
template <auto entry, class Function>
struct FaultyCall;

template <auto entry, class Result, class... Arguments>
struct FaultyCall<entry, Result(WINAPI*)(Arguments...)> {
    static Result WINAPI Call(Arguments... arguments) {
        FileCallFaults& faults = *active;
        {
            std::lock_guard<std::mutex> lock(faults._mutex);
            FileCallFaults::Slot& state = faults._slots[FileCallFaults::SlotOf(entry)];
            ++state.calls;
            if (state.calls >= state.failFrom && state.calls < state.failUntil) {
                SetLastError(state.error);
                return Failure();
            }
            if (FailsByName(faults, arguments...)) return Failure();
        }
        const Result result = (faults._saved.*entry)(arguments...);
        // The caller reads the call's error after it returns, and the lock
        // below may change it: the first time another thread holds it, the
        // lock makes the event it waits on, which sets the error to 0 (then a
        // listing's normal end looked like a failure).
        const DWORD error = GetLastError();
        {
            std::lock_guard<std::mutex> lock(faults._mutex);
            Count(faults, result);
            FollowByName(faults, result, arguments...);
        }
        SetLastError(error);
        return result;
    }

    // Before the call: a read or listing of a named handle fails; a closed
    // handle is no longer followed.
    static bool FailsByName([[maybe_unused]] FileCallFaults& faults,
                            [[maybe_unused]] Arguments... arguments) {
        if constexpr (Is<entry, &FileCalls::ReadFile>() || Is<entry, &FileCalls::FindNextFileW>()) {
            if (!faults._named.count(First(arguments...))) return false;
            SetLastError(Is<entry, &FileCalls::ReadFile>() ? ERROR_READ_FAULT
                                                           : ERROR_NETNAME_DELETED);
            return true;
        } else if constexpr (Is<entry, &FileCalls::CloseHandle>() ||
                             Is<entry, &FileCalls::FindClose>()) {
            faults._named.erase(First(arguments...));
        }
        return false;
    }

    // After the call: the handles of named files, their mappings and the
    // listings of the named folder are followed; their views spoiled.
    static void FollowByName([[maybe_unused]] FileCallFaults& faults,
                             [[maybe_unused]] const Result& result,
                             [[maybe_unused]] Arguments... arguments) {
        bool named = false;
        if constexpr (Is<entry, &FileCalls::CreateFileW>()) {
            const wchar_t* path = First(arguments...);
            named = result != INVALID_HANDLE_VALUE &&
                    FileCallFaults::EndsWithName(path, wcslen(path), faults._namedFile);
        } else if constexpr (Is<entry, &FileCalls::FindFirstFileW>()) {
            const std::wstring pattern = First(arguments...);
            named = result != INVALID_HANDLE_VALUE &&
                    FileCallFaults::EndsWithName(pattern.c_str(), pattern.rfind(L'\\'),
                                                 faults._namedFolder);
        } else if constexpr (Is<entry, &FileCalls::CreateFileMappingA>()) {
            named = result && faults._named.count(First(arguments...));
        } else if constexpr (Is<entry, &FileCalls::MapViewOfFile>()) {
            if (result) faults.ViewMapped(result, faults._named.count(First(arguments...)));
        }
        if constexpr (std::is_same_v<Result, HANDLE>) {
            if (named) faults._named.insert(result);
        }
    }

    template <class Head, class... Rest>
    static Head First(Head head, Rest...) {
        return head;
    }

    // What the entry returns when it fails.
    static Result Failure() {
        if constexpr (Is<entry, &FileCalls::CreateFileA>() ||
                      Is<entry, &FileCalls::CreateFileW>() ||
                      Is<entry, &FileCalls::FindFirstFileA>() ||
                      Is<entry, &FileCalls::FindFirstFileW>())
            return INVALID_HANDLE_VALUE;
        else if constexpr (Is<entry, &FileCalls::GetFileSize>() ||
                           Is<entry, &FileCalls::SetFilePointer>() ||
                           Is<entry, &FileCalls::GetFileAttributesA>() ||
                           Is<entry, &FileCalls::GetFileAttributesW>())
            return static_cast<Result>(0xFFFFFFFF);
        else if constexpr (Is<entry, &FileCalls::GetDriveTypeA>())
            return DRIVE_NO_ROOT_DIR;
        else
            return Result{}; // null, FALSE, 0
    }

    static void Count(FileCallFaults& faults, const Result& result) {
        if constexpr (Is<entry, &FileCalls::CreateFileA>() ||
                      Is<entry, &FileCalls::CreateFileW>()) {
            if (result != INVALID_HANDLE_VALUE) ++faults._openHandles;
        } else if constexpr (Is<entry, &FileCalls::CreateFileMappingA>()) {
            if (result) ++faults._openHandles;
        } else if constexpr (Is<entry, &FileCalls::CloseHandle>()) {
            if (result) --faults._openHandles;
        } else if constexpr (Is<entry, &FileCalls::FindFirstFileA>() ||
                             Is<entry, &FileCalls::FindFirstFileW>()) {
            if (result != INVALID_HANDLE_VALUE) ++faults._openFinds;
        } else if constexpr (Is<entry, &FileCalls::FindClose>()) {
            if (result) --faults._openFinds;
        } else if constexpr (Is<entry, &FileCalls::MapViewOfFile>()) {
            if (result) ++faults._mappedViews;
        } else if constexpr (Is<entry, &FileCalls::UnmapViewOfFile>()) {
            if (result) --faults._mappedViews;
        }
    }
};

namespace {

template <auto entry>
void InstallOne() {
    using Function = std::remove_reference_t<decltype(fileCalls.*entry)>;
    fileCalls.*entry = &FaultyCall<entry, Function>::Call;
}

template <auto... entries>
struct Entries {
    static constexpr size_t count = sizeof...(entries);
    static void Install() { (InstallOne<entries>(), ...); }
};

using AllEntries = Entries<
    &FileCalls::CreateFileA, &FileCalls::CreateFileW, &FileCalls::CloseHandle, &FileCalls::ReadFile,
    &FileCalls::WriteFile, &FileCalls::SetFilePointer, &FileCalls::SetEndOfFile,
    &FileCalls::GetFileSize, &FileCalls::FlushFileBuffers, &FileCalls::GetFileTime,
    &FileCalls::SetFileTime, &FileCalls::GetFileInformationByHandle, &FileCalls::LockFile,
    &FileCalls::UnlockFile, &FileCalls::FindFirstFileA, &FileCalls::FindNextFileA,
    &FileCalls::FindFirstFileW, &FileCalls::FindNextFileW, &FileCalls::FindClose,
    &FileCalls::CreateFileMappingA, &FileCalls::MapViewOfFile, &FileCalls::UnmapViewOfFile,
    &FileCalls::GetFileAttributesA, &FileCalls::GetFileAttributesW, &FileCalls::SetFileAttributesA,
    &FileCalls::DeleteFileA, &FileCalls::MoveFileA, &FileCalls::MoveFileExA, &FileCalls::CopyFileA,
    &FileCalls::CreateDirectoryA, &FileCalls::GetLogicalDrives, &FileCalls::GetDriveTypeA,
    &FileCalls::DeviceIoControl, &FileCalls::GetVolumeInformationA, &FileCalls::SetVolumeLabelA,
    &FileCalls::GetDiskFreeSpaceA, &FileCalls::GetDiskFreeSpaceExA>;

} // namespace

FileCallFaults::FileCallFaults() : _saved(fileCalls) {
    static_assert(AllEntries::count == size_t(slotCount),
                  "every entry of the table has its wrapper");
    // A second one would wrap the first one's wrappers, which read `active`.
    if (active) throw std::logic_error("one FileCallFaults at a time");
    active = this;
    AllEntries::Install();
}

FileCallFaults::~FileCallFaults() {
    fileCalls = _saved;
    active = nullptr;
}

void FileCallFaults::FailSlot(size_t slot, uint32_t nth, uint32_t error, uint32_t times) {
    Slot& state = _slots[slot];
    state.failFrom = state.calls + nth;
    state.failUntil = state.failFrom + times;
    state.error = error;
}

void FileCallFaults::SpoilView(uint32_t nth, uint32_t offset, uint32_t protection) {
    _spoil.callNumber = _slots[SlotOf(&FileCalls::MapViewOfFile)].calls + nth;
    _spoil.offset = offset;
    _spoil.protection = protection;
}

void FileCallFaults::FailNamed(const std::string& file, const std::string& folder) {
    std::lock_guard<std::mutex> lock(_mutex);
    _namedFile.assign(file.begin(), file.end());
    _namedFolder.assign(folder.begin(), folder.end());
}

bool FileCallFaults::EndsWithName(const wchar_t* path, size_t length, const std::wstring& name) {
    return !name.empty() && length != std::wstring::npos && length > name.size() &&
           path[length - name.size() - 1] == L'\\' &&
           std::wstring(path + length - name.size(), name.size()) == name;
}

void FileCallFaults::ViewMapped(void* base, bool named) {
    const bool numbered = _slots[SlotOf(&FileCalls::MapViewOfFile)].calls == _spoil.callNumber;
    MEMORY_BASIC_INFORMATION region;
    if (!(numbered || named) || !VirtualQuery(base, &region, sizeof region)) return;
    const uint32_t offset = numbered ? _spoil.offset : region.RegionSize > 4096 ? 4096 : 0;
    if (region.RegionSize <= offset) return;
    DWORD previous;
    VirtualProtect(static_cast<char*>(base) + offset, region.RegionSize - offset,
                   numbered ? _spoil.protection : PAGE_NOACCESS, &previous);
}
