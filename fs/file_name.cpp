#include "fs/file_name.h"

#include "fs/file_platform.h"

namespace {

const char separator = '\\';

int IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char ToUpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Position of the extension's dot in `text`, or npos when the last dot is not
// in the name part (after the last backslash).
size_t ExtensionDot(const String& text) {
    const size_t dot = text.rfind('.');
    if (dot == String::npos) return String::npos;
    const size_t slash = text.rfind(separator);
    return slash == String::npos || dot > slash ? dot : String::npos;
}

} // namespace

FileName::FileName(const String& directory, const String& name) : String(directory) {
    Append(name);
}

FileName::FileName(ModuleHandle module, const String& name)
    : String(FileName(PlatformModuleFileName(module)).GetDirectory()) {
    Append(name);
}

FileName& FileName::operator=(const FileName& other) {
    if (this != &other) String::operator=(other);
    return *this;
}

FileName& FileName::operator=(const char* text) {
    String::operator=(text);
    return *this;
}

int FileName::Compare(const Element* other, int32_t) const {
    return PlatformCompareNames(c_str(), static_cast<const FileName*>(other)->c_str());
}

Element* FileName::Clone(int32_t) const {
    return new FileName(*this);
}

FileName::~FileName() {}

// ---- Taking the path apart

int FileName::HasDrive() const {
    return size() >= 2 && IsAsciiLetter((*this)[0]) && (*this)[1] == ':';
}

int FileName::HasPath() const {
    return find(separator) != npos;
}

String FileName::GetDrive(int* driveIndex) const {
    if (driveIndex != nullptr) *driveIndex = GetDriveIndex();
    if (!HasDrive()) return String();
    return String(std::string(1, ToUpperAscii((*this)[0])));
}

int FileName::GetDriveIndex() const {
    return HasDrive() ? ToUpperAscii((*this)[0]) - 'A' : -1;
}

String FileName::GetDirectory() const {
    const size_t slash = rfind(separator);
    return slash == npos ? String(*this) : String(substr(0, slash));
}

String FileName::GetName(int withExtension) const {
    const size_t slash = rfind(separator);
    String name = slash == npos ? String(*this) : String(substr(slash + 1));
    if (!withExtension) {
        const size_t dot = name.rfind('.');
        if (dot != npos) name.erase(dot);
    }
    return name;
}

String FileName::GetExtension(int withDot) const {
    const size_t dot = ExtensionDot(*this);
    if (dot == npos) return String();
    return String(substr(withDot ? dot : dot + 1));
}

int FileName::IsFullFileName() const {
    return !empty() && HasDrive() && HasPath() && !GetName(1).empty();
}

// ---- Editing

FileName& FileName::SetExtension(const String& extension) {
    const size_t dot = ExtensionDot(*this);
    if (dot != npos) erase(dot);
    if (!extension.empty()) {
        *this += '.';
        *this += extension;
    }
    return *this;
}

void FileName::RootOnCurrentDrive() {
    if (empty() || (*this)[0] != separator) insert(0, 1, separator);
    insert(0, 1, ':');
    insert(0, GetCurrentDrive());
}

FileName& FileName::Append(const String& name) {
    if (!HasDrive()) RootOnCurrentDrive();
    if (back() != separator) *this += separator;
    if (!name.empty()) append(name, name[0] == separator ? 1 : 0, npos);
    return *this;
}

FileName& FileName::MakeAbsolute() {
    if (HasDrive()) return *this;
    if (HasPath()) {
        RootOnCurrentDrive();
        return *this;
    }
    String directory = GetCurrentDir();
    if (directory.empty() || directory.back() != separator) directory += separator;
    insert(0, directory);
    return *this;
}

FileName& FileName::ReplaceDrive(const String& prefix) {
    replace(0, 2, prefix);
    return *this;
}

// ---- Derived texts

FileName FileName::SplitFirst(String* first) const {
    const size_t begin = find_first_not_of(separator);
    if (begin == npos) {
        if (first != nullptr) first->clear();
        return FileName();
    }
    const size_t end = find_last_not_of(separator) + 1;
    const size_t split = find(separator, begin);
    if (split == npos || split >= end) {
        if (first != nullptr) *first = String(substr(begin, end - begin));
        return FileName();
    }
    if (first != nullptr) *first = String(substr(begin, split - begin));
    return FileName(String(substr(split + 1, end - split - 1)));
}

String FileName::Abbreviate(int width) const {
    if (!HasDrive()) return String();
    if (size() <= static_cast<unsigned>(width)) return String(*this);

    const FileName parent(GetDirectory());
    const String name = GetName(1);
    // Give up the last directory level first; with a single backslash there
    // is none to give up.
    String result = parent.HasPath() ? parent.GetDirectory() + "\\...\\" + name : String(*this);
    if (width <= 0) return result;
    const size_t limit = static_cast<size_t>(width);
    // Then every directory but the drive, then the drive.
    if (result.size() > limit) result = GetDrive() + ":\\...\\" + name;
    if (result.size() > limit) result = "...\\" + name;
    // Finally the end of the name.
    if (result.size() > limit) {
        if (limit < 3)
            result.erase(limit);
        else
            result = String(result.substr(0, limit - 3)) + "...";
    }
    return result;
}

// ---- The platform's current drive and directory

String FileName::GetCurrentDrive() {
    return String(std::string(1, static_cast<char>('A' + PlatformCurrentDriveIndex())));
}

String FileName::GetCurrentDir() {
    return PlatformCurrentDirectory();
}
