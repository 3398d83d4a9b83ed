// Drive and volume queries, free space, and the module's directory.
#include <windows.h>
#include <winioctl.h>

#include "base/exception.h"
#include "fs/file.h"
#include "fs/file_calls_win32.h"
#include "fs/file_platform.h"

namespace {

// The root directory of the name's drive: letter, ':' and a backslash (just
// ":\" for a name without a drive, which no drive answers to).
String RootOf(const FileName& name) {
    return name.GetDrive() + ":\\";
}

uint32_t Saturated(uint64_t value) {
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

} // namespace

int File::DriveExists(const FileName& name) {
    const int index = name.GetDriveIndex();
    return (fileCalls.GetLogicalDrives() >> (index < 0 ? 31 : index)) & 1;
}

int File::GetDriveKind(const FileName& name) {
    switch (fileCalls.GetDriveTypeA(RootOf(name).c_str())) {
    case DRIVE_NO_ROOT_DIR:
        return -1;
    case DRIVE_REMOVABLE: {
        // GetDrive gives the letter in upper case.
        const String drive = name.GetDrive();
        const int floppy =
            CompareText(drive.c_str(), "A", 1) == 0 || CompareText(drive.c_str(), "B", 1) == 0;
        return IsFloppyDrive(name) || floppy ? 1 : 2;
    }
    case DRIVE_FIXED:
        return 3;
    case DRIVE_REMOTE:
        return 4;
    case DRIVE_CDROM:
        return 5;
    case DRIVE_RAMDISK:
        return 6;
    default:
        return 0;
    }
}

int File::IsFloppyDrive(const FileName& name) {
    const String device = "\\\\.\\" + name.GetDrive() + ":";
    const HANDLE handle = fileCalls.CreateFileA(device.c_str(), 0, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    DISK_GEOMETRY media[20];
    DWORD returned = 0;
    const BOOL ok = fileCalls.DeviceIoControl(handle, IOCTL_DISK_GET_MEDIA_TYPES, nullptr, 0, media,
                                              sizeof media, &returned, nullptr);
    fileCalls.CloseHandle(handle);
    if (!ok) return 0;
    for (DWORD i = 0; i < returned / sizeof media[0]; ++i)
        // The ten floppy formats are the media types 1 to 10.
        if (media[i].MediaType >= F5_1Pt2_512 && media[i].MediaType <= F5_160_512) return 1;
    return 0;
}

int File::IsCompressedVolume(const FileName& name) {
    DWORD flags = 0;
    if (!fileCalls.GetVolumeInformationA(RootOf(name).c_str(), nullptr, 0, nullptr, nullptr, &flags,
                                         nullptr, 0))
        return 0;
    return flags & FILE_VOLUME_IS_COMPRESSED ? 1 : 0;
}

int File::IsDiskDrive(const FileName& name) {
    const int kind = GetDriveKind(name);
    return kind == 2 || kind == 3;
}

FileName File::ReadVolumeLabel(const FileName& name) {
    char label[99] = "";
    if (!fileCalls.GetVolumeInformationA(RootOf(name).c_str(), label, sizeof label, nullptr,
                                         nullptr, nullptr, nullptr, 0))
        Raise(msgVolumeInaccessible, GetLastError());
    return FileName(label);
}

int File::WriteVolumeLabel(const FileName& name, const String& label) {
    if (!fileCalls.SetVolumeLabelA(RootOf(name).c_str(), label.c_str()))
        Raise(msgLabelFailed, GetLastError());
    return 1;
}

uint32_t File::GetFreeSpace(int driveIndex, uint32_t* total) {
    const char root[] = {static_cast<char>('A' + driveIndex), ':', '\\', '\0'};
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (total) *total = 0;
    if (!fileCalls.GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                     &totalClusters))
        return 0;
    const uint64_t clusterBytes = uint64_t(sectorsPerCluster) * bytesPerSector;
    if (total) *total = Saturated(clusterBytes * totalClusters);
    return Saturated(clusterBytes * freeClusters);
}

FileName File::GetModuleDirectory(ModuleHandle module) {
    return FileName(FileName(PlatformModuleFileName(module)).GetDirectory());
}
