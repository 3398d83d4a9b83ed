// The file layer's operations on names, on real files: existence, sizes,
// attributes, whole files, delete, rename, copy (plain and expanded), move,
// directory creation, temporary names, PrepareOverwrite with every answer,
// the drive queries, and the disk-full rule on a disk that really is full.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "base/exception.h"
#include "fs/file.h"
#include "fs/file_attributes.h"
#include "fs/file_errors.h"
#include "fs/mapped_file.h"
#include "tests/base/raised.h"
#include "tests/fs/scratch_dir.h"

namespace {

void MakeReadOnly(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

// A drive letter that the machine does not have, or 0.
char MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'C'; --letter)
        if (!(drives & (1u << (letter - 'A')))) return letter;
    return 0;
}

} // namespace

// ---- Existence, size, attributes

TEST(FileNames, ExistsSizeOfAndAttributes) {
    ScratchDir dir;
    WriteBytes(dir / "f.txt", "12345");
    EXPECT_EQ(1, File::Exists(Name(dir / "f.txt")));
    EXPECT_EQ(1, File::Exists(Name(dir.Path())));
    EXPECT_EQ(0, File::Exists(Name(dir / "missing")));
    EXPECT_EQ(5u, File::SizeOf(Name(dir / "f.txt")));

    EXPECT_EQ(attributeDirectory, File::GetAttributesOf(Name(dir.Path())) & attributeDirectory);
    EXPECT_EQ(-1, File::GetAttributesOf(Name(dir / "missing")));
    EXPECT_EQ(1,
              File::SetAttributesOf(Name(dir / "f.txt"), attributeReadOnly | attributeHidden, 1));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              GetFileAttributesA((dir / "f.txt").c_str()) &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(1, File::IsReadOnly(Name(dir / "f.txt")));
    EXPECT_EQ(1, File::SetAttributesOf(Name(dir / "f.txt"), 0, 1));
    EXPECT_EQ(0, File::IsReadOnly(Name(dir / "f.txt")));
    EXPECT_EQ(0, File::IsReadOnly(Name(dir / "missing")));

    EXPECT_EQ(0, File::SetAttributesOf(Name(dir / "missing"), attributeReadOnly, 0));
}

// ---- Whole files

TEST(FileNames, WholeFilesIntoANewOrAGivenBuffer) {
    ScratchDir dir;
    File::WriteWholeFile(Name(dir / "whole.bin"), "whole\0file", 10);
    uint32_t size = 0;
    char* read = static_cast<char*>(File::ReadWholeFile(Name(dir / "whole.bin"), &size, nullptr));
    EXPECT_EQ(10u, size);
    EXPECT_EQ(std::string("whole\0file", 10), std::string(read, size));
    ::operator delete(read);

    char given[16] = {};
    EXPECT_EQ(given, File::ReadWholeFile(Name(dir / "whole.bin"), nullptr, given));
    EXPECT_EQ(std::string("whole\0file", 10), std::string(given, 10));
}

TEST(FileNames, AWholeFileOf4GiBOrMoreIsRefused) {
    ScratchDir dir;
    const std::string name = dir / "huge.bin";
    const HANDLE file =
        CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LONG high = 1;
    SetFilePointer(file, 3, &high, FILE_BEGIN);
    const BOOL extended = SetEndOfFile(file);
    CloseHandle(file);
    if (!extended) GTEST_SKIP() << "the file system cannot hold a file of 4 GiB";
    EXPECT_EQ(3u, File::SizeOf(Name(name))); // the low 32 bits, as the lookup gives them
    const Exception e = RaisedBy([&] { File::ReadWholeFile(Name(name), nullptr, nullptr); });
    EXPECT_EQ(Message(msgReadFailed), TextOf(e));
    EXPECT_EQ(ERROR_FILE_TOO_LARGE, e.GetCode());
}

// ---- Remove and rename

