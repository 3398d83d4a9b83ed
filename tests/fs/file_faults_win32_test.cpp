// The file layer when its calls to Windows fail: every failure gives its
// numbered message with the platform's code, nothing stays open, and the
// temporary and backup names of copy and move are never left half-made.
// The failures come from the table of calls (fs/file_call_faults_win32.h).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "base/exception.h"
#include "fs/file.h"
#include "fs/file_attributes.h"
#include "fs/file_call_faults_win32.h"
#include "fs/file_errors.h"
#include "fs/mapped_file.h"
#include "tests/fs/raised.h"
#include "tests/fs/scratch_dir.h"

namespace {

FileName Name(const std::string& path) {
    return FileName(path.c_str());
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
        {"open", [](FileCallFaults& f) { f.Fail(&FileCalls::CreateFileA, 1, ERROR_ACCESS_DENIED); },
         [&] { File(Name(file), openRead); }, GetMessageText(msgOpenFailed), ERROR_ACCESS_DENIED},
        {"open in use",
         [](FileCallFaults& f) { f.Fail(&FileCalls::CreateFileA, 1, ERROR_SHARING_VIOLATION); },
         [&] { File(Name(file), openRead); }, FileMessageWith(msgInUse, file.c_str()), 0},
        {"read", [](FileCallFaults& f) { f.Fail(&FileCalls::ReadFile, 1, ERROR_CRC); },
         [&] {
             char buffer[4];
             File(Name(file), openRead).Read(buffer, 4, 1);
         },
         GetMessageText(msgReadFailed), ERROR_CRC},
        {"write", [](FileCallFaults& f) { f.Fail(&FileCalls::WriteFile, 1, ERROR_WRITE_FAULT); },
         [&] { File(Name(file), openReadWrite).Write("x", 1); }, GetMessageText(msgWriteFailed),
         ERROR_WRITE_FAULT},
        {"write, disk full",
         [](FileCallFaults& f) { f.Fail(&FileCalls::WriteFile, 1, errorDiskFull); },
         [&] { File(Name(file), openReadWrite).Write("x", 1); },
         FileMessageWith(msgDiskFull, drive), errorDiskFull},
        {"seek", [](FileCallFaults& f) { f.Fail(&FileCalls::SetFilePointer, 1, ERROR_SEEK); },
         [&] { File(Name(file), openRead).Seek(2, 0); }, GetMessageText(msgSeekFailed), ERROR_SEEK},
        {"resize",
         [](FileCallFaults& f) { f.Fail(&FileCalls::SetEndOfFile, 1, ERROR_ACCESS_DENIED); },
         [&] { File(Name(file), openReadWrite).SetSize(100); }, GetMessageText(msgResizeFailed),
         ERROR_ACCESS_DENIED},
        {"size of a name",
         [](FileCallFaults& f) { f.Fail(&FileCalls::FindFirstFileA, 1, ERROR_NOT_READY); },
         [&] { File::SizeOf(Name(file)); }, GetMessageText(msgOpenFailed), ERROR_NOT_READY},
        {"attributes",
         [](FileCallFaults& f) { f.Fail(&FileCalls::SetFileAttributesA, 1, ERROR_ACCESS_DENIED); },
         [&] { File::SetAttributesOf(Name(file), attributeReadOnly, 1); },
         GetMessageText(msgAttributesFailed), ERROR_ACCESS_DENIED},
        {"delete",
         [](FileCallFaults& f) { f.Fail(&FileCalls::DeleteFileA, 1, ERROR_ACCESS_DENIED); },
         [&] { File::Remove(Name(file), 1, 0); }, GetMessageText(msgDeleteFailed),
         ERROR_ACCESS_DENIED},
        {"rename", [](FileCallFaults& f) { f.Fail(&FileCalls::MoveFileA, 1, ERROR_WRITE_PROTECT); },
         [&] { File::Rename(Name(file), Name(copy)); }, GetMessageText(msgRenameFailed),
         ERROR_WRITE_PROTECT},
        {"copy", [](FileCallFaults& f) { f.Fail(&FileCalls::CopyFileA, 1, ERROR_NOT_READY); },
         [&] { File::Copy(Name(copy), Name(file)); }, GetMessageText(msgCopyFailed),
         ERROR_NOT_READY},
        {"copy, disk full",
         [](FileCallFaults& f) { f.Fail(&FileCalls::CopyFileA, 1, errorHandleDiskFull); },
         [&] { File::Copy(Name(copy), Name(file)); }, FileMessageWith(msgDiskFull, drive),
         errorHandleDiskFull},
        {"move", [](FileCallFaults& f) { f.Fail(&FileCalls::MoveFileExA, 1, ERROR_NOT_READY); },
         [&] { File::Move(Name(copy), Name(file)); }, GetMessageText(msgMoveFailed),
         ERROR_NOT_READY},
        {"directory",
         [](FileCallFaults& f) { f.Fail(&FileCalls::CreateDirectoryA, 1, ERROR_ACCESS_DENIED); },
         [&] { File::CreateDirectories(Name(dir / "a\\b")); }, GetMessageText(msgDirectoryFailed),
         ERROR_ACCESS_DENIED},
        {"volume label",
         [](FileCallFaults& f) { f.Fail(&FileCalls::GetVolumeInformationA, 1, ERROR_NOT_READY); },
         [&] { File::ReadVolumeLabel(Name(file)); }, GetMessageText(msgVolumeInaccessible),
         ERROR_NOT_READY},
        {"writing a label",
         [](FileCallFaults& f) { f.Fail(&FileCalls::SetVolumeLabelA, 1, ERROR_WRITE_PROTECT); },
         [&] { File::WriteVolumeLabel(Name(file), "LABEL"); }, GetMessageText(msgLabelFailed),
         ERROR_WRITE_PROTECT},
        {"mapping",
         [](FileCallFaults& f) { f.Fail(&FileCalls::CreateFileMappingA, 1, ERROR_ACCESS_DENIED); },
         [&] { MappedFile(Name(file), searchOpenMode); }, GetMessageText(msgMappingFailed),
         ERROR_ACCESS_DENIED},
        {"mapping, no memory",
         [](FileCallFaults& f) { f.Fail(&FileCalls::CreateFileMappingA, 1, errorNotEnoughMemory); },
         [&] { MappedFile(Name(file), searchOpenMode); }, GetMessageText(msgVirtualMemory),
         errorNotEnoughMemory},
        {"mapping, disk full",
         [](FileCallFaults& f) { f.Fail(&FileCalls::CreateFileMappingA, 1, errorDiskFull); },
         [&] { MappedFile(Name(file), openReadWrite, 1, 1 << 20); },
         FileMessageWith(msgDiskFull, drive), errorDiskFull},
        {"view",
         [](FileCallFaults& f) { f.Fail(&FileCalls::MapViewOfFile, 1, ERROR_ACCESS_DENIED); },
         [&] { MappedFile(Name(file), searchOpenMode); }, GetMessageText(msgMappingFailed),
         ERROR_ACCESS_DENIED},
        {"view, no memory",
         [](FileCallFaults& f) { f.Fail(&FileCalls::MapViewOfFile, 1, errorNotEnoughMemory); },
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
        {"rename", [](FileCallFaults& f) { f.Fail(&FileCalls::MoveFileA, 1, ERROR_ACCESS_DENIED); },
         0},
        {"copy of a file in use",
         [](FileCallFaults& f) { f.Fail(&FileCalls::CopyFileA, 1, errorDiskFull); }, 1},
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
        {"medium gone",
         [](FileCallFaults& f) { f.Fail(&FileCalls::GetDiskFreeSpaceExA, 1, ERROR_NOT_READY); },
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
