// File on real files: the open with its mode word and failures, reading (at
// the pointer and at an offset), writing, seeking and sizing, lines, times, attributes, locks, and
// the clean-up duties (delete on destroy, the read-only restore of 0x800). The message and code of
// every failed call: file_faults_win32_test.cpp.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "base/exception.h"
#include "fs/file.h"
#include "fs/file_attributes.h"
#include "fs/file_errors.h"
#include "tests/base/raised.h"
#include "tests/fs/scratch_dir.h"

// ---- Open

TEST(FileOpen, TheModeIsCompletedAndKept) {
    ScratchDir dir;
    WriteBytes(dir / "a.txt", "a");
    const struct {
        uint32_t given, kept;
    } cases[] = {{0x2, 0x22}, {0x0, 0x28}, {0x82, 0x82}, {0x20000022, 0x20000022}, {0x1, 0x21}};
    for (const auto& c : cases) {
        File file(Name(dir / "a.txt"), c.given);
        EXPECT_TRUE(file.IsOpen());
        EXPECT_EQ(c.kept, file.GetMode()) << std::hex << c.given;
        EXPECT_EQ(dir / "a.txt", file.GetName());
    }
}

TEST(FileOpen, FailuresRaiseTheirMessageAndCode) {
    ScratchDir dir;
    const std::string busy = dir / "busy.txt";
    WriteBytes(busy, "busy");
    Exception e = RaisedBy([&] { File(Name(dir / "missing.txt"), searchOpenMode); });
    EXPECT_EQ(Message(msgOpenFailed), TextOf(e));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.GetCode());

    const HANDLE other =
        CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    e = RaisedBy([&] { File(Name(busy), searchOpenMode); });
    EXPECT_EQ(FileMessageWith(msgInUse, busy.c_str()), TextOf(e));
    EXPECT_EQ(0, e.GetCode());
    CloseHandle(other);
    EXPECT_TRUE(File(Name(busy), searchOpenMode).IsOpen());
}

TEST(FileOpen, CreateReplacesAnExistingFile) {
    ScratchDir dir;
    WriteBytes(dir / "old.txt", "old contents");
    {
        File file(Name(dir / "old.txt"), openCreate);
        EXPECT_EQ(0u, file.GetSize());
        file.Write("new", 3);
    }
    EXPECT_EQ("new", ReadBytes(dir / "old.txt"));
    {
        File file(Name(dir / "fresh.txt"), openCreate | openWrite);
        file.Write("fresh", 5);
    }
    EXPECT_EQ("fresh", ReadBytes(dir / "fresh.txt"));
}

TEST(FileOpen, ATemporaryNameInADirectory) {
    ScratchDir dir;
    WriteBytes(dir / "XX0.$$$", "taken");
    std::string made;
    {
        File file(Name(dir.Path() + "\\"), openTempName);
        made = file.GetName();
        EXPECT_EQ(dir / "XX1.$$$", made);
        EXPECT_TRUE(PathExists(made));
        EXPECT_EQ(0x438u, file.GetMode());
        EXPECT_FALSE(file.IsTemporary());
    }
    EXPECT_TRUE(PathExists(made)); // without 0x200 it stays
    {
        File file(Name(dir.Path()), openTempName | openDeleteOnClose);
        made = file.GetName();
        EXPECT_EQ(dir / "XX2.$$$", made);
        EXPECT_TRUE(file.IsTemporary());
    }
    EXPECT_FALSE(PathExists(made));
}

// ---- Reading, writing, seeking, sizing

TEST(FileData, ReadReportsWhatCameAndRaisesOnAShortReadWhenAsked) {
    ScratchDir dir;
    WriteBytes(dir / "r.txt", "0123456789");
    File file(Name(dir / "r.txt"), openRead | openShareReadWrite);
    EXPECT_EQ(0, file.GetLastCount());
    char buffer[20] = {};
    EXPECT_EQ(1, file.Read(buffer, 4, 1));
    EXPECT_EQ(4, file.GetLastCount());
    EXPECT_EQ("0123", std::string(buffer, 4));
    EXPECT_EQ(1, file.Read(buffer, 0, 1));
    EXPECT_EQ(0, file.Read(buffer, 10, 0));
    EXPECT_EQ(6, file.GetLastCount());
    const Exception e = RaisedBy([&] { file.Read(buffer, 1, 1); });
    EXPECT_EQ(Message(msgReadFailed), TextOf(e));
    EXPECT_EQ(0, file.GetLastCount());

    File writeOnly(Name(dir / "r.txt"), openWrite | openShareReadWrite);
    EXPECT_EQ(0, writeOnly.Read(buffer, 1, 0));
    EXPECT_EQ(-1, writeOnly.GetLastCount()); // the read itself failed
}

