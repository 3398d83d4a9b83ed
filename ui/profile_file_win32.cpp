#include <windows.h>

#include <vector>

#include "ui/profile_store.h"

String ProfileFile::ReadString(const char* section, const char* key, const char* defaultValue,
                               size_t maxLength) {
    std::vector<char> buffer(maxLength + 1);
    GetPrivateProfileStringA(section, key, defaultValue, buffer.data(),
                             static_cast<DWORD>(buffer.size()), _path.c_str());
    return String(buffer.data());
}

int ProfileFile::ReadInt(const char* section, const char* key, int defaultValue) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, _path.c_str()));
}

int ProfileFile::WriteString(const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, _path.c_str()) ? 1 : 0;
}
