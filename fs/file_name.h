// FileName: a DOS/Windows path name. It is a String (its text is its whole
// value) that can also sit in an intrusive List<FileName>, and two names
// compare without regard to case through the platform's comparison, so
// C:\SRC\A.C equals c:\src\a.c.
//
// The path shape it knows: an optional drive prefix (a letter and ':' as the
// first two characters), backslash separators (a forward slash is an ordinary
// character), and a dot before the extension. Every operation works on the
// text alone and none fails; only GetCurrentDrive, GetCurrentDir, Append,
// MakeAbsolute and the module constructor ask the platform (the current drive
// and directory, the module's file name), which the library never changes.
#pragma once

#include <cstdint>

#include "base/list_element.h"
#include "base/string.h"

// The platform's module handle (HMODULE) without the Windows headers.
typedef struct HINSTANCE__* ModuleHandle;

// Marks a class as a file identity; it has no members.
class FileId {};

class FileName : public String, public FileId, public ListElement {
public:
    FileName() = default;
    FileName(const FileName& other) = default;
    FileName(const String& text) : String(text) {}
    FileName(const char* text) : String(text) {} // null gives an empty name
    // `directory` joined with `name` by Append.
    FileName(const String& directory, const String& name);
    // The directory of the module's own file joined with `name` by Append.
    FileName(ModuleHandle module, const String& name);

    FileName& operator=(const FileName& other);
    FileName& operator=(const char* text); // null empties the name

    // Element operations: Compare is the platform's case-insensitive text
    // comparison with another FileName (the argument is ignored); Clone
    // gives a new FileName with the same text.
    int Compare(const Element* other, int32_t compareArg) const override;
    Element* Clone(int32_t arg) const override;
    ~FileName() override;

    // ---- Taking the path apart
    int HasDrive() const; // 1 when the text starts with a letter and ':'
    int HasPath() const;  // 1 when the text contains a backslash
    // The drive letter in upper case, or empty without a drive prefix;
    // `driveIndex` (optional) receives GetDriveIndex.
    String GetDrive(int* driveIndex = nullptr) const;
    int GetDriveIndex() const; // 0 for A:, 1 for B:, ...; -1 without a drive prefix
    // The text before the last backslash (C:\a\b.c gives C:\a, C:\b.c gives
    // C:); the whole text when it has no backslash.
    String GetDirectory() const;
    // The text after the last backslash (all of it without one). With
    // `withExtension` 0 it is cut before its last dot, so .git gives "".
    String GetName(int withExtension = 1) const;
    // From the last dot to the end (without the dot when `withDot` is 0),
    // when that dot lies in the name part; else empty.
    String GetExtension(int withDot = 1) const;
    // 1 when the text has a drive prefix, a backslash and a non-empty name.
    int IsFullFileName() const;

    // ---- Editing; each returns this name.
    // Drops the present extension, then appends '.' and `extension` unless
    // it is empty.
    FileName& SetExtension(const String& extension);
    // Joins this directory and `name`: a name without a drive prefix is first
    // rooted on the current drive (src becomes C:\src, the root, not the
    // current directory), a closing backslash is added when missing, then the
    // name follows without its leading backslash if it has one.
    FileName& Append(const String& name);
    // Leaves a name with a drive prefix alone; roots one that contains a
    // backslash on the current drive (sub\x.c becomes C:\sub\x.c); puts the
    // current directory in front of a bare name.
    FileName& MakeAbsolute();
    // Replaces the first two characters with `prefix`.
    FileName& ReplaceDrive(const String& prefix);

    // ---- Derived texts
    // Strips leading and trailing backslashes and splits at the first
    // backslash: the part before it goes to `first` (optional), the part after
    // it is returned. Without a backslash all of it goes to `first` and the
    // result is empty.
    FileName SplitFirst(String* first = nullptr) const;
    // A display form at most `width` characters long where possible: the
    // path itself when it fits (or `width` is negative); otherwise the last
    // directory becomes "...", then all directories but the drive, then the
    // drive, then the name's end is cut and "..." appended. With `width` 0
    // only the first of these steps is taken. Empty without a drive prefix.
    String Abbreviate(int width) const;

    // ---- The platform's current drive (one upper-case letter) and
    // current directory.
    static String GetCurrentDrive();
    static String GetCurrentDir();

private:
    // Puts "<current drive>:" (and a backslash unless the text begins with
    // one) in front of a name without a drive prefix.
    void RootOnCurrentDrive();
};
