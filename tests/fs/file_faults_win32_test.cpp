// The file layer when its calls to Windows fail: every failure gives its
// numbered message with the platform's code, nothing stays open, and the
// temporary and backup names of copy and move are never left half-made.
// The failures come from the table of calls (tests/fs/file_call_faults_win32.h).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "base/exception.h"
#include "fs/file.h"
#include "fs/file_attributes.h"
#include "fs/file_errors.h"
#include "fs/mapped_file.h"
#include "tests/base/raised.h"
#include "tests/fs/file_call_faults_win32.h"
#include "tests/fs/scratch_dir.h"

namespace {

// Makes the first call of `entry` fail with `error`.
template <class Function>
std::function<void(FileCallFaults&)> FailFirst(Function FileCalls::*entry, uint32_t error) {
    return [entry, error](FileCallFaults& faults) { faults.Fail(entry, 1, error); };
}

// The free-space question of a volume that has no room left.
BOOL WINAPI NoRoomLeft(LPCSTR, PULARGE_INTEGER available, PULARGE_INTEGER, PULARGE_INTEGER) {
    available->QuadPart = 0;
    return TRUE;
}

} // namespace

TEST(FileFaults, EachFailedCallRaisesItsMessageWithTheCodeAndHoldsNothing) {
    ScratchDir dir;
    const std::string file = dir / "f.txt";
    const std::string copy = dir / "copy.txt";
    // The drive of the scratch directory, as the disk-full message names it.
    const String drive = Name(dir.Path()).GetDrive();
    struct Case {
        const char* name;
        std::function<void(FileCallFaults&)> fail;
        std::function<void()> action;
        String text;
        int32_t code;
    } cases[] = {
        {"open", FailFirst(&FileCalls::CreateFileA, ERROR_ACCESS_DENIED),
         [&] { File(Name(file), openRead); }, GetMessageText(msgOpenFailed), ERROR_ACCESS_DENIED},
        {"open in use", FailFirst(&FileCalls::CreateFileA, ERROR_SHARING_VIOLATION),
         [&] { File(Name(file), openRead); }, FileMessageWith(msgInUse, file.c_str()), 0},
        {"read", FailFirst(&FileCalls::ReadFile, ERROR_CRC),
         [&] {
             char buffer[4];
             File(Name(file), openRead).Read(buffer, 4, 1);
         },
         GetMessageText(msgReadFailed), ERROR_CRC},
        {"write", FailFirst(&FileCalls::WriteFile, ERROR_WRITE_FAULT),
         [&] { File(Name(file), openReadWrite).Write("x", 1); }, GetMessageText(msgWriteFailed),
         ERROR_WRITE_FAULT},
        {"write, disk full", FailFirst(&FileCalls::WriteFile, errorDiskFull),
         [&] { File(Name(file), openReadWrite).Write("x", 1); },
         FileMessageWith(msgDiskFull, drive), errorDiskFull},
        {"seek", FailFirst(&FileCalls::SetFilePointer, ERROR_SEEK),
         [&] { File(Name(file), openRead).Seek(2, 0); }, GetMessageText(msgSeekFailed), ERROR_SEEK},
        {"resize", FailFirst(&FileCalls::SetEndOfFile, ERROR_ACCESS_DENIED),
         [&] { File(Name(file), openReadWrite).SetSize(100); }, GetMessageText(msgResizeFailed),
         ERROR_ACCESS_DENIED},
        {"size of a name", FailFirst(&FileCalls::FindFirstFileA, ERROR_NOT_READY),
         [&] { File::SizeOf(Name(file)); }, GetMessageText(msgOpenFailed), ERROR_NOT_READY},
        {"attributes", FailFirst(&FileCalls::SetFileAttributesA, ERROR_ACCESS_DENIED),
         [&] { File::SetAttributesOf(Name(file), attributeReadOnly, 1); },
         GetMessageText(msgAttributesFailed), ERROR_ACCESS_DENIED},
        {"delete", FailFirst(&FileCalls::DeleteFileA, ERROR_ACCESS_DENIED),
         [&] { File::Remove(Name(file), 1, 0); }, GetMessageText(msgDeleteFailed),
         ERROR_ACCESS_DENIED},
        {"rename", FailFirst(&FileCalls::MoveFileA, ERROR_WRITE_PROTECT),
         [&] { File::Rename(Name(file), Name(copy)); }, GetMessageText(msgRenameFailed),
         ERROR_WRITE_PROTECT},
        {"copy", FailFirst(&FileCalls::CopyFileA, ERROR_NOT_READY),
         [&] { File::Copy(Name(copy), Name(file)); }, GetMessageText(msgCopyFailed),
         ERROR_NOT_READY},
        {"copy, disk full", FailFirst(&FileCalls::CopyFileA, errorHandleDiskFull),
         [&] { File::Copy(Name(copy), Name(file)); }, FileMessageWith(msgDiskFull, drive),
         errorHandleDiskFull},
        {"move", FailFirst(&FileCalls::MoveFileExA, ERROR_NOT_READY),
         [&] { File::Move(Name(copy), Name(file)); }, GetMessageText(msgMoveFailed),
         ERROR_NOT_READY},
        {"directory", FailFirst(&FileCalls::CreateDirectoryA, ERROR_ACCESS_DENIED),
         [&] { File::CreateDirectories(Name(dir / "a\\b")); }, GetMessageText(msgDirectoryFailed),
         ERROR_ACCESS_DENIED},
        {"volume label", FailFirst(&FileCalls::GetVolumeInformationA, ERROR_NOT_READY),
         [&] { File::ReadVolumeLabel(Name(file)); }, GetMessageText(msgVolumeInaccessible),
         ERROR_NOT_READY},
        {"writing a label", FailFirst(&FileCalls::SetVolumeLabelA, ERROR_WRITE_PROTECT),
         [&] { File::WriteVolumeLabel(Name(file), "LABEL"); }, GetMessageText(msgLabelFailed),
         ERROR_WRITE_PROTECT},
        {"mapping", FailFirst(&FileCalls::CreateFileMappingA, ERROR_ACCESS_DENIED),
         [&] { MappedFile(Name(file), searchOpenMode); }, GetMessageText(msgMappingFailed),
         ERROR_ACCESS_DENIED},
        {"mapping, no memory", FailFirst(&FileCalls::CreateFileMappingA, errorNotEnoughMemory),
         [&] { MappedFile(Name(file), searchOpenMode); }, GetMessageText(msgVirtualMemory),
         errorNotEnoughMemory},
        {"mapping, disk full", FailFirst(&FileCalls::CreateFileMappingA, errorDiskFull),
         [&] { MappedFile(Name(file), openReadWrite, 1, 1 << 20); },
         FileMessageWith(msgDiskFull, drive), errorDiskFull},
        {"view", FailFirst(&FileCalls::MapViewOfFile, ERROR_ACCESS_DENIED),
         [&] { MappedFile(Name(file), searchOpenMode); }, GetMessageText(msgMappingFailed),
         ERROR_ACCESS_DENIED},
        {"view, no memory", FailFirst(&FileCalls::MapViewOfFile, errorNotEnoughMemory),
         [&] { MappedFile(Name(file), searchOpenMode); }, GetMessageText(msgVirtualMemory),
         errorNotEnoughMemory},
        {"view whose first byte cannot be read",
         [](FileCallFaults& f) { f.SpoilView(1, 0, PAGE_NOACCESS); },
         [&] { MappedFile(Name(file), searchOpenMode); }, GetMessageText(msgOpenFailed), 4},
    };
    for (const Case& c : cases) {
        WriteBytes(file, "contents");
        FileCallFaults faults;
        c.fail(faults);
        const Exception e = RaisedBy(c.action);
        EXPECT_EQ(std::string(c.text), TextOf(e)) << c.name;
        EXPECT_EQ(c.code, e.GetCode()) << c.name;
        EXPECT_TRUE(faults.NothingHeld()) << c.name << ": " << faults.OpenHandles() << " handles, "
                                          << faults.MappedViews() << " views";
    }
}