TEST(FileNames, RemoveOfMissingPlainAndReadOnlyFiles) {
    ScratchDir dir;
    EXPECT_EQ(1, File::Remove(Name(dir / "missing"), 1, 0));
    WriteBytes(dir / "plain", "p");
    EXPECT_EQ(1, File::Remove(Name(dir / "plain"), 1, 0));
    EXPECT_FALSE(PathExists(dir / "plain"));

    const std::string ro = dir / "ro";
    WriteBytes(ro, "r");
    MakeReadOnly(ro);
    EXPECT_EQ(0, File::Remove(Name(ro), 0, 0));
    RaisedBy([&] { File::Remove(Name(ro), 1, 0); });
    EXPECT_TRUE(PathExists(ro));
    EXPECT_EQ(1, File::Remove(Name(ro), 1, 1));
    EXPECT_FALSE(PathExists(ro));
}

TEST(FileNames, Rename) {
    ScratchDir dir;
    WriteBytes(dir / "old", "o");
    WriteBytes(dir / "taken", "t");
    File::Rename(Name(dir / "old"), Name(dir / "new"));
    EXPECT_EQ("o", ReadBytes(dir / "new"));
    const Exception e = RaisedBy([&] { File::Rename(Name(dir / "new"), Name(dir / "taken")); });
    EXPECT_EQ(Message(msgRenameFailed), TextOf(e));
    EXPECT_NE(0, e.GetCode());
}

// ---- Copy and move

TEST(FileNames, CopyReplacesAndCopyWithDirectoriesCreatesThem) {
    ScratchDir dir;
    WriteBytes(dir / "src", "source");
    WriteBytes(dir / "dst", "older destination");
    File::Copy(Name(dir / "dst"), Name(dir / "src"));
    EXPECT_EQ("source", ReadBytes(dir / "dst"));

    File::CopyWithDirectories(Name(dir / "a\\b\\c\\copy"), Name(dir / "src"));
    EXPECT_EQ("source", ReadBytes(dir / "a\\b\\c\\copy"));
    const Exception e =
        RaisedBy([&] { File::CopyWithDirectories(Name(dir / "d\\e\\x"), Name(dir / "missing")); });
    EXPECT_EQ(Message(msgCopyFailed), TextOf(e));
    EXPECT_TRUE(PathExists(dir / "d\\e")); // directories made are kept
}

TEST(FileNames, MoveReplacesEvenAReadOnlyDestination) {
    ScratchDir dir;
    WriteBytes(dir / "src", "moved");
    WriteBytes(dir / "dst", "older");
    MakeReadOnly(dir / "dst");
    File::Move(Name(dir / "dst"), Name(dir / "src"));
    EXPECT_EQ("moved", ReadBytes(dir / "dst"));
    EXPECT_FALSE(PathExists(dir / "src"));
}

namespace {

// A file in the compressed format that lz32 expands ("SZDD"): an LZSS stream
// over a 4096-byte window that starts filled with spaces, writing from 4080.
// Each flag byte tells, lowest bit first, whether a literal byte (1) or a
// back reference (0: 12-bit window position, 4-bit length - 3) follows.
std::string Szdd(uint32_t expandedSize, const std::string& stream) {
    std::string bytes("SZDD\x88\xF0\x27\x33", 8);
    bytes += 'A'; // compression method
    bytes += 't'; // the last character of the name, replaced by '_' when compressed
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>(expandedSize >> shift);
    return bytes + stream;
}

} // namespace

TEST(FileNames, CopyExpandedExpandsACompressedFileAndCopiesAPlainOne) {
    ScratchDir dir;
    // "abc", then a reference to window position 0xFF0 (where "abc" went) of
    // length 6, which overlaps itself: "abcabcabc". Then a reference to the
    // initial spaces (position 0, length 3) and a literal "!".
    const char stream[] = {0x27, 'a', 'b', 'c', '\xF0', '\xF3', 0x00, 0x00, '!'};
    WriteBytes(dir / "packed.tx_", Szdd(13, std::string(stream, sizeof stream)));
    File::CopyExpanded(Name(dir / "out\\expanded.txt"), Name(dir / "packed.tx_"));
    EXPECT_EQ("abcabcabc   !", ReadBytes(dir / "out\\expanded.txt"));

    WriteBytes(dir / "plain.txt", "not compressed");
    File::CopyExpanded(Name(dir / "out\\plain.txt"), Name(dir / "plain.txt"));
    EXPECT_EQ("not compressed", ReadBytes(dir / "out\\plain.txt"));

    const Exception e =
        RaisedBy([&] { File::CopyExpanded(Name(dir / "out\\x"), Name(dir / "missing")); });
    EXPECT_EQ(Message(msgExpandFailed), TextOf(e));
    EXPECT_NE(0, e.GetCode());
}

