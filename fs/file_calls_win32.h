// The file layer's calls to Windows, all in one table of function pointers
// whose defaults are the Windows functions themselves. The layer calls
// fileCalls.CreateFileA(...) where it would call CreateFileA(...), so that a
// test can put its own entries in (FileCallFaults, tests/fs/file_call_faults_win32.h): to
// make a chosen call fail with a chosen error, and to count the handles and
// views the layer holds. Entries keep the signatures, results and last-error
// behaviour of the functions they stand for.
#pragma once

#include <windows.h>

struct FileCalls {
    // ---- Open files
    decltype(&::CreateFileA) CreateFileA;
    decltype(&::CreateFileW) CreateFileW; // the walk's paths (fs/walk_path.h)
    decltype(&::CloseHandle) CloseHandle; // file, mapping and device handles
    decltype(&::ReadFile) ReadFile;
    decltype(&::WriteFile) WriteFile;
    decltype(&::SetFilePointer) SetFilePointer;
    decltype(&::SetEndOfFile) SetEndOfFile;
    decltype(&::GetFileSize) GetFileSize;
    decltype(&::FlushFileBuffers) FlushFileBuffers;
    decltype(&::GetFileTime) GetFileTime;
    decltype(&::SetFileTime) SetFileTime;
    decltype(&::GetFileInformationByHandle) GetFileInformationByHandle;
    decltype(&::LockFile) LockFile;
    decltype(&::UnlockFile) UnlockFile;
    // ---- Directory enumeration
    decltype(&::FindFirstFileA) FindFirstFileA;
    decltype(&::FindNextFileA) FindNextFileA;
    decltype(&::FindFirstFileW) FindFirstFileW; // the walk's listings
    decltype(&::FindNextFileW) FindNextFileW;
    decltype(&::FindClose) FindClose;
    // ---- Mappings and views
    decltype(&::CreateFileMappingA) CreateFileMappingA;
    decltype(&::MapViewOfFile) MapViewOfFile;
    decltype(&::UnmapViewOfFile) UnmapViewOfFile;
    // ---- Named files
    decltype(&::GetFileAttributesA) GetFileAttributesA;
    decltype(&::GetFileAttributesW) GetFileAttributesW;
    decltype(&::SetFileAttributesA) SetFileAttributesA;
    decltype(&::DeleteFileA) DeleteFileA;
    decltype(&::MoveFileA) MoveFileA;
    decltype(&::MoveFileExA) MoveFileExA;
    decltype(&::CopyFileA) CopyFileA;
    decltype(&::CreateDirectoryA) CreateDirectoryA;
    // ---- Drives and volumes
    decltype(&::GetLogicalDrives) GetLogicalDrives;
    decltype(&::GetDriveTypeA) GetDriveTypeA;
    decltype(&::DeviceIoControl) DeviceIoControl;
    decltype(&::GetVolumeInformationA) GetVolumeInformationA;
    decltype(&::SetVolumeLabelA) SetVolumeLabelA;
    decltype(&::GetDiskFreeSpaceA) GetDiskFreeSpaceA;
    decltype(&::GetDiskFreeSpaceExA) GetDiskFreeSpaceExA;
};

// The table in force; its entries are never null.
extern FileCalls fileCalls;