TEST(FileData, ReadAtReadsFromItsOffsetAndStopsWhereTheFileEnds) {
    ScratchDir dir;
    WriteBytes(dir / "r.txt", "0123456789");
    File file(Name(dir / "r.txt"), openRead | openShareReadWrite);
    char buffer[20] = {};
    EXPECT_EQ(4, file.ReadAt(3, buffer, 4));
    EXPECT_EQ("3456", std::string(buffer, 4));
    EXPECT_EQ(2, file.ReadAt(8, buffer, 10));
    EXPECT_EQ("89", std::string(buffer, 2));
    EXPECT_EQ(0, file.ReadAt(10, buffer, 1));
    EXPECT_EQ(0, file.ReadAt(1ull << 32, buffer, 1)); // past 4 GiB: beyond the end
    File writeOnly(Name(dir / "r.txt"), openWrite | openShareReadWrite);
    EXPECT_EQ(-1, writeOnly.ReadAt(0, buffer, 1));
}

TEST(FileData, WriteSeekAndSetSize) {
    ScratchDir dir;
    File file(Name(dir / "w.bin"), openCreate);
    file.Write("hello world", 11);
    file.Write("", 0);
    EXPECT_EQ(11u, file.GetSize());
    EXPECT_EQ(0u, file.Seek(0, 0));
    EXPECT_EQ(6u, file.Seek(-5, 2));
    EXPECT_EQ(8u, file.Seek(2, 1));
    file.Write("R", 1);
    file.SetSize(5);
    EXPECT_EQ(5u, file.GetSize());
    EXPECT_EQ(5u, file.Seek(0, 1)); // the pointer is left at the new end
    file.SetSize(70000);
    EXPECT_EQ(70000u, file.GetSize());
    file.Close();
    const std::string bytes = ReadBytes(dir / "w.bin");
    EXPECT_EQ("hello", bytes.substr(0, 5));
    EXPECT_EQ(std::string(70000 - 5, '\0'), bytes.substr(5));
}

TEST(FileData, WriteStringAndWriteLine) {
    ScratchDir dir;
    {
        File file(Name(dir / "s.txt"), openCreate);
        file.WriteString("ab", 0);
        file.WriteString("cd", 1);
        file.WriteLine("line");
        file.WriteLine("unix", '\n', -1);
        file.WriteLine("", '|', '|');
    }
    EXPECT_EQ(std::string("abcd\0line\r\nunix\n||", 18), ReadBytes(dir / "s.txt"));
}