TEST(FileFaults, ReadLineAtOrPastTheEndReadsNothing) {
    ScratchDir dir;
    WriteBytes(dir / "short.txt", "abc");
    File file(Name(dir / "short.txt"), openRead);
    FileCallFaults faults;
    for (int32_t position : {3, 4, 1000}) {
        file.Seek(position, 0);
        EXPECT_EQ("", std::string(file.ReadLine())) << position;
    }
    EXPECT_EQ(0u, faults.Calls(&FileCalls::ReadFile));
}

// ---- Names that copy and move make on the way

class BackupFaults : public ::testing::Test {
protected:
    void SetUp() override { WriteBytes(_file, "version 1"); }

    ScratchDir _dir;
    std::string _file = _dir / "report.txt";
    std::string _backup = _dir / "report.~xt";
};

TEST_F(BackupFaults, AFailedBackupLeavesTheFileAndNoBackup) {
    struct Case {
        const char* name;
        std::function<void(FileCallFaults&)> fail;
        int inUse;
    } cases[] = {
        {"rename", FailFirst(&FileCalls::MoveFileA, ERROR_ACCESS_DENIED), 0},
        {"copy of a file in use", FailFirst(&FileCalls::CopyFileA, errorDiskFull), 1},
    };
    for (const Case& c : cases) {
        // Another handle that shares nothing makes the file be in use.
        const HANDLE other = c.inUse ? CreateFileA(_file.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                   nullptr, OPEN_EXISTING, 0, nullptr)
                                     : INVALID_HANDLE_VALUE;
        MessageBoxScript boxes({IDOK});
        {
            FileCallFaults faults;
            c.fail(faults);
            EXPECT_EQ(0, File::PrepareOverwrite(nullptr, Name(_file), 1 - c.inUse, 2, "~"))
                << c.name;
            EXPECT_TRUE(faults.NothingHeld()) << c.name;
        }
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
        ASSERT_EQ(1u, boxes.Shown().size()) << c.name;
        EXPECT_EQ(Message(msgBackupFailed), boxes.Shown()[0].text) << c.name;
        EXPECT_EQ("version 1", ReadBytes(_file)) << c.name;
        EXPECT_FALSE(PathExists(_backup)) << c.name;
    }
}

