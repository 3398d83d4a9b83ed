// Test support for the file layer's tests: a scratch directory of real files
// (under the Wine prefix when run under Wine; natively in /tmp, named in the
// layer's drive Z: form), a way to reach the Unix side of Wine for what
// Windows programs cannot do (cut a mapped file, mount a small file system),
// and a scripted stand-in for message boxes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/file_name.h"
#include "fs/message_box.h"

// A new empty directory in the temporary directory; removed with everything
// in it (read-only files included) when destroyed.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return _path; }
    // Path() joined with `relative` by a backslash.
    std::string operator/(const std::string& relative) const;
    // Writes the file at `relative` (its folders made as needed) and returns
    // its path.
    std::string Write(const std::string& relative, const std::string& bytes) const;
    // Writes the file `name` (UTF-8) in the folder `relative` (made first)
    // through the long form, which takes the name as it is ("x.", "y ",
    // "aux.c"); returns that long-form path, or empty when it cannot.
    // Windows only, as are the Unix side's helpers below.
    std::wstring WriteExact(const std::string& relative, const std::string& name,
                            const std::string& bytes) const;

private:
    std::string _path;
};

// The file layer's name of a path.
inline FileName Name(const std::string& path) {
    return FileName(path.c_str());
}

// The UTF-16 form of a UTF-8 text.
std::wstring Utf16(const std::string& utf8);

// Whole-file helpers over the platform's API, independent of the code under test.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path); // empty when it cannot be read
int PathExists(const std::string& path);

// ---- The Unix side of Wine
// 1 when running under Wine (the Unix side can be reached).
int IsWine();
// The Unix path of a Windows path, or empty when not under Wine.
std::string UnixPathOf(const std::string& windowsPath);
// Runs `command` (which may not contain double quotes) with the Unix shell
// and waits for it (at most ten
// seconds); returns its exit status, or -1 when it could not be run.
int RunUnixCommand(const std::string& command);

// ---- Message boxes (message_box_script.cpp, both configurations). While a
// MessageBoxScript lives, every box shown through the replaceable box of
// fs/message_box.h is recorded and answered with the next scripted answer
// (IDCANCEL when the script has run out).
struct ShownBox {
    std::string text;
    std::string caption; // "<null>" for a null caption
    uint32_t style;
};

class MessageBoxScript {
public:
    explicit MessageBoxScript(std::vector<int> answers = {});
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    const std::vector<ShownBox>& Shown() const { return _shown; }

private:
    static int Answer(void* owner, const char* text, const char* caption, uint32_t style);

    std::vector<int> _answers;
    std::vector<ShownBox> _shown;
    MessageBoxFunction _previous;
};
