// trovfind: searches files for a text with the engine of trovik.dll and
// prints the hit records (or the statistics) on standard output.
#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/trovfind/options.h"
#include "tools/trovfind/search_command.h"

namespace {

std::wstring Widen(const std::string& text, UINT codePage) {
    const int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
    const int length =
        WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), -1, &text[0], length, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

// The text in the code page, exactly: false when it holds a character that
// the code page cannot spell, which no look-alike may stand in for (Ā would
// otherwise be searched as A).
bool SpellInCodePage(const std::string& utf8, std::string& text) {
    const std::wstring wide = Widen(utf8, CP_UTF8);
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr,
                                           0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    text.assign(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, &text[0], length, nullptr,
                        &usedDefault);
    text.resize(text.size() - 1);
    return !usedDefault;
}

// With -u the arguments are read again from the wide command line, in UTF-8,
// so that names the code page cannot spell arrive whole.
ParseResult ParseUtf8Arguments(TrovfindOptions& options, std::string& error) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return parsedRun;
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(Narrow(wide[i], CP_UTF8));
    LocalFree(wide);
    std::vector<const char*> argv;
    for (const std::string& text : texts)
        argv.push_back(text.c_str());
    options = TrovfindOptions();
    const ParseResult result = ParseTrovfindOptions(count, argv.data(), options, error);
    // The text is searched in the code page, as the files' text is read.
    if (result == parsedRun && !SpellInCodePage(options.text, options.text)) {
        error = "the code page cannot spell the text to find: " + options.text;
        return parsedUsageError;
    }
    return result;
}

// With -u the line texts, which are in the code page, are printed in UTF-8.
std::string LineTextInUtf8(const std::string& text) {
    return Narrow(Widen(text.c_str(), CP_ACP), CP_UTF8).c_str();
}

} // namespace

int main(int argc, char** argv) {
    // Lines end with LF alone, on the console as in a pipe or a file.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    TrovfindOptions options;
    int exitStatus = 0;
    if (!ReadOptions(argc, argv, options, exitStatus)) return exitStatus;
    std::string error;
    if (options.utf8 && ParseUtf8Arguments(options, error) != parsedRun) return UsageError(error);
    String dirList;
    error = BuildDirList(options, dirList);
    if (!error.empty()) return UsageError(error);
    return SearchAndPrint(
        options, dirList, LineTextInUtf8,
        [](const String& fileName) { return std::string(fileName); }, environmentHits);
}
