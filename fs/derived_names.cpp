#include "fs/derived_names.h"

#include <string>

FileName WithoutTrailingBackslashes(const String& directory) {
    String stripped(directory);
    stripped.Strip('\\', String::stripTrailing);
    return FileName(stripped);
}

FileName TempNameCandidate(const String& directory, int n) {
    return FileName(directory + "\\XX" + std::to_string(n).c_str() + ".$$$");
}

FileName BackupName(const FileName& name, const char* extension) {
    String newExtension(extension);
    if (CompareText(newExtension.c_str(), "~", 1) == 0) {
        const String old = name.GetExtension(0);
        if (!old.empty()) newExtension = "~" + String(old.substr(1));
    }
    FileName backup(name);
    backup.SetExtension(newExtension);
    return backup;
}
