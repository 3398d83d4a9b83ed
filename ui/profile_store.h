// ProfileStore: where the settings file is read and written. TROVIK.INI is an
// ordinary initialisation file: [section] lines followed by key=value lines,
// section and key names matched without regard to case. ProfileFile reaches
// it through the platform's private-profile functions; the tests also have an
// in-memory store that follows the same rules, and one set of tests runs
// against both.
#pragma once

#include <cstddef>

#include "base/string.h"

class ProfileStore {
public:
    virtual ~ProfileStore() {}

    // The key's value, cut to `maxLength` characters; `defaultValue` (cut the
    // same way) when the file, the section or the key is missing. A key
    // present with an empty value gives the empty text, not the default.
    virtual String ReadString(const char* section, const char* key, const char* defaultValue,
                              size_t maxLength) = 0;

    // The value read as a decimal integer (leading digits, optional sign;
    // 0 when the value holds no number); `defaultValue` when the key is
    // missing or empty.
    virtual int ReadInt(const char* section, const char* key, int defaultValue) = 0;

    // Sets the key, creating the file, the section and the key when missing:
    // an existing key keeps its place, a new key goes to the end of its
    // section, a new section to the end of the file. Returns 0 when the
    // write failed (read-only file or folder, full disk, missing folder).
    virtual int WriteString(const char* section, const char* key, const char* value) = 0;

    // The file's path, for the message that reports a failed write.
    virtual String Location() const = 0;
};

// The settings file at `path`, through the platform's profile functions.
// Windows only (profile_file_win32.cpp).
class ProfileFile : public ProfileStore {
public:
    explicit ProfileFile(const String& path) : _path(path) {}

    String ReadString(const char* section, const char* key, const char* defaultValue,
                      size_t maxLength) override;
    int ReadInt(const char* section, const char* key, int defaultValue) override;
    int WriteString(const char* section, const char* key, const char* value) override;
    String Location() const override { return _path; }

private:
    String _path;
};
