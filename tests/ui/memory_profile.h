// Test support: a settings file held in memory that follows the rules of the
// platform's private-profile functions, so that the settings tests run
// natively under the sanitizers. The shared settings tests run against this
// store and the real one alike, which proves the two behave the same.
#pragma once

#include <string>
#include <vector>

#include "ui/profile_store.h"

class MemoryProfile : public ProfileStore {
public:
    // The file's text; `exists` 0 is a missing file (reads give defaults, the
    // first write creates it).
    explicit MemoryProfile(const std::string& text = std::string(), int exists = 1);

    String ReadString(const char* section, const char* key, const char* defaultValue,
                      size_t maxLength) override;
    int ReadInt(const char* section, const char* key, int defaultValue) override;
    int WriteString(const char* section, const char* key, const char* value) override;
    String Location() const override { return "C:\\memory\\TROVIK.INI"; }

    // The file as the platform writes it back: [section] and key=value
    // lines ended by CR LF; empty when the file does not exist.
    std::string Text() const;
    // Every later write fails (a read-only file or a missing folder).
    void FailWrites() { _failWrites = true; }

private:
    struct Key {
        std::string name;
        std::string value;
        bool hasValue; // a line without '=' is a key without a value
    };
    struct Section {
        std::string name;
        std::vector<Key> keys;
    };

    Section* FindSection(const std::string& name);
    const Key* FindKey(const char* section, const char* key);

    std::vector<Section> _sections;
    bool _exists;
    bool _failWrites = false;
};
