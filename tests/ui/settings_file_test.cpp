// The settings file: reading hostile files, where writes put their keys, the
// histories and the file sets. Every test runs against each store of the
// configuration (in memory, and on Windows the platform's profile functions
// over a real file), so the in-memory store is held to the platform's rules.
#include "ui/settings_file.h"

#include <gtest/gtest.h>

#include "tests/base/case_setting.h"
#include "tests/fs/scratch_dir.h"
#include "tests/ui/memory_combo.h"
#include "tests/ui/stores.h"

namespace {

class SettingsFile : public ::testing::TestWithParam<std::string> {
protected:
    std::unique_ptr<StoreUnderTest> Make(const std::string& text, int exists = 1) {
        return MakeStore(GetParam(), text, exists);
    }
};

// ---- Reading

TEST_P(SettingsFile, ReadsHostileFilesAsThePlatformDoes) {
    const std::string longValue(300, 'x');
    struct Case {
        const char* name;
        std::string file; // "-" for no file at all
        const char* section;
        const char* key;
        std::string value; // as read with the default "def", at most 60 characters
        int number;        // as read with the default 5
    } cases[] = {
        {"missing file", "-", "Settings", "Stat", "def", 5},
        {"empty file", "", "Settings", "Stat", "def", 5},
        {"CR LF", "[Settings]\r\nStat=1\r\n", "Settings", "Stat", "1", 1},
        {"LF only", "[Settings]\nStat=1\n", "Settings", "Stat", "1", 1},
        {"names without regard to case", "[settings]\nSTAT=1\n", "SETTINGS", "stat", "1", 1},
        {"blanks around name and value", "[Settings]\n  Stat  =  1  \n", "Settings", "Stat", "1",
         1},
        {"empty value", "[Settings]\nStat=\n", "Settings", "Stat", "", 5},
        {"key without =", "[Settings]\nStat\n", "Settings", "Stat", "def", 5},
        {"not a number", "[Settings]\nStat=yes\n", "Settings", "Stat", "yes", 0},
        {"number and garbage", "[Settings]\nStat=12ab\n", "Settings", "Stat", "12ab", 12},
        {"negative", "[Settings]\nStat=-3\n", "Settings", "Stat", "-3", -3},
        {"value beyond the limit", "[S]\nk=" + longValue + "\n", "S", "k", longValue.substr(0, 60),
         0},
        {"garbage lines around", "junk line\n=\n[Settings]\n;note\nStat=1\n\n\nx y z\n", "Settings",
         "Stat", "1", 1},
        {"later section of the same name", "[A]\nx=1\n[Settings]\n[A]\ny=2\n", "A", "x", "1", 1},
        {"key in another section", "[Other]\nStat=1\n", "Settings", "Stat", "def", 5},
        {"first of two equal keys", "[S]\nk=1\nK=2\n", "S", "k", "1", 1},
    };
    for (const Case& c : cases) {
        auto store = c.file == "-" ? Make("", 0) : Make(c.file);
        EXPECT_EQ(store->Store().ReadString(c.section, c.key, "def", 60), c.value) << c.name;
        EXPECT_EQ(store->Store().ReadInt(c.section, c.key, 5), c.number) << c.name;
    }
}

TEST_P(SettingsFile, SwitchesAreZeroOrOne) {
    auto store = Make("[Settings]\nOnlyFile=1\nRegEx=7\nCaseSensitive=0\nStat=x\nKeepMess=1\n");
    SearchSettingsRecord settings;
    settings.WholeWord = 1; // missing: back to 0
    ReadSwitches(settings, store->Store());
    EXPECT_EQ(settings.OnlyFile, 1);
    EXPECT_EQ(settings.RegEx, 1);
    EXPECT_EQ(settings.CaseSensitive, 0);
    EXPECT_EQ(settings.Stat, 0);
    EXPECT_EQ(settings.KeepMess, 1);
    EXPECT_EQ(settings.WholeWord, 0);
}

TEST_P(SettingsFile, ThreadsIsACountWithZeroForMissingOrNegative) {
    const std::pair<const char*, unsigned> cases[] = {
        {"", 0}, {"[Settings]\nThreads=8\n", 8}, {"[Settings]\nThreads=-2\n", 0}};
    for (const auto& [file, threads] : cases) {
        SearchSettingsRecord settings;
        settings.Threads = 5;
        ReadSwitches(settings, Make(file)->Store());
        EXPECT_EQ(settings.Threads, threads) << file;
    }
}

// ---- Writing

TEST_P(SettingsFile, WritesKeepPlacesAndAppendNewKeysAndSections) {
    auto store = Make("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
    WriteSetting(store->Store(), "a", "X", "9");
    WriteSetting(store->Store(), "A", "z", "3");
    WriteSetting(store->Store(), "C", "k", "");
    WriteSetting(store->Store(), "B", "y", "4");
    EXPECT_EQ(store->Text(), "[A]\r\nx=9\r\nz=3\r\n[B]\r\ny=4\r\n[C]\r\nk=\r\n");
}

TEST_P(SettingsFile, AFailedWriteIsToldOncePerLoadAndNeverByABoxOfItsOwn) {
    auto store = Make("");
    store->FailWrites();
    ResetWriteFailureReport();
    MessageBoxScript boxes;
    EXPECT_EQ(WriteFailureNotice(store->Store()), "");
    WriteSetting(store->Store(), "Settings", "Stat", 1);
    WriteSetting(store->Store(), "Settings", "RegEx", 1);
    const String notice = WriteFailureNotice(store->Store());
    EXPECT_NE(notice.find(store->Store().Location()), std::string::npos);
    WriteSetting(store->Store(), "Settings", "Stat", 1);
    EXPECT_EQ(WriteFailureNotice(store->Store()), "");
    EXPECT_TRUE(boxes.Shown().empty()); // the dialog tells it, in a box it owns
    ResetWriteFailureReport();
}

// ---- Values the platform's reader would change

TEST_P(SettingsFile, EveryValueReadsBackAsItWasWritten) {
    const std::string quoted60 = "\"" + std::string(58, 'q') + "\"";
    for (const std::string& value :
         std::vector<std::string>{"\"include\"", "\"\"", "''", "'q'", "\"", "'a\"", "\"a'b\"",
                                  "\tx\t", " x", "x ", "\x1a", "plain", "", quoted60}) {
        auto store = Make("");
        WriteSetting(store->Store(), "Searched", "String0", value.c_str());
        EXPECT_EQ(store->Store().ReadString("Searched", "String0", "-", 60), value) << value;
    }
}

TEST_P(SettingsFile, FilesWrittenBeforeReadAsBefore) {
    // The values as earlier versions wrote them, and what the platform reads.
    const std::string quoted60 = "\"" + std::string(60, 'q') + "\"";
    struct Case {
        std::string stored, read;
    } cases[] = {
        {"\"include\"", "include"},
        {"''", ""},
        {"'q'", "q"},
        {"\"a'", "\"a'"},
        {"\"", "\""},
        {"a\"b\"", "a\"b\""},
        {quoted60, quoted60.substr(1, 60)},
    };
    for (const Case& c : cases) {
        auto store = Make("[Searched]\r\nString0=" + c.stored + "\r\n");
        EXPECT_EQ(store->Store().ReadString("Searched", "String0", "-", 60), c.read) << c.stored;
    }
}

TEST_P(SettingsFile, ALineEndNeverReachesTheFile) {
    auto store = Make("");
    for (const char* forged :
         {"x\r\n[DirSetLastOne]\r\nDirList=C:\\", "x\n[Forged]\nk=1", "x\r[Forged]\rk=1"}) {
        WriteSetting(store->Store(), "Searched", "String0", forged);
        EXPECT_EQ(store->Store().ReadString("Searched", "String0", "-", 60), "x");
        EXPECT_EQ(store->Text(), "[Searched]\r\nString0=x\r\n");
    }
}

// ---- Histories

TEST_P(SettingsFile, HistoryEndsAtTheFirstGapAndTheInitialTextRule) {
    auto store = Make("[Searched]\nString0=a\nString1=b\nString2=\nString3=d\n");
    struct Case {
        const String* initial;
        const char* text; // the edit text after loading
    };
    const String empty, given("host");
    const Case cases[] = {{nullptr, ""}, {&empty, "a"}, {&given, "host"}};
    for (const Case& c : cases) {
        MemoryCombo field;
        field.text = "old";
        LoadHistory(store->Store(), searchedTexts, field, c.initial);
        EXPECT_EQ(field.entries, (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(field.text, c.text);
    }
}

TEST_P(SettingsFile, SaveHistoryWritesAtMostTheCountAndTerminatesOnRequest) {
    auto store = Make("");
    MemoryCombo texts, sets;
    for (int i = 0; i < 16; ++i)
        texts.entries.push_back("t" + std::to_string(i));
    SaveHistory(store->Store(), searchedTexts, texts);
    sets.entries = {"A", "B"};
    SaveHistory(store->Store(), setNames, sets);
    EXPECT_EQ(store->Store().ReadString("Searched", "String14", "-", 60), "t14");
    EXPECT_EQ(store->Store().ReadString("Searched", "String15", "-", 60), "-");
    EXPECT_EQ(store->Store().ReadString("SetList", "Set2", "-", 60), "");
}

// ---- File sets

TEST_P(SettingsFile, FileSetRoundTripAndDefaults) {
    auto store = Make("[DirSetGone]\nDirList=\nFileType=\nSubDir=0\n");
    SearchSettingsRecord settings;
    FileSetFields missing = LoadFileSet(store->Store(), "Nowhere");
    EXPECT_EQ(missing.list, "");
    EXPECT_EQ(missing.fileTypes, "*.*");
    EXPECT_EQ(missing.subDir, 1);
    FileSetFields removed = LoadFileSet(store->Store(), "Gone");
    EXPECT_EQ(removed.fileTypes, "");
    EXPECT_EQ(removed.subDir, 0);

    FileSetFields fields;
    fields.list = "C:\\Program Files\\Tool\r\n  D:\\a,b  \r\n";
    fields.fileTypes = "*.c, *.h;";
    fields.subDir = 0;
    EXPECT_EQ(SaveFileSet(store->Store(), "My Project", fields, &settings), 0);
    EXPECT_EQ(store->Store().ReadString("DirSetMy_Project", "DirList", "", 300),
              "C:\\Program Files\\Tool;D:\\a,b;");
    EXPECT_EQ(settings.dirList, "C:\\Program Files\\Tool;D:\\a,b;");
    EXPECT_EQ(settings.fileTypes, "*.c;*.h");
    EXPECT_EQ(settings.SubDir, 0);
    FileSetFields loaded = LoadFileSet(store->Store(), "my project");
    EXPECT_EQ(loaded.list, "C:\\Program Files\\Tool\r\nD:\\a,b\r\n");
    EXPECT_EQ(loaded.fileTypes, "*.c;*.h");
    EXPECT_EQ(loaded.subDir, 0);
    EXPECT_EQ(settings.dirList, "C:\\Program Files\\Tool;D:\\a,b;"); // loading leaves the run forms
}

TEST_P(SettingsFile, RunFormsAtLoadAreThoseOfTheLastConfirmedSearch) {
    struct Case {
        std::string file;
        const char *dirList, *fileTypes;
        int subDir;
    } cases[] = {
        {"", "", "*.*", 1},
        {"[DirSetWork]\nDirList=C:\\W;\n[DirSetLastOne]\nDirList=C:\\A;D:\\B;\nFileType=*.c\n"
         "SubDir=0\n",
         "C:\\A;D:\\B;", "*.c", 0},
    };
    for (const Case& c : cases) {
        auto store = Make(c.file);
        SearchSettingsRecord settings;
        settings.SubDir = 7;
        ReadRunForms(settings, store->Store());
        EXPECT_EQ(settings.dirList, c.dirList);
        EXPECT_EQ(settings.fileTypes, c.fileTypes);
        EXPECT_EQ(settings.SubDir, c.subDir);
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, SettingsFile, ::testing::ValuesIn(StoreKinds()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param;
                         });

TEST(PromoteEntry, PutsTheTextOnTopOnceWhateverTheCaseSetting) {
    struct Case {
        std::vector<std::string> entries;
        const char* text;
        int exact;
        std::vector<std::string> after;
    } cases[] = {
        {{"a", "b"}, "c", 1, {"c", "a", "b"}},
        {{"a", "Open"}, "open", 1, {"open", "a", "Open"}}, // exact: two entries
        {{"a", "Open"}, " Open ", 1, {"Open", "a"}},
        {{"*.TXT", "*.c"}, "*.txt", 0, {"*.TXT", "*.c"}}, // already first, in another case
        {{"*.c", "*.TXT"}, "*.txt", 0, {"*.txt", "*.c"}},
        {{"a"}, "   ", 1, {"a"}},
        {{"Open", "a"}, "open", 1, {"open", "Open", "a"}}, // exact: not the first entry
    };
    for (int caseSensitive : {1, 0}) {
        CaseSetting setting(caseSensitive);
        for (const Case& c : cases) {
            MemoryCombo field;
            field.entries = c.entries;
            field.text = c.text;
            PromoteEntry(field, c.exact);
            EXPECT_EQ(field.entries, c.after) << c.text << " case setting " << caseSensitive;
        }
    }
    // Sixteen texts: the oldest falls off when the history is written.
    MemoryCombo texts;
    for (int i = 0; i < 15; ++i)
        texts.entries.push_back("t" + std::to_string(i));
    texts.text = "new";
    PromoteEntry(texts, 1);
    EXPECT_EQ(texts.entries.front(), "new");
    EXPECT_EQ(texts.Count(), 16); // SaveHistory writes the first 15
}

TEST(SettingsPaths, BesideTheLibraryWhateverItsNameAndLength) {
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\";
    struct Case {
        std::string module;
        std::string ini;
    } cases[] = {
        {"C:\\Tools\\trovik.dll", "C:\\Tools\\TROVIK.INI"},
        {"C:\\Tools\\other name.dll", "C:\\Tools\\TROVIK.INI"},
        {deep + "trovik.dll", deep + "TROVIK.INI"},
        {"trovik.dll", "TROVIK.INI"},
    };
    for (const Case& c : cases) {
        SearchSettingsRecord settings;
        SetSettingsPaths(settings, c.module);
        EXPECT_EQ(settings.SettingsPath, c.ini);
        EXPECT_EQ(settings.HelpPath, c.ini.substr(0, c.ini.size() - 3) + "HLP");
        EXPECT_EQ(settings.HelpPagePath, c.ini.substr(0, c.ini.size() - 3) + "HTM");
    }
}

} // namespace
