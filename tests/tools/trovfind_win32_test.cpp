// trovfind.exe end to end: started as a process over a real directory tree,
// its standard output, standard error and exit status.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "tests/fs/scratch_dir.h"

namespace {

struct ProgramRun {
    std::string out;
    std::string err;
    DWORD status;
};

// The program's path as the build gives it; a Unix path is reached through
// Wine's drive Z:.
std::string TrovfindPath() {
    std::string path = TROVFIND_EXE;
    if (!path.empty() && path[0] == '/') {
        std::replace(path.begin(), path.end(), '/', '\\');
        path = "Z:" + path;
    }
    return path;
}

// Output and error go to files, so that neither pipe can block the program.
// The arguments are in the code page, or in UTF-8 (for -u).
ProgramRun Trovfind(const std::string& arguments, const std::string& dir, bool utf8 = false) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    std::string outName = dir + "\\..\\trovfind_out.txt", errName = dir + "\\..\\trovfind_err.txt";
    HANDLE out = CreateFileA(outName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    const std::string path = "\"" + TrovfindPath() + "\" ";
    std::wstring command(path.begin(), path.end());
    const UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    std::wstring wide(arguments.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(codePage, 0, arguments.c_str(),
                                                        static_cast<int>(arguments.size()),
                                                        &wide[0], static_cast<int>(wide.size()))));
    command += wide;
    PROCESS_INFORMATION process = {};
    ProgramRun run = {"", "", 999};
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &run.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = ReadBytes(outName);
    run.err = ReadBytes(errName);
    DeleteFileA(outName.c_str());
    DeleteFileA(errName.c_str());
    return run;
}

class TrovfindTest : public ::testing::Test {
protected:
    void SetUp() override {
        Write("a.c", "int x;\r\n\treturn x;\r\n");
        Write("sub\\b.h", "// return\n");
        Write("c.txt", "return\n");
    }
    void Write(const char* name, const std::string& data) { _scratch.Write(name, data); }
    ScratchDir _scratch;
    const std::string _dir = _scratch.Path();
};

TEST_F(TrovfindTest, PrintsHitsAndCountsInTheDefaultForm) {
    ProgramRun run = Trovfind("-t *.c;*.h return " + _dir, _dir);
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.out, _dir + "\\a.c(2): return x;\n" + _dir + "\\sub\\b.h(1): // return\n");
    EXPECT_EQ(run.err, "trovfind: 2 files searched, 2 with hits, 2 hits, 0 could not be read\n");
}

TEST_F(TrovfindTest, RecordsFileNamesOnlyAndASingleFileEntry) {
    ProgramRun run = Trovfind("--records -l -n -t *.c return " + _dir + "/c.txt " + _dir, _dir);
    EXPECT_EQ(run.status, 0u);
    std::string escaped = _dir;
    for (size_t p = 0; (p = escaped.find('\\', p)) != std::string::npos; p += 2) {
        escaped.insert(p, "\\");
    }
    EXPECT_EQ(run.out, escaped + "\\\\c.txt\t1\t\n" + escaped + "\\\\a.c\t1\t\n" +
                           "#counters filesProcessed=2 filesWithHits=2 hitCount=2\n");
}

TEST_F(TrovfindTest, StatisticsAndExitStatus) {
    ProgramRun stats = Trovfind("-s -t *.h " + _dir, _dir);
    EXPECT_EQ(stats.status, 0u);
    EXPECT_EQ(stats.out, "Number of files: 1\n"
                         "Number of \"real\" characters: 8 (for a total of 10)\n"
                         "(average is 8 \"real\" characters per file)\n"
                         "Number of \"real\" lines: 1 (for a total of 1)\n"
                         "(average is 1 \"real\" lines per file)\n");
    EXPECT_EQ(Trovfind("-s -t *.none " + _dir, _dir).status, 1u);
    EXPECT_EQ(Trovfind("absent " + _dir, _dir).status, 1u);
    ProgramRun usage = Trovfind("-q x " + _dir, _dir);
    EXPECT_EQ(usage.status, 2u);
    EXPECT_EQ(usage.err.rfind("trovfind: unknown option -q\n", 0), 0u);
}

// -u: a text the code page can spell is searched; one it cannot (Ā on a
// Western system) is refused rather than searched as a look-alike (A).
TEST_F(TrovfindTest, Utf8TextThatTheCodePageCannotSpellIsRefused) {
    Write("d.txt", "Ahead\n");
    ProgramRun spelled = Trovfind("-u -t *.txt \xC3\xA9 " + _dir, _dir, true);
    EXPECT_EQ(spelled.status, 1u) << spelled.err;
    ProgramRun refused = Trovfind("-u -t *.txt \xC4\x80 " + _dir, _dir, true);
    DeleteFileA((_dir + "\\d.txt").c_str());
    EXPECT_EQ(refused.status, 2u);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err.rfind("trovfind: the code page cannot spell the text to find: "
                                "\xC4\x80\n",
                                0),
              0u)
        << refused.err;
}

TEST_F(TrovfindTest, CountsFilesThatCouldNotBeRead) {
    HANDLE h =
        CreateFileA((_dir + "\\a.c").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ProgramRun run = Trovfind("return " + _dir, _dir);
    CloseHandle(h);
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.err, "trovfind: 2 files searched, 2 with hits, 2 hits, 1 could not be read\n");
}

} // namespace
