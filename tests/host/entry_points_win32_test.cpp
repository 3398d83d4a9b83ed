// trovik.dll through its exports, as a host calls it: a copy of the built
// library in a scratch folder, the search dialog and the progress window
// operated through their controls from the driver's thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/fs/scratch_dir.h"
#include "tests/host/trovik_exports.h"
#include "tests/ui/dialog_driver.h"

namespace {

// The loaded module's data directory `entry` (IMAGE_DIRECTORY_ENTRY_...),
// as a pointer of type T into the image.
template <class T>
const T* DataDirectory(HMODULE module, int entry) {
    const char* base = reinterpret_cast<const char*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return reinterpret_cast<const T*>(base +
                                      nt->OptionalHeader.DataDirectory[entry].VirtualAddress);
}

std::vector<std::string> ExportedNames(HMODULE module) {
    const char* base = reinterpret_cast<const char*>(module);
    auto exports = DataDirectory<IMAGE_EXPORT_DIRECTORY>(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    auto names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::vector<std::string> result;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        result.push_back(base + names[i]);
    return result;
}

// The libraries the module imports from, in upper case.
std::set<std::string> ImportedLibraries(HMODULE module) {
    std::set<std::string> result;
    for (auto entry = DataDirectory<IMAGE_IMPORT_DESCRIPTOR>(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
         entry->Name != 0; ++entry) {
        std::string name = reinterpret_cast<const char*>(module) + entry->Name;
        for (char& c : name)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        result.insert(name);
    }
    return result;
}

// Two scratch folders: the library's own, and the files it searches.
class EntryPoints : public ::testing::Test {
protected:
    std::string Write(const std::string& relative, const std::string& bytes) {
        return data.Write(relative, bytes);
    }

    // Command 3 with the dialog confirmed with `entries`; `shown` gets the
    // text the dialog showed first.
    int SearchWithDialog(TrovikExports& trovik, const char* text, int showDialog,
                         const DialogEntries& entries, std::string* shown = nullptr) {
        std::string first;
        int result;
        {
            DialogDriver driver([&] { first = ConfirmSearchDialog(entries); });
            result = trovik.DoTrovik(3, text, showDialog);
        }
        if (shown) *shown = first;
        return result;
    }

    // Command 3 that must not show the dialog: one that appears is cancelled
    // and fails the test.
    int SearchWithoutDialog(TrovikExports& trovik, const char* text) {
        std::atomic<bool> done(false);
        bool dialogShown = false;
        int result;
        {
            DialogDriver driver([&] {
                while (!done) {
                    if (HWND dialog = WaitForDialog(IDC_DIR_LIST, 0)) {
                        dialogShown = true;
                        ClickLater(dialog, IDCANCEL);
                    }
                    Sleep(20);
                }
            });
            result = trovik.DoTrovik(3, text, 0);
            done = true;
        }
        EXPECT_FALSE(dialogShown);
        return result;
    }

    ScratchDir home; // the library's folder
    ScratchDir data; // the searched files
};

// The names a host asks for, undecorated and alone: no second spelling such
// as DoTrovik or _DoTrovik@12 beside them.
TEST_F(EntryPoints, TheExportTableHoldsTheThreeNamesExactly) {
    TrovikExports trovik(home.Path());
    ASSERT_TRUE(trovik.Loaded());
    std::set<std::string> found;
    for (const std::string& name : ExportedNames(GetModuleHandleA("trovik.dll"))) {
        if (name.find("DoTrovik") != std::string::npos ||
            name.find("GetValue") != std::string::npos ||
            name.find("GetString") != std::string::npos) {
            found.insert(name);
        }
    }
    EXPECT_EQ(found, (std::set<std::string>{"_DoTrovik", "_GetString", "_GetValue"}));
}

// Only libraries that the system always takes from its own folder: any other
// is searched beside the host first, where a planted copy would be loaded.
TEST_F(EntryPoints, TheLibraryImportsOnlyFromTheSystemsKnownLibraries) {
    TrovikExports trovik(home.Path());
    ASSERT_TRUE(trovik.Loaded());
    const std::set<std::string> known = {"KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL",
                                         "COMDLG32.DLL", "ADVAPI32.DLL", "MSVCRT.DLL"};
    for (const std::string& name : ImportedLibraries(GetModuleHandleA("trovik.dll")))
        EXPECT_EQ(known.count(name), 1u) << name;
}

TEST_F(EntryPoints, TheFirstSearchShowsTheDialogAndLaterOnesReuseItsFileSet) {
    const std::string a = Write("a.c", "int needle;\n");
    const std::string b = Write("sub\\b.h", "x\n\t  needle here\n");
    Write("c.txt", "needle here\n");
    TrovikExports trovik(home.Path());
    ASSERT_TRUE(trovik.Loaded());

    std::string shown;
    const std::string hundred(100, 'q');
    EXPECT_EQ(
        SearchWithDialog(trovik, hundred.c_str(), 0, {"needle", data.Path(), "*.c;*.h"}, &shown),
        2);
    EXPECT_EQ(shown, hundred.substr(0, 60));
    EXPECT_EQ(trovik.Hits(), a + "(1): int needle;\n" + b + "(2): needle here\n");

    // Neither a text nor the dialog: nothing changes.
    EXPECT_EQ(trovik.DoTrovik(3, nullptr, 0), 1);
    EXPECT_EQ(trovik.DoTrovik(3, "", 0), 1);
    EXPECT_EQ(trovik.GetValue(0, 7), 2);

    // A text without the dialog: the last file set and switches again.
    EXPECT_EQ(SearchWithoutDialog(trovik, "here"), 2);
    EXPECT_EQ(trovik.Hits(), b + "(2): needle here\n");

    // Cancel in the dialog: the hits are gone all the same.
    {
        DialogDriver driver(CancelSearchDialog);
        EXPECT_EQ(trovik.DoTrovik(3, nullptr, 1), 1);
    }
    EXPECT_EQ(trovik.GetValue(0, 7), 0);
}

TEST_F(EntryPoints, NoMatchAndABlankTextGiveHitsReadyButNone) {
    Write("a.c", "int needle;\n");
    TrovikExports trovik(home.Path());
    EXPECT_EQ(SearchWithDialog(trovik, "absent", 0, {"", data.Path(), "*.*"}), 2);
    EXPECT_EQ(trovik.GetValue(0, 7), 0);
    EXPECT_EQ(SearchWithoutDialog(trovik, " \t  \t"), 2);
    EXPECT_EQ(trovik.GetValue(0, 7), 0);
    EXPECT_EQ(trovik.GetString(0, 10), "Number of files: 0");
}

TEST_F(EntryPoints, StatisticsLinesSurviveTheRelease) {
    Write("a.txt", "abcd\r\n");
    Write("b.txt", "ef g\n\nh");
    Write("c.txt", "i j");
    TrovikExports trovik(home.Path());
    EXPECT_EQ(SearchWithDialog(trovik, "x", 1, {"", data.Path(), "*.txt", 1}), 9);
    const std::string lines[] = {
        "Number of files: 3",
        "Number of \"real\" characters: 10 (for a total of 16)",
        "(average is 3 \"real\" characters per file)",
        "Number of \"real\" lines: 4 (for a total of 4)",
        "(average is 1 \"real\" lines per file)",
    };
    for (int what = 10; what <= 14; ++what)
        EXPECT_EQ(trovik.GetString(0, what), lines[what - 10]);

    EXPECT_EQ(trovik.DoTrovik(8, nullptr, 0), 1);
    EXPECT_EQ(trovik.GetValue(0, 7), 0);
    EXPECT_EQ(trovik.GetString(0, 10), lines[0]);

    // No file counted: the averages are empty.
    CreateDirectoryA((data / "empty").c_str(), nullptr);
    EXPECT_EQ(SearchWithDialog(trovik, nullptr, 1, {"x", data / "empty", ""}), 9);
    EXPECT_EQ(trovik.GetString(0, 10), "Number of files: 0");
    EXPECT_EQ(trovik.GetString(0, 12), "");
    EXPECT_EQ(trovik.GetString(0, 14), "");
}

// A file held open exclusively by another program costs only that file; the
// host learns of it through selector 16.
TEST_F(EntryPoints, ALockedFileIsSkippedAndCounted) {
    std::string locked;
    for (char c = 'a'; c <= 'e'; ++c) {
        std::string path = Write(std::string(1, c) + ".c", "needle\n");
        if (c == 'c') locked = path;
    }
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    TrovikExports trovik(home.Path());
    EXPECT_EQ(SearchWithDialog(trovik, "needle", 1, {"needle", data.Path(), "*.c"}), 2);
    CloseHandle(lock);
    EXPECT_EQ(trovik.GetValue(0, 7), 4);
    EXPECT_EQ(trovik.GetValue(0, 16), 1);
    EXPECT_EQ(trovik.GetString(0, 16), "Files that could not be read: 1");
}

TEST_F(EntryPoints, ALibraryUnderAnotherNameFindsItsTemplatesAndItsSettingsFile) {
    Write("a.c", "needle\n");
    TrovikExports trovik(home.Path(), "finder.dll");
    ASSERT_TRUE(trovik.Loaded());
    EXPECT_EQ(SearchWithDialog(trovik, "needle", 1, {"", data.Path(), "*.c"}), 2);
    EXPECT_EQ(trovik.GetValue(0, 7), 1);
    EXPECT_TRUE(PathExists(home / "TROVIK.INI"));
}

TEST_F(EntryPoints, TheHostsTextCannotForgeSettings) {
    Write("a.c", "x\n");
    for (const char* forged : {"x\r\n[DirSetLastOne]\r\nDirList=C:\\", "x\n[Forged]\nk=1"}) {
        ScratchDir library;
        TrovikExports trovik(library.Path());
        std::string shown;
        EXPECT_EQ(SearchWithDialog(trovik, forged, 1, {"", data.Path(), "*.c"}, &shown), 2);
        EXPECT_EQ(shown, "x");
        const std::string ini = ReadBytes(library / "TROVIK.INI");
        std::vector<std::string> sections;
        for (size_t at = 0; (at = ini.find("\n[", at)) != std::string::npos; ++at)
            sections.push_back(ini.substr(at + 1, ini.find(']', at) - at));
        EXPECT_EQ(sections,
                  (std::vector<std::string>{"[FileTypeHist]", "[Settings]", "[DirSetLastOne]"}))
            << ini;
        EXPECT_EQ(ini.substr(0, 23), "[Searched]\r\nString0=x\r\n") << ini;
        EXPECT_NE(ini.find("DirList=" + data.Path()), std::string::npos) << ini;
    }
}

// ---- Stop on several threads

// The records as "file(line): text" lines, and the file of each.
struct Records {
    explicit Records(const TrovikExports& trovik) {
        for (int i = 0, count = trovik.GetValue(0, 7); i < count; ++i) {
            files.push_back(trovik.GetString(i, 4));
            lines.push_back(files.back() + "(" + std::to_string(trovik.GetValue(i, 6)) +
                            "): " + trovik.GetString(i, 5));
        }
    }
    // Whether these are every record of the first files of `whole` and none
    // of the others.
    bool IsFilePrefixOf(const Records& whole) const {
        const size_t count = lines.size();
        return count <= whole.lines.size() &&
               std::equal(lines.begin(), lines.end(), whole.lines.begin()) &&
               (count == 0 || count == whole.lines.size() ||
                whole.files[count] != whole.files[count - 1]);
    }

    std::vector<std::string> files, lines;
};

// Stop clicked at a random moment of a run on 2 or 8 threads: the records
// are every record of the one-thread run's first files, for some number of
// files, and none of any later file.
TEST_F(EntryPoints, StopOnSeveralThreadsKeepsTheRecordsOfTheFirstFiles) {
    // Many small files, and in each folder one of 16 MB with hits all along,
    // where most stops land: inside it, a worker is stopped half-way.
    for (int folder = 0; folder < 4; ++folder) {
        for (int file = 0; file < 50; ++file) {
            const bool big = file == 25;
            std::string text;
            for (int line = 0; line < (big ? 4 << 20 : 20 + file); ++line)
                text += line % (big ? 2000 : file % 7 + 2) == 0 ? "a needle\n" : "hay\n";
            Write("d" + std::to_string(folder) + "\\f" + std::to_string(file) + ".c", text);
        }
    }
    // A run through the dialog, with Stop clicked `stopAfter` ms after the
    // progress window shows (none when negative); gives the command's result
    // and the run's length, from the window on.
    const DialogEntries entries = {"needle", data.Path(), "*.c"};
    DWORD runLength = 0;
    auto run = [&](TrovikExports& trovik, int stopAfter) {
        DWORD shown = 0;
        int result;
        {
            DialogDriver driver([&] {
                ConfirmSearchDialog(entries);
                HWND progress = WaitForDialog(IDC_PROGRESS_STOP);
                shown = GetTickCount();
                if (progress && stopAfter >= 0) {
                    Sleep(stopAfter);
                    ClickLater(progress, IDC_PROGRESS_STOP);
                }
            });
            result = trovik.DoTrovik(3, "needle", 1);
            runLength = GetTickCount() - shown;
        }
        return result;
    };
    const unsigned seed = GetTickCount();
    printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::unique_ptr<Records> whole;
    for (int threads : {1, 2, 8}) {
        ScratchDir library;
        WriteBytes(library / "TROVIK.INI",
                   "[Settings]\r\nThreads=" + std::to_string(threads) + "\r\n");
        TrovikExports trovik(library.Path());
        ASSERT_EQ(run(trovik, -1), 2);
        const DWORD fullRun = runLength;
        if (!whole) whole.reset(new Records(trovik));
        ASSERT_EQ(Records(trovik).lines, whole->lines) << threads << " threads";
        for (int round = 0; threads > 1 && round < 8; ++round) {
            const int stopAfter = random() % (fullRun + 1);
            const int result = run(trovik, stopAfter);
            const Records kept(trovik);
            printf("%d threads: stop after %d of %lu ms kept %zu of %zu records\n", threads,
                   stopAfter, static_cast<unsigned long>(fullRun), kept.lines.size(),
                   whole->lines.size());
            EXPECT_EQ(result, 2);
            EXPECT_TRUE(kept.IsFilePrefixOf(*whole))
                << "seed " << seed << ", " << threads << " threads, stop after " << stopAfter
                << " ms";
        }
    }
}

// ---- The progress window during a long run

// What the driver saw of the progress window and of the host's own window.
struct Observed {
    std::string hitsLine, filesLine, lastHitLine;
    int hostCalls = -1; // the results of the host's calls during the run, see HostProcedure
};

TrovikExports* running;
Observed observed;

// The host's window: while the run dispatches messages it may call in again.
// Commands are refused with 1; reading works.
// WM_APP + 1 closes the host: its main window posts the quit message.
LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP + 1) PostQuitMessage(42);
    if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
    const int count = running->GetValue(0, 7);
    const bool refused =
        running->DoTrovik(3, "other", 1) == 1 && running->DoTrovik(8, nullptr, 0) == 1;
    const bool readable = count > 0 && !running->GetString(count - 1, 4).empty();
    observed.hostCalls = refused && readable && running->GetValue(0, 7) >= count;
    return 0;
}

// A line of the progress window, which the run may rewrite meanwhile: read
// at once into room for any of its texts.
std::string Line(HWND progress, int id) {
    char text[600] = "";
    GetDlgItemTextA(progress, id, text, sizeof text);
    return text;
}

class LongRun : public EntryPoints {
protected:
    void SetUp() override {
        // Many folders of many files (copied on the Unix side, where that is
        // quick): a run that takes seconds unless it is stopped. Each folder
        // is an entry of its own; one folder named many times over would be
        // walked once.
        for (int i = 0; i < 40; ++i)
            Write("d0\\f" + std::to_string(i) + ".c", "x\nneedle\n");
        ASSERT_EQ(RunUnixCommand("cd '" + UnixPathOf(data.Path()) +
                                 "' && for i in $(seq 1 199); do cp -r d0 d$i; done"),
                  0);
        for (int i = 0; i < 200; ++i)
            dirList += data / ("d" + std::to_string(i)) + "\r\n";
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = HostProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TrovikTestHost";
        RegisterClassA(&windowClass);
        host = CreateWindowA("TrovikTestHost", "host", 0, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
        observed = Observed();
    }
    void TearDown() override {
        DestroyWindow(host);
        // Quicker on the Unix side too than file by file.
        RunUnixCommand("rm -rf '" + UnixPathOf(data.Path()) + "'/d*");
    }

    // On the driver's thread: waits for the progress window to show hits,
    // reads it, lets the host call in, then presses `button`.
    void WatchAndPress(int button) {
        HWND progress = WaitForDialog(IDC_PROGRESS_STOP);
        if (!progress) return;
        for (int i = 0; i < 500 && Line(progress, IDC_PROGRESS_LAST_HIT).empty(); ++i)
            Sleep(10); // a file with hits
        PostMessageA(host, WM_APP, 0, 0);
        for (int i = 0; i < 500 && observed.hostCalls < 0; ++i)
            Sleep(10);
        observed.hitsLine = Line(progress, IDC_PROGRESS_HITS);
        observed.filesLine = Line(progress, IDC_PROGRESS_FILES);
        observed.lastHitLine = Line(progress, IDC_PROGRESS_LAST_HIT);
        ClickLater(progress, button);
    }

    int Run(TrovikExports& trovik, int button) {
        running = &trovik;
        DialogDriver driver([&] {
            ConfirmSearchDialog({"needle", dirList, "*.c"});
            WatchAndPress(button);
        });
        return trovik.DoTrovik(3, nullptr, 1);
    }

    std::string dirList;
    HWND host = nullptr;
};

// Stop keeps the hits and the host may read meanwhile; Cancel gives nothing
// to show but keeps what was found.
TEST_F(LongRun, StopAndCancelKeepTheHitsFoundAndTheHostMayReadMeanwhile) {
    TrovikExports trovik(home.Path());
    EXPECT_EQ(Run(trovik, IDC_PROGRESS_STOP), 2);
    const int count = trovik.GetValue(0, 7);
    EXPECT_GT(count, 0);
    EXPECT_LT(count, 40 * 200);
    EXPECT_EQ(trovik.GetString(count - 1, 5), "needle");
    EXPECT_EQ(observed.hostCalls, 1);
    EXPECT_TRUE(std::regex_match(observed.hitsLine,
                                 std::regex("Hits: 0|[01] Hit|\\d+ Hits in \\d+ files?")))
        << observed.hitsLine;
    EXPECT_TRUE(
        std::regex_match(observed.filesLine, std::regex("Searched files: |Processed files: \\d+")))
        << observed.filesLine;
    EXPECT_TRUE(observed.lastHitLine.empty() ||
                observed.lastHitLine.rfind("Last hit(s) found in: " + data.Path(), 0) == 0)
        << observed.lastHitLine;

    ASSERT_EQ(trovik.DoTrovik(8, nullptr, 0), 1); // what Cancel keeps is its own run's
    ASSERT_EQ(trovik.GetValue(0, 7), 0);
    observed = Observed();
    EXPECT_EQ(Run(trovik, IDCANCEL), 1);
    EXPECT_GT(trovik.GetValue(0, 7), 0);
}

// A host whose main window closes during a run: the quit message ends the
// run as Cancel does and is still queued for the host's own loop afterwards.
TEST_F(LongRun, TheHostsQuitMessageCancelsTheRunAndStaysQueued) {
    TrovikExports trovik(home.Path());
    running = &trovik;
    int result;
    {
        DialogDriver driver([&] {
            ConfirmSearchDialog({"needle", dirList, "*.c", 0});
            if (WaitForDialog(IDC_PROGRESS_STOP)) PostMessageA(host, WM_APP + 1, 0, 0);
        });
        result = trovik.DoTrovik(3, nullptr, 1);
    }
    EXPECT_EQ(result, 1);
    EXPECT_LT(trovik.GetValue(0, 7), 40 * 200);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 42u);
}

} // namespace
