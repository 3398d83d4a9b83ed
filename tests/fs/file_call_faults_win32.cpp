#include "tests/fs/file_call_faults_win32.h"

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
        const size_t slot = FileCallFaults::SlotOf(entry);
        FileCallFaults::Slot& state = faults._slots[slot];
        ++state.calls;
        if (state.calls >= state.failFrom && state.calls < state.failUntil) {
            SetLastError(state.error);
            return Failure();
        }
        const Result result = (faults._saved.*entry)(arguments...);
        Count(faults, result);
        return result;
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
            if (result) {
                ++faults._mappedViews;
                faults.ViewMapped(result);
            }
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

void FileCallFaults::ViewMapped(void* base) {
    if (_slots[SlotOf(&FileCalls::MapViewOfFile)].calls != _spoil.callNumber) return;
    MEMORY_BASIC_INFORMATION region;
    if (!VirtualQuery(base, &region, sizeof region) || region.RegionSize <= _spoil.offset) return;
    DWORD previous;
    VirtualProtect(static_cast<char*>(base) + _spoil.offset, region.RegionSize - _spoil.offset,
                   _spoil.protection, &previous);
}
