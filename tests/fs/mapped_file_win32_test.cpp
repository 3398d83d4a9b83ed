// MappedFile on real files: the search's reading pattern, views, resizing,
// every failure with its message and code and nothing left open after it,
// files that vanish under their view, files beyond 4 GiB, and Compare.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>

#include "base/exception.h"
#include "fs/fault_guard.h"
#include "fs/file_errors.h"
#include "fs/mapped_file.h"
#include "tests/base/raised.h"
#include "tests/fs/scratch_dir.h"

namespace {

// 1 when nobody holds the file open: it can be opened with no sharing.
int NothingHolds(const std::string& name) {
    const HANDLE file =
        CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(file);
    return 1;
}

std::string Pattern(uint32_t size) {
    std::string bytes(size, '\0');
    for (uint32_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + i % 23);
    return bytes;
}

std::string Contents(const MappedFile& mapped) {
    return std::string(mapped.GetData(), mapped.GetSize());
}

// A handle of the test's own, closed at the end of the scope.
struct HeldOpen {
    HeldOpen(const std::string& name, DWORD access, DWORD share)
        : handle(CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldOpen() { CloseHandle(handle); }
    HANDLE handle;
};

const uint32_t granularity = 65536; // offsets of views are multiples of it

} // namespace

// ---- Reading as the search does

TEST(MappedFile, TheSearchsPatternGivesTheWholeFileAsOneBlock) {
    ScratchDir dir;
    for (uint32_t size : {1u, 4095u, 4096u, 200000u}) {
        const std::string name = dir / "data.bin";
        WriteBytes(name, Pattern(size));
        {
            MappedFile mapped(Name(name), searchOpenMode, 1, 0);
            EXPECT_EQ(size, mapped.GetSize());
            EXPECT_EQ(Pattern(size), Contents(mapped));
            EXPECT_EQ(searchOpenMode, mapped.GetFile()->GetMode());
            // Others may read meanwhile, but not write.
            HeldOpen reader(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
            EXPECT_NE(INVALID_HANDLE_VALUE, reader.handle);
            HeldOpen writer(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
            EXPECT_EQ(INVALID_HANDLE_VALUE, writer.handle);
        }
        EXPECT_TRUE(NothingHolds(name));
    }
}

TEST(MappedFile, AReadOnlyFileMapsReadOnly) {
    ScratchDir dir;
    const std::string name = dir / "ro.txt";
    WriteBytes(name, "read only");
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
    MappedFile mapped(Name(name), searchOpenMode, 1, 0);
    EXPECT_EQ("read only", Contents(mapped));
    MEMORY_BASIC_INFORMATION page;
    ASSERT_NE(0u, VirtualQuery(mapped.GetData(), &page, sizeof page));
    EXPECT_EQ(static_cast<DWORD>(PAGE_READONLY), page.Protect);
}

// ---- Failures, and nothing left open after them

TEST(MappedFile, FailuresRaiseTheirMessageAndCodeAndLeaveNothingOpen) {
    ScratchDir dir;
    const std::string empty = dir / "empty.txt";
    WriteBytes(empty, "");

    Exception e = RaisedBy([&] { MappedFile(Name(empty), searchOpenMode, 1, 0); });
    EXPECT_EQ(Message(msgMappingFailed), TextOf(e));
    EXPECT_NE(0, e.GetCode());
    EXPECT_TRUE(NothingHolds(empty));

    // A view beyond the end of the mapping.
    const std::string small = dir / "small.txt";
    WriteBytes(small, "small");
    MappedFile mapped(Name(small), searchOpenMode, 0, 0);
    e = RaisedBy([&] { mapped.AddView(granularity, 0); });
    EXPECT_EQ(Message(msgMappingFailed), TextOf(e));
    EXPECT_EQ(nullptr, mapped.GetData());
}

TEST(MappedFile, AFileThatAnotherHandleHoldsWithoutSharingIsInUse) {
    ScratchDir dir;
    const std::string name = dir / "busy.txt";
    WriteBytes(name, "busy");
    const struct {
        DWORD access, share;
    } holders[] = {
        {GENERIC_READ, 0},                                   // exclusive
        {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE}, // held for writing
    };
    for (const auto& holder : holders) {
        HeldOpen other(name, holder.access, holder.share);
        ASSERT_NE(INVALID_HANDLE_VALUE, other.handle);
        const Exception e = RaisedBy([&] { MappedFile(Name(name), searchOpenMode, 1, 0); });
        EXPECT_EQ(FileMessageWith(msgInUse, name.c_str()), TextOf(e));
        EXPECT_EQ(0, e.GetCode());
    }
}

TEST(MappedFile, AClosedFileCannotBeMapped) {
    File closed;
    SetLastError(ERROR_INVALID_HANDLE);
    const Exception e = RaisedBy([&] { MappedFile mapped(&closed, 1, 0); });
    EXPECT_EQ(Message(msgOpenFailed), TextOf(e));
    EXPECT_EQ(ERROR_INVALID_HANDLE, e.GetCode());
}

// ---- Views

TEST(MappedFile, ViewsComeOnRequestAndMapTheirWindow) {
    ScratchDir dir;
    const std::string name = dir / "views.bin";
    const std::string bytes = Pattern(3 * granularity + 10);
    WriteBytes(name, bytes);
    MappedFile mapped(Name(name), searchOpenMode, 0, 0);
    EXPECT_EQ(nullptr, mapped.GetData());
    EXPECT_EQ(0u, mapped.GetSize());

    MappedFile::View* whole = mapped.AddView(0, 0);
    EXPECT_EQ(bytes, Contents(mapped));
    MappedFile::View* tail = mapped.AddView(2 * granularity, 0);
    EXPECT_EQ(granularity + 10, tail->GetSize());
    EXPECT_EQ(0, std::memcmp(tail->GetBase(), bytes.data() + 2 * granularity, tail->GetSize()));
    MappedFile::View* part = mapped.AddView(granularity, 100);
    EXPECT_EQ(100u, part->GetSize());
    EXPECT_EQ(0, std::memcmp(part->GetBase(), bytes.data() + granularity, 100));

    EXPECT_NE(nullptr, part->Remap(0, 10));
    EXPECT_EQ(10u, part->GetSize());
    EXPECT_EQ(0, std::memcmp(part->GetBase(), bytes.data(), 10));
    part->Unmap();
    EXPECT_EQ(nullptr, part->Remap(0, 10)); // an unmapped view stays so

    mapped.RemoveView(whole);
    EXPECT_EQ(tail->GetBase(), mapped.GetData()); // the next view is the main one now
    mapped.RemoveView(tail);
    mapped.RemoveView(part);
    EXPECT_EQ(nullptr, mapped.GetData());
}

TEST(MappedFile, AGivenFileOutlivesTheMapping) {
    ScratchDir dir;
    const std::string name = dir / "given.txt";
    WriteBytes(name, "given");
    File file(Name(name), openRead);
    {
        MappedFile mapped(&file, 1, 0);
        EXPECT_EQ("given", Contents(mapped));
    }
    EXPECT_TRUE(file.IsOpen());
    char read[5];
    EXPECT_EQ(1, file.Read(read, 5, 0));
}

TEST(MappedFile, CloseLeavesNoMappingAndAClosedFile) {
    ScratchDir dir;
    const std::string name = dir / "close.txt";
    WriteBytes(name, "close");
    MappedFile mapped(Name(name), searchOpenMode, 1, 0);
    mapped.AddView(0, 2);
    mapped.Close();
    EXPECT_EQ(nullptr, mapped.GetData());
    EXPECT_FALSE(mapped.GetFile()->IsOpen());
    EXPECT_TRUE(NothingHolds(name));
    EXPECT_EQ(nullptr, mapped.Resize(100, 1)); // no mapping: nothing to do
}

// ---- Resizing a writable mapping

TEST(MappedFile, ResizeExtendsTheFileAndZeroFillsTheNewTail) {
    ScratchDir dir;
    const std::string name = dir / "grow.bin";
    WriteBytes(name, "0123456789");
    MappedFile mapped(Name(name), openReadWrite, 1, 0);
    mapped.AddView(0, 4); // a second view, dropped by the resize
    EXPECT_EQ(nullptr, mapped.Resize(10, 1));
    EXPECT_EQ("0123456789", Contents(mapped));

    char* data = mapped.Resize(5000, 1);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(data, mapped.GetData());
    EXPECT_EQ(5000u, mapped.GetSize());
    EXPECT_EQ(0, std::memcmp(data, "0123456789", 10));
    EXPECT_EQ(std::string(4990, '\0'), std::string(data + 10, 4990));
    std::memcpy(data + 4990, "written", 7);

    data = mapped.GrowBy(1000, 1);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(6000u, mapped.GetSize());
    EXPECT_EQ(0, std::memcmp(data + 4990, "written", 7));
    mapped.Close();
    EXPECT_EQ(6000u, ReadBytes(name).size());
    EXPECT_EQ("written", ReadBytes(name).substr(4990, 7));
}

TEST(MappedFile, AResizeThatFailsLeavesNoMappingAndNoView) {
    ScratchDir dir;
    const std::string name = dir / "fixed.txt";
    WriteBytes(name, "read only mapping");
    MappedFile mapped(Name(name), searchOpenMode, 1, 0);
    // A read-only mapping cannot grow the file: the platform says "no
    // memory" (8, 18026) or names another error (18021).
    const Exception e = RaisedBy([&] { mapped.Resize(100000, 1); });
    EXPECT_EQ(Message(e.GetCode() == ERROR_NOT_ENOUGH_MEMORY ? msgVirtualMemory : msgMappingFailed),
              TextOf(e));
    EXPECT_EQ(nullptr, mapped.GetData());
    EXPECT_EQ(nullptr, mapped.Resize(200000, 1));
}

// ---- Files that change under their view (the Unix side of Wine cuts them):
// proof that the platform faults there and the guard takes the fault. The
// layer's answers to such faults are tested through the table of calls
// (file_faults_win32_test.cpp).

class VanishingFile : public ::testing::Test {
protected:
    void SetUp() override {
        if (!IsWine()) GTEST_SKIP() << "cutting a mapped file needs the Unix side of Wine";
        WriteBytes(_name, Pattern(65536));
    }
    int Cut() { return RunUnixCommand("truncate -s 0 '" + UnixPathOf(_name) + "'"); }

    ScratchDir _dir;
    std::string _name = _dir / "vanishing.bin";
};

TEST_F(VanishingFile, AScanOfAViewWhoseFileWasCutFailsWithoutCrashing) {
    MappedFile mapped(Name(_name), openRead | openShareReadWrite, 1, 0);
    ASSERT_EQ(0, Cut());
    struct Sum {
        const volatile char* data;
        uint32_t size;
        uint32_t total;
        void operator()() {
            for (uint32_t i = 0; i < size; ++i)
                total += static_cast<uint8_t>(data[i]);
        }
    } sum{mapped.GetData(), mapped.GetSize(), 0};
    EXPECT_EQ(0, RunGuarded(mapped.GetData(), mapped.GetSize(), sum));
}

// ---- Beyond 4 GiB

TEST(MappedFile, AFileOf4GiBOrMoreIsRefusedWithAMessage) {
    ScratchDir dir;
    const std::string name = dir / "huge.bin";
    {
        // Sparse on the Linux side: no disk space is used.
        HeldOpen nothing(name, 0, 0); // just to be sure no handle lingers
        const HANDLE file =
            CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        LONG high = 1;
        SetFilePointer(file, 16, &high, FILE_BEGIN);
        const BOOL extended = SetEndOfFile(file);
        CloseHandle(file);
        if (!extended) GTEST_SKIP() << "the file system cannot hold a file of 4 GiB";
    }
    const Exception e = RaisedBy([&] { MappedFile(Name(name), searchOpenMode, 1, 0); });
    EXPECT_EQ(Message(msgMappingFailed), TextOf(e));
    EXPECT_EQ(ERROR_FILE_TOO_LARGE, e.GetCode());
    EXPECT_TRUE(NothingHolds(name));

    // A window of it maps well.
    MappedFile mapped(Name(name), searchOpenMode, 0, 0);
    MappedFile::View* view = mapped.AddView(0, 4096);
    EXPECT_EQ(std::string(4096, '\0'), std::string(view->GetBase(), 4096));
}

// ---- Compare

TEST(MappedFileCompare, ContentsSizesAndFailures) {
    ScratchDir dir;
    const std::string bytes = Pattern(5000);
    std::string differing = bytes;
    differing[10] = 'X';
    WriteBytes(dir / "a", bytes);
    WriteBytes(dir / "same", bytes);
    WriteBytes(dir / "differs", differing);
    WriteBytes(dir / "shorter", bytes.substr(0, 4999));
    WriteBytes(dir / "empty1", "");
    WriteBytes(dir / "empty2", "");
    const struct {
        const char* first;
        const char* second;
        int result;
        int32_t offset;
    } cases[] = {
        {"a", "same", 1, 0},     {"a", "differs", 0, 10},       {"a", "shorter", 0, -1},
        {"a", "A", 1, 0},        {"empty1", "empty2", 0, -2},   {"a", "missing", 0, -2},
        {"missing", "a", 0, -2}, {"missing", "missing", 0, -2},
    };
    for (const auto& c : cases) {
        int32_t offset = 12345;
        EXPECT_EQ(c.result, MappedFile::Compare(Name(dir / c.first), Name(dir / c.second), &offset))
            << c.first << " " << c.second;
        EXPECT_EQ(c.offset, offset) << c.first << " " << c.second;
    }
    EXPECT_EQ(0, MappedFile::Compare(Name(dir / "a"), Name(dir / "differs")));
}

TEST(MappedFileCompare, AFileWithItselfMapsNothing) {
    ScratchDir dir;
    const std::string name = dir / "self.txt";
    WriteBytes(name, "self");
    HeldOpen exclusive(name, GENERIC_READ, 0); // any mapping would fail now
    int32_t offset = 7;
    EXPECT_EQ(1, MappedFile::Compare(Name(name), Name(name), &offset));
    EXPECT_EQ(0, offset);
}