TEST(FileData, ReadLineEndsAtLineFeedsCarriageReturnsAndNul) {
    ScratchDir dir;
    const struct {
        std::string bytes;
        std::vector<std::string> lines; // read until the end of the file
    } cases[] = {
        {"abc\r\ndef", {"abc", "def"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {std::string("a\0b\n\nc", 6), {"a", "b", "", "c"}},
        {"no end", {"no end"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        WriteBytes(dir / "lines.txt", c.bytes);
        File file(Name(dir / "lines.txt"), openRead);
        std::vector<std::string> lines;
        while (file.Seek(0, 1) < file.GetSize())
            lines.push_back(file.ReadLine());
        EXPECT_EQ(c.lines, lines) << c.bytes;
        EXPECT_EQ("", std::string(file.ReadLine())); // at the end: an empty line
    }
}

TEST(FileData, ACarriageReturnAsTheLastByteRaises) {
    ScratchDir dir;
    WriteBytes(dir / "cr.txt", "last\r");
    File file(Name(dir / "cr.txt"), openRead);
    const Exception e = RaisedBy([&] { file.ReadLine(); });
    EXPECT_EQ(Message(msgReadFailed), TextOf(e));
}

// ---- Times, attributes, locks

TEST(FileTimes, SetAndReadBackInFileTimeAndDosForm) {
    ScratchDir dir;
    WriteBytes(dir / "t.txt", "t");
    SYSTEMTIME when{};
    when.wYear = 1997;
    when.wMonth = 3;
    when.wDay = 5;
    when.wHour = 13;
    when.wMinute = 24;
    when.wSecond = 36;
    FILETIME time;
    ASSERT_TRUE(SystemTimeToFileTime(&when, &time));
    EXPECT_EQ(1, File::SetTimesOf(Name(dir / "t.txt"), nullptr, nullptr, &time));

    FILETIME creation{1, 1}, access{1, 1}, write{1, 1};
    EXPECT_EQ(1, File::GetTimesOf(Name(dir / "t.txt"), &creation, &access, &write));
    EXPECT_EQ(time.dwLowDateTime, write.dwLowDateTime);
    EXPECT_EQ(time.dwHighDateTime, write.dwHighDateTime);

    uint16_t date = 0, dosTime = 0;
    File::GetDateTimeOf(Name(dir / "t.txt"), &date, &dosTime);
    EXPECT_EQ(((1997 - 1980) << 9) | (3 << 5) | 5, date);
    EXPECT_EQ((13 << 11) | (24 << 5) | (36 / 2), dosTime);

    File closed;
    date = dosTime = 1;
    closed.GetDateTime(&date, &dosTime);
    EXPECT_EQ(0, date);
    EXPECT_EQ(0, dosTime);
    write = FILETIME{1, 1};
    EXPECT_EQ(0, closed.GetTimes(nullptr, nullptr, &write));
    EXPECT_EQ(0u, write.dwLowDateTime | write.dwHighDateTime);
}

TEST(FileAttributes, ThroughTheHandle) {
    ScratchDir dir;
    WriteBytes(dir / "h.txt", "h");
    SetFileAttributesA((dir / "h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    File file(Name(dir / "h.txt"), openRead);
    EXPECT_EQ(attributeHidden | attributeReadOnly,
              file.GetAttributes() & (attributeHidden | attributeReadOnly));
    EXPECT_EQ(-1, File().GetAttributes());
}

TEST(FileLocks, ALockedRangeCannotBeLockedThroughAnotherHandle) {
    ScratchDir dir;
    WriteBytes(dir / "l.txt", std::string(100, 'l'));
    File first(Name(dir / "l.txt"), openRead | openShareReadWrite);
    File second(Name(dir / "l.txt"), openRead | openShareReadWrite);
    EXPECT_EQ(1, first.Lock(0, 10));
    EXPECT_EQ(0, second.Lock(5, 10));
    EXPECT_EQ(1, second.Lock(10, 10));
    EXPECT_EQ(0, second.Unlock(0, 10)); // not its lock
    EXPECT_EQ(1, first.Unlock(0, 10));
    EXPECT_EQ(1, second.Lock(0, 10));
}

// ---- Clean-up duties

TEST(FileCleanUp, DeleteOnDestroyRemovesEvenAReadOnlyFile) {
    ScratchDir dir;
    const std::string name = dir / "gone.txt";
    WriteBytes(name, "gone");
    {
        File file(Name(name), openRead);
        file.SetDeleteOnDestroy(1);
        EXPECT_TRUE(file.IsTemporary());
        SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    EXPECT_FALSE(PathExists(name));
}

TEST(FileCleanUp, ClearReadOnlyOpensForWritingAndRestoresTheAttributeAtClose) {
    ScratchDir dir;
    const std::string name = dir / "ro.txt";
    WriteBytes(name, "before");
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        File file(Name(name), openReadWrite | openClearReadOnly);
        EXPECT_EQ(0, File::IsReadOnly(Name(name)));
        file.Write("after!", 6);
        file.Close();
        EXPECT_EQ(1, File::IsReadOnly(Name(name)));
    }
    EXPECT_EQ(1, File::IsReadOnly(Name(name)));
    EXPECT_EQ("after!", ReadBytes(name));

    // A file that went away with its handle is not brought back by the restore.
    File(Name(name), openReadWrite | openClearReadOnly | openDeleteOnClose).Close();
    EXPECT_FALSE(PathExists(name));
}
