#include "tests/ui/memory_profile.h"

#include <cstdlib>
#include <cstring>

#include "ui/file_set_rules.h"

namespace {

// Ctrl+Z, the old end-of-file mark, is a blank to the platform's reader too.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == '\x1a';
}

std::string Trimmed(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool SameName(const std::string& left, const std::string& right) {
    return EqualNoCase(String(left), String(right)) != 0;
}

} // namespace

MemoryProfile::MemoryProfile(const std::string& text, int exists) : _exists(exists != 0) {
    // Lines end at LF (a CR before it goes with the blanks); blank lines are
    // dropped; "[name]" opens a section up to its last ']'; any other line
    // is a key, "name=value" with blanks around both trimmed, or a name alone.
    // Keys before the first section belong to a section without a name.
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        size_t close = line.rfind(']');
        if (line[0] == '[' && close != std::string::npos) {
            _sections.push_back({line.substr(1, close - 1), {}});
            continue;
        }
        if (_sections.empty()) _sections.push_back({std::string(), {}});
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            _sections.back().keys.push_back({line, std::string(), false});
        } else {
            _sections.back().keys.push_back(
                {Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)), true});
        }
    }
}

MemoryProfile::Section* MemoryProfile::FindSection(const std::string& name) {
    for (Section& section : _sections)
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

const MemoryProfile::Key* MemoryProfile::FindKey(const char* section, const char* key) {
    Section* found = FindSection(Trimmed(section));
    if (found == nullptr) return nullptr;
    for (const Key& k : found->keys)
        if (SameName(k.name, Trimmed(key))) return &k;
    return nullptr;
}

String MemoryProfile::ReadString(const char* section, const char* key, const char* defaultValue,
                                 size_t maxLength) {
    const Key* found = FindKey(section, key);
    std::string value = found && found->hasValue ? found->value : std::string(defaultValue);
    // A value enclosed in matching quotes is given without them, then cut.
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return String(value.substr(0, maxLength));
}

int MemoryProfile::ReadInt(const char* section, const char* key, int defaultValue) {
    String value = ReadString(section, key, "", 30);
    if (value.empty()) return defaultValue;
    return static_cast<int>(strtol(value.c_str(), nullptr, 0));
}

// A value is kept as the file would read back: without blanks at its ends.
int MemoryProfile::WriteString(const char* section, const char* key, const char* rawValue) {
    if (_failWrites) return 0;
    const std::string value = Trimmed(rawValue);
    _exists = true;
    Section* found = FindSection(Trimmed(section));
    if (found == nullptr) {
        _sections.push_back({Trimmed(section), {}});
        found = &_sections.back();
    }
    for (Key& k : found->keys) {
        if (SameName(k.name, Trimmed(key))) {
            k.value = value;
            k.hasValue = true;
            return 1;
        }
    }
    found->keys.push_back({Trimmed(key), value, true});
    return 1;
}

std::string MemoryProfile::Text() const {
    if (!_exists) return std::string();
    std::string text;
    for (const Section& section : _sections) {
        if (!section.name.empty()) text += "[" + section.name + "]\r\n";
        for (const Key& key : section.keys)
            text += key.hasValue ? key.name + "=" + key.value + "\r\n" : key.name + "\r\n";
    }
    return text;
}
