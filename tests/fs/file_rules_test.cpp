// The file layer's rules that need no Windows: open-mode completion and
// translation, attribute bit positions, the disk-full rule and the messages
// that name a file, temporary and backup names, and line-wise text files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "base/exception.h"
#include "base/text_utils.h"
#include "fs/derived_names.h"
#include "fs/file.h"
#include "fs/file_attributes.h"
#include "fs/file_errors.h"
#include "fs/open_mode.h"
#include "tests/base/raised.h"

namespace w = win32_open;

// ---- Open mode

TEST(OpenMode, CompletionAddsReadWriteAndShareReadOnlyWhenMissing) {
    const struct {
        uint32_t given, completed;
    } cases[] = {
        {0x0, 0x28},              // nothing: read/write, others may read
        {0x2, 0x22},              // access given
        {0x1, 0x21},              // "no access" is an access bit too
        {0x100, 0x108},           // sharing given (none)
        {0x40, 0x48},             //
        {0x102, 0x102},           // complete already
        {0x10, 0x38},             // create
        {0x400, 0x438},           // temporary name implies create
        {0x600, 0x638},           // CanCreateIn's mode
        {0x20000022, 0x20000022}, // the search's mode
        {0x800, 0x828},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.completed, CompleteOpenMode(c.given)) << std::hex << c.given;
}

TEST(OpenMode, TranslationOfEveryBit) {
    const struct {
        uint32_t mode, access, share, creation, flags;
    } cases[] = {
        {0x21, 0, w::shareRead, w::openExisting, w::attributeNormal},
        {0x22, w::genericRead, w::shareRead, w::openExisting, w::attributeNormal},
        {0x24, w::genericWrite, w::shareRead, w::openExisting, w::attributeNormal},
        {0x28, w::genericRead | w::genericWrite, w::shareRead, w::openExisting, w::attributeNormal},
        {0x26, w::genericRead | w::genericWrite, w::shareRead, w::openExisting, w::attributeNormal},
        {0x42, w::genericRead, w::shareWrite, w::openExisting, w::attributeNormal},
        {0x82, w::genericRead, w::shareRead | w::shareWrite, w::openExisting, w::attributeNormal},
        {0x102, w::genericRead, 0, w::openExisting, w::attributeNormal},
        {0x38, w::genericRead | w::genericWrite, w::shareRead, w::createAlways, w::attributeNormal},
        {0x228, w::genericRead | w::genericWrite, w::shareRead, w::openExisting,
         w::flagDeleteOnClose | w::attributeNormal},
        {0x2000028, w::genericRead | w::genericWrite, w::shareRead, w::openExisting,
         w::attributeTemporary},
        {0x4000028, w::genericRead | w::genericWrite, w::shareRead, w::openExisting,
         w::attributeHidden},
        {0x8000028, w::genericRead | w::genericWrite, w::shareRead, w::openExisting,
         w::flagWriteThrough | w::attributeNormal},
        {0x10000028, w::genericRead | w::genericWrite, w::shareRead, w::openExisting,
         w::flagRandomAccess | w::attributeNormal},
        {0x20000022, w::genericRead, w::shareRead, w::openExisting,
         w::flagSequentialScan | w::attributeNormal},
        // 0x400 and 0x800 are handled by the open itself, not by the platform.
        {0xC28, w::genericRead | w::genericWrite, w::shareRead, w::openExisting,
         w::attributeNormal},
    };
    for (const auto& c : cases) {
        const OpenParameters p = TranslateOpenMode(c.mode);
        EXPECT_EQ(c.access, p.access) << std::hex << c.mode;
        EXPECT_EQ(c.share, p.share) << std::hex << c.mode;
        EXPECT_EQ(c.creation, p.creation) << std::hex << c.mode;
        EXPECT_EQ(c.flags, p.flags) << std::hex << c.mode;
    }
}

// ---- Attributes

TEST(FileAttributes, EachBitMovesToItsPlaceAndBack) {
    const struct {
        int32_t layer;
        uint32_t platform;
    } places[] = {{0x1, 0x80}, {0x2, 0x01}, {0x4, 0x02}, {0x8, 0x04}, {0x10, 0x10}, {0x20, 0x20}};
    int32_t allLayer = 0;
    uint32_t allPlatform = 0;
    for (const auto& place : places) {
        EXPECT_EQ(place.layer, AttributesFromPlatform(place.platform));
        EXPECT_EQ(place.platform, AttributesToPlatform(place.layer));
        allLayer |= place.layer;
        allPlatform |= place.platform;
    }
    EXPECT_EQ(allLayer, AttributesFromPlatform(allPlatform));
    EXPECT_EQ(allPlatform, AttributesToPlatform(allLayer));
}

TEST(FileAttributes, UnplacedPlatformBitsAreDroppedAndAnEmptyWordIsNormal) {
    EXPECT_EQ(0x2,
              AttributesFromPlatform(0x01 | 0x100 | 0x800 | 0x2000)); // temporary, compressed, ...
    EXPECT_EQ(0x80u, AttributesToPlatform(0));
    EXPECT_EQ(0x80u, AttributesToPlatform(0x40 | 0x100)); // no such bits in the word
}

// ---- Messages and the disk-full rule

TEST(FileErrors, MessagesWithANamePutItInPlaceOfTheFormat) {
    EXPECT_EQ("There is not enough disk space on partition C.", FileMessageWith(msgDiskFull, "C"));
    EXPECT_EQ("An error occurred. The file could not be opened.",
              FileMessageWith(msgOpenFailed, "x"));
    const String inUse = FileMessageWith(msgInUse, "C:\\a b\\%s.txt");
    EXPECT_EQ(0u, inUse.find("The file C:\\a b\\%s.txt could not be accessed."));
}