// ---- Directories and temporary names

TEST(FileNames, CreateDirectories) {
    ScratchDir dir;
    File::CreateDirectories(Name(dir / "one\\\\two\\three\\"));
    EXPECT_TRUE(PathExists(dir / "one\\two\\three"));
    File::CreateDirectories(Name(dir / "one\\two")); // existing: fine

    WriteBytes(dir / "file", "f");
    Exception e = RaisedBy([&] { File::CreateDirectories(Name(dir / "file\\sub")); });
    EXPECT_EQ(Message(msgDirectoryFailed), TextOf(e));
    EXPECT_EQ(ERROR_DIRECTORY, e.GetCode());
    EXPECT_FALSE(PathExists(dir / "file\\sub"));

    e = RaisedBy([&] { File::CreateDirectories(Name("relative\\path")); });
    EXPECT_EQ(Message(msgDirectoryFailed), TextOf(e));
    EXPECT_FALSE(PathExists("relative"));
    if (const char missing = MissingDrive()) {
        e = RaisedBy([&] { File::CreateDirectories(Name(std::string(1, missing) + ":\\x")); });
        EXPECT_EQ(Message(msgDirectoryFailed), TextOf(e));
        EXPECT_EQ(ERROR_INVALID_DRIVE, e.GetCode());
    }
}

TEST(FileNames, MakeTempNameTakesTheFirstFreeNumber) {
    ScratchDir dir;
    EXPECT_EQ(dir / "XX0.$$$", File::MakeTempName(dir.Path()));
    WriteBytes(dir / "XX0.$$$", "");
    WriteBytes(dir / "XX2.$$$", "");
    EXPECT_EQ(dir / "XX1.$$$", File::MakeTempName(dir.Path() + "\\\\"));
    WriteBytes(dir / "XX1.$$$", "");
    EXPECT_EQ(dir / "XX3.$$$", File::MakeTempName(dir.Path()));

    const Exception e = RaisedBy([&] { File::MakeTempName(dir / "missing"); });
    EXPECT_EQ(Message(msgInvalidDirectory), TextOf(e));
    EXPECT_EQ(0, e.GetCode());
}

TEST(FileNames, CanCreateInLeavesNothingBehind) {
    ScratchDir dir;
    EXPECT_EQ(1, File::CanCreateIn(dir.Path()));
    EXPECT_FALSE(PathExists(dir / "XX0.$$$"));
    EXPECT_EQ(0, File::CanCreateIn(dir / "missing"));
    EXPECT_EQ(0, File::CanCreateIn(""));
}

// ---- PrepareOverwrite

class PrepareOverwrite : public ::testing::Test {
protected:
    void SetUp() override { WriteBytes(_file, "version 1"); }
    int Prepare(int warnInUse, int ask, const char* extension, void* window = nullptr) {
        return File::PrepareOverwrite(window, Name(_file), warnInUse, ask, extension);
    }

    ScratchDir _dir;
    std::string _file = _dir / "report.bak";
    std::string _backup = _dir / "report.~ak";
};

TEST_F(PrepareOverwrite, NothingToDoWithoutAFileOrWithoutABackup) {
    MessageBoxScript boxes;
    EXPECT_EQ(1, File::PrepareOverwrite(nullptr, Name(_dir / "new.txt"), 1, 1, "~"));
    EXPECT_EQ(1, Prepare(1, 0, "~"));
    EXPECT_EQ(1, Prepare(1, 1, nullptr));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_FALSE(PathExists(_backup));
    EXPECT_TRUE(PathExists(_file));
}

