#include "fs/entry_path.h"

#include <string>
#include <vector>

#include "fs/walk_path.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool IsUnc(const std::string& path) {
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// The root of an absolute path: "D:" or "\\server\share" (no closing
// separator), and in `rest` what follows it.
std::string RootOf(const std::string& path, std::string& rest) {
    if (HasDrive(path)) {
        rest = path.substr(2);
        return path.substr(0, 2);
    }
    // \\server\share: the first two parts after the doubled separator.
    size_t end = 2;
    for (int part = 0; part < 2; ++part) {
        while (end < path.size() && IsSeparator(path[end]))
            ++end;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
    }
    rest = path.substr(end);
    std::string root = "\\\\";
    for (size_t i = 2; i < end; ++i) {
        const char c = IsSeparator(path[i]) ? '\\' : path[i];
        if (c != '\\' || root.back() != '\\') root += c;
    }
    return root;
}

// `path` as an absolute path: relative ones taken from `current`.
std::string Absolute(const std::string& path, const std::string& current) {
    if (IsUnc(path)) return path;
    if (HasDrive(path)) {
        // "D:" alone is the drive's root, as the directory picker means it.
        if (path.size() == 2 || IsSeparator(path[2])) return path;
        const bool sameDrive = HasDrive(current) && (current[0] & ~0x20) == (path[0] & ~0x20);
        return (sameDrive ? current : path.substr(0, 2)) + "\\" + path.substr(2);
    }
    std::string rest;
    if (!path.empty() && IsSeparator(path[0])) return RootOf(current, rest) + path;
    return current + "\\" + path;
}

} // namespace

size_t Utf16Length(const String& utf8) {
    size_t units = 0;
    for (unsigned char c : static_cast<const std::string&>(utf8)) {
        if ((c & 0xC0) != 0x80) ++units; // a character's first byte
        if (c >= 0xF0) ++units;          // beyond the BMP: a surrogate pair
    }
    return units;
}

String CanonicalPath(const String& path, const String& currentDirectory) {
    if (path.compare(0, 4, "\\\\?\\") == 0) return path;
    std::string rest;
    std::string canonical = RootOf(Absolute(path, currentDirectory), rest);
    std::vector<std::string> parts;
    for (size_t start = 0; start < rest.size();) {
        size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        const std::string part = rest.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    for (const std::string& part : parts)
        canonical.append("\\").append(part);
    if (parts.empty() && HasDrive(canonical)) canonical += '\\';
    return String(canonical);
}

int EntryWalkPath(const String& hostEntry, int hostUtf8, String& walkPath) {
    const String written = WalkPathOf(hostEntry, hostUtf8);
    if (Utf16Length(written) > maxEntryCharacters) return 0;
    walkPath = CanonicalPath(written, CurrentWalkDirectory());
    // A short name has a '~' in it: other entries cost nothing more.
    if (walkPath.find('~') != String::npos) walkPath = LongNamesOf(walkPath);
    return 1;
}
