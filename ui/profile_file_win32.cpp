#include <windows.h>

#include <vector>

#include "ui/profile_store.h"

String ProfileFile::ReadString(const char* section, const char* key, const char* defaultValue,
                               size_t maxLength) {
    // Room for the pair of quotes that the platform drops as well: Wine
    // drops the closing quote only when the buffer holds it, and otherwise
    // the value's last character instead.
    std::vector<char> buffer(maxLength + 3);
    GetPrivateProfileStringA(section, key, defaultValue, buffer.data(),
                             static_cast<DWORD>(buffer.size()), _path.c_str());
    String value(buffer.data());
    if (value.size() > maxLength) value.resize(maxLength);
    return value;
}

int ProfileFile::ReadInt(const char* section, const char* key, int defaultValue) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, _path.c_str()));
}

int ProfileFile::WriteString(const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, _path.c_str()) ? 1 : 0;
}
