// String: the byte string that holds every text of the system. It is the
// standard string with value semantics (a copy is independent of its source)
// plus the operations the system names. Characters are 8-bit bytes of the
// Windows ANSI code page and the text is always followed by a terminating
// zero (c_str()). Nothing here reports an error; allocation failure throws
// std::bad_alloc as the standard string does.
//
// Comparisons that "honour the case setting" follow one process-wide switch:
// when it is on (the default) they compare bytes as unsigned values; when it
// is off they take a to z as A to Z and compare the bytes as SIGNED values,
// so that bytes from 128 up order before all others. Only ASCII letters fold.
// The setting is foundation interface: nothing in the library sets it, and
// every comparison of the library states its own rule instead (CompareText
// with a case flag, exact std::string comparison, or a rule of its own).
#pragma once

#include <cstddef>
#include <string>

class String : public std::string {
public:
    String() = default;
    // A copy of a zero-terminated text; a null text gives an empty string.
    String(const char* text);
    // `count` bytes of `text` from `start`; the caller keeps within the text.
    String(const char* text, size_t start, size_t count);
    // Results of the standard string's own operations convert back.
    String(const std::string& text) : std::string(text) {}
    String(std::string&& text) : std::string(std::move(text)) {}

    String(const String&) = default;
    String(String&&) = default;
    String& operator=(const String&) = default;
    String& operator=(String&&) = default;
    // A null text empties the string.
    String& operator=(const char* text);

    // Appending; each returns this string.
    String& operator+=(char c);
    String& operator+=(const char* text); // null appends nothing
    String& operator+=(const String& text);

    // Length in bytes, without the terminating zero.
    int GetLength() const { return static_cast<int>(size()); }
    // The zero-terminated characters; valid until the string next changes.
    const char* GetText() const { return c_str(); }

    // Where Strip removes the character.
    enum StripWhere { stripLeading = 1, stripTrailing = 2, stripBoth = 3 };
    // Removes every `c` from the front, the back or both ends; returns this.
    String& Strip(char c, StripWhere where = stripBoth);

    // The process-wide case setting (on by default). SetCaseSensitive returns
    // the previous setting.
    static int SetCaseSensitive(int on);
    static int IsCaseSensitive();
};

// Concatenation; each yields a new String. A null text counts as empty.
String operator+(const String& left, const String& right);
String operator+(const String& left, const char* right);
String operator+(const char* left, const String& right);

// Equality honouring the case setting, up to the first zero byte.
bool operator==(const String& left, const char* right);
bool operator==(const char* left, const String& right);
bool operator==(const String& left, const String& right);
bool operator!=(const String& left, const char* right);
bool operator!=(const char* left, const String& right);
bool operator!=(const String& left, const String& right);

// Orders two zero-terminated texts: negative, zero or positive. The
// terminating zero takes part as a byte, so a text orders against its
// prefixes by the rule in force. Null counts as the empty text.
int CompareText(const char* left, const char* right); // honours the case setting
int CompareText(const char* left, const char* right, int caseSensitive);