TEST_F(BackupFaults, ATemporaryNameThatCannotBeOpenedLeavesNothingBehind) {
    FileCallFaults faults;
    faults.Fail(&FileCalls::CreateFileA, 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, File::CanCreateIn(_dir.Path().c_str()));
    EXPECT_FALSE(PathExists(_dir / "XX0.$$$"));
    EXPECT_TRUE(faults.NothingHeld());
}

// ---- Growing a mapping whose new tail cannot be written

TEST(FileFaults, AFaultWhileZeroFillingTellsAFullDiskFromAFailedWrite) {
    ScratchDir dir;
    const std::string name = dir / "grow.bin";
    const String drive = Name(dir.Path()).GetDrive();
    struct Case {
        const char* name;
        std::function<void(FileCallFaults&)> volume; // how the free-space question goes
        String text;
        int32_t code;
    } cases[] = {
        // The volume answers and has room: the write failed of itself.
        {"room left", [](FileCallFaults&) {}, GetMessageText(msgWriteFailed), ERROR_WRITE_FAULT},
        // The volume cannot be asked: the medium went away.
        {"medium gone", FailFirst(&FileCalls::GetDiskFreeSpaceExA, ERROR_NOT_READY),
         GetMessageText(msgWriteFailed), ERROR_NOT_READY},
        {"disk full", [](FileCallFaults&) { fileCalls.GetDiskFreeSpaceExA = NoRoomLeft; },
         FileMessageWith(msgDiskFull, drive), errorHandleDiskFull},
    };
    for (const Case& c : cases) {
        WriteBytes(name, "small");
        FileCallFaults faults; // puts the table back, NoRoomLeft included
        {
            MappedFile mapped(Name(name), openReadWrite, 1, 0);
            // The view of the grown mapping takes no writes past its first page.
            faults.SpoilView(1, 4096, PAGE_READONLY);
            c.volume(faults);
            const Exception e = RaisedBy([&] { mapped.Resize(256 * 1024, 1); });
            EXPECT_EQ(std::string(c.text), TextOf(e)) << c.name;
            EXPECT_EQ(c.code, e.GetCode()) << c.name;
        }
        EXPECT_TRUE(faults.NothingHeld()) << c.name;
    }
}