TEST(FileErrors, DiskFullCodesRaiseTheDriveMessageWithCodeAndDriveIndex) {
    const struct {
        const char* name;
        int32_t code;
        const char* drive;
        int32_t index;
    } cases[] = {{"c:\\dir\\x.dat", 112, "C", 2}, {"Z:\\x", 39, "Z", 25}, {"x.dat", 112, "", -1}};
    for (const auto& c : cases) {
        const Exception e =
            RaisedBy([&] { RaiseWriteFailure(FileName(c.name), c.code, msgWriteFailed); });
        EXPECT_EQ(FileMessageWith(msgDiskFull, c.drive), TextOf(e)) << c.name;
        EXPECT_EQ(c.code, e.GetCode());
        EXPECT_EQ(c.index, e.GetExtra());
    }
}

TEST(FileErrors, OtherCodesRaiseTheOperationsOwnMessage) {
    for (int32_t code : {0, 5, 32, 38, 111, 113}) {
        const Exception e =
            RaisedBy([&] { RaiseWriteFailure(FileName("C:\\x"), code, msgCopyFailed); });
        EXPECT_EQ(Message(msgCopyFailed), TextOf(e));
        EXPECT_EQ(code, e.GetCode());
        EXPECT_EQ(0, e.GetExtra());
    }
}

TEST(FileErrors, InUseCarriesTheNameAndNoCode) {
    const Exception e = RaisedBy([] { RaiseInUse(FileName("C:\\work\\busy.txt")); });
    EXPECT_EQ(FileMessageWith(msgInUse, "C:\\work\\busy.txt"), TextOf(e));
    EXPECT_EQ(0, e.GetCode());
}

// ---- Made-up names

TEST(DerivedNames, TemporaryNamesAreNumberedInTheDirectory) {
    EXPECT_EQ("C:\\tmp\\XX0.$$$", TempNameCandidate("C:\\tmp", 0));
    EXPECT_EQ("C:\\tmp\\XX12.$$$", TempNameCandidate("C:\\tmp", 12));
    EXPECT_EQ("C:", WithoutTrailingBackslashes("C:\\\\"));
    EXPECT_EQ("C:\\tmp", WithoutTrailingBackslashes("C:\\tmp\\"));
}

TEST(DerivedNames, BackupNames) {
    const struct {
        const char* name;
        const char* extension;
        const char* backup;
    } cases[] = {
        {"C:\\r\\report.bak", "~", "C:\\r\\report.~ak"},
        {"C:\\r\\makefile", "~", "C:\\r\\makefile.~"},
        {"C:\\r\\a.c", "~", "C:\\r\\a.~"},
        {"C:\\r.d\\makefile", "~", "C:\\r.d\\makefile.~"}, // the dot of a directory is no extension
        {"C:\\r\\report.txt", "old", "C:\\r\\report.old"},
        {"C:\\r\\report.txt", "", "C:\\r\\report"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.backup, BackupName(FileName(c.name), c.extension)) << c.name;
}

// ---- Line-wise text files (standard streams, so they run everywhere)

namespace {

// A file in the working directory, removed at the end of the test.
class TextFile {
public:
    explicit TextFile(const std::string& bytes) : _name(NameFor(this)) {
        std::ofstream(_name, std::ios::binary) << bytes;
    }
    ~TextFile() { std::remove(_name.c_str()); }
    FileName Name() const { return FileName(_name.c_str()); }

private:
    static std::string NameFor(const void* self) {
        return "trovik_lines_" + std::to_string(reinterpret_cast<uintptr_t>(self)) + ".txt";
    }
    std::string _name;
};

std::vector<std::string> Texts(const StringList& lines) {
    std::vector<std::string> texts;
    for (auto* line = lines.GetHead(); line; line = lines.GetNext(line))
        texts.push_back(*line);
    return texts;
}

} // namespace

TEST(FileLines, ReadLinesSkipsEmptyLinesAndTrimsOnRequest) {
    const TextFile file("one\r\n\r\n  two\t\r\n   \nthree");
    const struct {
        int trim, skipEmpty;
        std::vector<std::string> lines;
    } cases[] = {
        {0, 0, {"one", "  two\t", "   ", "three"}},
        {0, 1, {"one", "  two\t", "   ", "three"}},
        {1, 0, {"one", "two", "", "three"}},
        {1, 1, {"one", "two", "three"}},
    };
    for (const auto& c : cases) {
        StringList lines;
        lines.AddTail(new StringItem<ListElement>("kept"));
        File::ReadLines(file.Name(), lines, c.trim, c.skipEmpty);
        std::vector<std::string> expected{"kept"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(expected, Texts(lines)) << c.trim << c.skipEmpty;
    }
}

TEST(FileLines, WriteLinesThenReadLinesGivesTheLinesBack) {
    const TextFile file("old contents that must go");
    StringList lines;
    Split(lines, "alpha|beta|gamma", "|", 0);
    File::WriteLines(file.Name(), lines);
    StringList read;
    File::ReadLines(file.Name(), read, 0, 0);
    EXPECT_EQ(Texts(lines), Texts(read));
}

TEST(FileLines, FilesThatCannotBeOpenedRaiseWithoutCode) {
    StringList lines;
    const FileName missing("no_such_dir/no_such_file.txt");
    const Exception read = RaisedBy([&] { File::ReadLines(missing, lines, 0, 0); });
    EXPECT_EQ(Message(msgOpenFailed), TextOf(read));
    EXPECT_EQ(0, read.GetCode());
    const Exception written = RaisedBy([&] { File::WriteLines(missing, lines); });
    EXPECT_EQ(Message(msgCreateFailed), TextOf(written));
    EXPECT_EQ(0, written.GetCode());
}