TEST_F(PrepareOverwrite, TheAnswersToTheBackupQuestion) {
    const struct {
        int answer;
        int result;
        int backedUp;
    } cases[] = {{IDCANCEL, 0, 0}, {IDNO, 1, 0}, {IDYES, 1, 1}, {0, 0, 0}};
    for (const auto& c : cases) {
        WriteBytes(_file, "version 1");
        File::Remove(Name(_backup), 0, 1);
        MessageBoxScript boxes({c.answer});
        EXPECT_EQ(c.result, Prepare(1, 1, "~")) << c.answer;
        ASSERT_EQ(1u, boxes.Shown().size());
        EXPECT_EQ(Message(msgAskBackup), boxes.Shown()[0].text);
        EXPECT_EQ(static_cast<uint32_t>(MB_YESNOCANCEL | MB_TASKMODAL | MB_SETFOREGROUND),
                  boxes.Shown()[0].style);
        EXPECT_EQ(c.backedUp, PathExists(_backup)) << c.answer;
        EXPECT_EQ(!c.backedUp, PathExists(_file)) << c.answer; // the file is renamed away
    }
}

TEST_F(PrepareOverwrite, TheQuestionIsCaptionedWithTheWindowsText) {
    const HWND window = CreateWindowA("STATIC", "Editor - report.bak", 0, 0, 0, 10, 10, nullptr,
                                      nullptr, nullptr, nullptr);
    if (!window) GTEST_SKIP() << "no window without a display";
    MessageBoxScript boxes({IDNO});
    EXPECT_EQ(1, Prepare(1, 1, "~", window));
    DestroyWindow(window);
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ("Editor - report.bak", boxes.Shown()[0].caption);
}

TEST_F(PrepareOverwrite, OtherAsksBackUpWithoutAskingAndReplaceAnOlderBackup) {
    WriteBytes(_backup, "older backup");
    MakeReadOnly(_backup);
    MessageBoxScript boxes;
    EXPECT_EQ(1, Prepare(1, 2, "~"));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ("version 1", ReadBytes(_backup));
    EXPECT_FALSE(PathExists(_file));

    WriteBytes(_dir / "makefile", "all:");
    EXPECT_EQ(1, File::PrepareOverwrite(nullptr, Name(_dir / "makefile"), 0, 3, "~"));
    EXPECT_EQ("all:", ReadBytes(_dir / "makefile.~"));
    WriteBytes(_dir / "notes.txt", "notes");
    EXPECT_EQ(1, File::PrepareOverwrite(nullptr, Name(_dir / "notes.txt"), 0, 2, "old"));
    EXPECT_EQ("notes", ReadBytes(_dir / "notes.old"));
}

TEST_F(PrepareOverwrite, AFileInUse) {
    const HANDLE other =
        CreateFileA(_file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    {
        MessageBoxScript boxes({IDOK});
        EXPECT_EQ(0, Prepare(1, 2, "~"));
        ASSERT_EQ(1u, boxes.Shown().size());
        EXPECT_EQ(Message(msgInUseNoOverwrite), boxes.Shown()[0].text);
        EXPECT_EQ("<null>", boxes.Shown()[0].caption);
        EXPECT_EQ(static_cast<uint32_t>(MB_OK | MB_TASKMODAL | MB_SETFOREGROUND),
                  boxes.Shown()[0].style);
        EXPECT_FALSE(PathExists(_backup));
    }
    {
        // Not warned: the backup is a copy and the file stays where it is.
        MessageBoxScript boxes;
        EXPECT_EQ(1, Prepare(0, 2, "~"));
        EXPECT_TRUE(boxes.Shown().empty());
        EXPECT_EQ("version 1", ReadBytes(_backup));
        EXPECT_EQ("version 1", ReadBytes(_file));
    }
    CloseHandle(other);
}

TEST_F(PrepareOverwrite, AFailedBackupIsAnnouncedAndAbandonsTheSaving) {
    CreateDirectoryA(_backup.c_str(), nullptr); // the backup name is taken by a directory
    MessageBoxScript boxes({IDOK});
    EXPECT_EQ(0, Prepare(1, 2, "~"));
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ(Message(msgBackupFailed), boxes.Shown()[0].text);
    EXPECT_EQ("<null>", boxes.Shown()[0].caption);
    EXPECT_EQ("version 1", ReadBytes(_file));
}

// ---- Drives

TEST(FileDrives, QueriesOnTheSystemDriveAndOnAMissingOne) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    const FileName systemDrive = Name(std::string(system, 3)); // "C:\"
    EXPECT_EQ(1, File::DriveExists(systemDrive));
    EXPECT_EQ(0, File::DriveExists(Name("no drive")));
    EXPECT_EQ(3, File::GetDriveKind(systemDrive));
    EXPECT_EQ(1, File::IsDiskDrive(systemDrive));
    EXPECT_EQ(0, File::IsFloppyDrive(systemDrive));
    EXPECT_EQ(0, File::IsCompressedVolume(systemDrive));
    EXPECT_NO_THROW(File::ReadVolumeLabel(systemDrive));
    uint32_t total = 0;
    const uint32_t free = File::GetFreeSpace(systemDrive.GetDriveIndex(), &total);
    EXPECT_GT(free, 0u);
    EXPECT_GE(total, free);

    const char missing = MissingDrive();
    if (!missing) return;
    const FileName missingDrive = Name(std::string(1, missing) + ":\\x");
    EXPECT_EQ(0, File::DriveExists(missingDrive));
    EXPECT_EQ(-1, File::GetDriveKind(missingDrive));
    EXPECT_EQ(0, File::IsDiskDrive(missingDrive));
    total = 1;
    EXPECT_EQ(0u, File::GetFreeSpace(missing - 'A', &total));
    EXPECT_EQ(0u, total);
}

TEST(FileDrives, ModuleDirectory) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string full(path);
    EXPECT_EQ(full.substr(0, full.rfind('\\')), std::string(File::GetModuleDirectory(nullptr)));
}

// ---- A disk that really is full: a small file system mounted from the Unix
// side of Wine (root only), for the writing operations and a growing
// mapping. Where none can be mounted the rule is covered by the
// platform-free tests of RaiseWriteFailure.

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (!IsWine()) GTEST_SKIP() << "mounting needs the Unix side of Wine";
        CreateDirectoryA(_mount.c_str(), nullptr);
        _mountPoint = UnixPathOf(_mount);
        if (RunUnixCommand("mount -t tmpfs -o size=64k trovik_full '" + _mountPoint + "'") != 0)
            GTEST_SKIP() << "this machine does not let the test mount a file system";
        _mounted = true;
        WriteBytes(_dir / "big", std::string(256 * 1024, 'b'));
    }
    void TearDown() override {
        if (_mounted) RunUnixCommand("umount -l '" + _mountPoint + "'");
    }
    void ExpectDiskFull(const Exception& e) {
        EXPECT_EQ(FileMessageWith(msgDiskFull, Name(_mount).GetDrive()), TextOf(e));
        EXPECT_TRUE(IsDiskFullError(e.GetCode())) << e.GetCode();
        EXPECT_EQ(Name(_mount).GetDriveIndex(), e.GetExtra());
    }

    ScratchDir _dir;
    std::string _mount = _dir / "full";
    std::string _mountPoint;
    bool _mounted = false;
};

TEST_F(FullDisk, WritingOperationsRaiseTheDriveMessage) {
    {
        File file(Name(_mount + "\\w.bin"), openCreate);
        ExpectDiskFull(
            RaisedBy([&] { file.Write(std::string(256 * 1024, 'w').data(), 256 * 1024); }));
    }
    File::Remove(Name(_mount + "\\w.bin"), 0, 1);
    ExpectDiskFull(RaisedBy([&] { File::Copy(Name(_mount + "\\c.bin"), Name(_dir / "big")); }));
    File::Remove(Name(_mount + "\\c.bin"), 0, 1);
    ExpectDiskFull(RaisedBy([&] { File::Move(Name(_mount + "\\m.bin"), Name(_dir / "big")); }));
    File::Remove(Name(_mount + "\\m.bin"), 0, 1);
    ExpectDiskFull(
        RaisedBy([&] { File::CopyExpanded(Name(_mount + "\\e.bin"), Name(_dir / "big")); }));
}

TEST_F(FullDisk, GrowingAMappingBeyondTheRoomLeftRaisesTheDriveMessage) {
    WriteBytes(_mount + "\\map.bin", "small");
    MappedFile mapped(Name(_mount + "\\map.bin"), openReadWrite, 1, 0);
    ExpectDiskFull(RaisedBy([&] { mapped.Resize(1024 * 1024, 1); }));
}
