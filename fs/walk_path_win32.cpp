// The walk's paths over the platform's conversions and wide calls.
#include <windows.h>

#include <string>

#include "fs/directory_enumeration.h"
#include "fs/file_calls_win32.h"
#include "fs/walk_path.h"
#include "fs/walk_path_win32.h"

namespace {

bool IsAscii(const String& text) {
    for (unsigned char c : static_cast<const std::string&>(text))
        if (c >= 0x80) return false;
    return true;
}

std::wstring Widen(const char* text, UINT codePage) {
    const int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// The text in `codePage`; `lossy` (optional) tells whether a character had to
// become '?'. Never a best-fit look-alike: that would name another file.
String Narrow(const std::wstring& wide, UINT codePage, BOOL* lossy) {
    if (wide.empty()) return String();
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
    BOOL* used = codePage == CP_UTF8 ? nullptr : lossy;
    const int length =
        WideCharToMultiByte(codePage, flags, wide.c_str(), -1, nullptr, 0, fallback, used);
    if (length <= 1) return String();
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.c_str(), -1, &text[0], length, fallback, used);
    text.resize(static_cast<size_t>(length - 1));
    return String(text);
}

const wchar_t longPrefix[] = L"\\\\?\\";

} // namespace

std::wstring PlatformPathOf(const char* walkPath) {
    std::wstring wide = Widen(walkPath, CP_UTF8);
    // Always the long form, whatever the length: the plain one drops a
    // trailing dot or space ("x." opens "x") and takes "aux.c" for a device.
    if (wide.compare(0, 4, longPrefix) == 0) return wide;
    if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return longPrefix + wide;
    if (wide.compare(0, 2, L"\\\\") == 0) return std::wstring(longPrefix) + L"UNC" + wide.substr(1);
    return wide; // relative: resolved by the platform's plain rules
}

String CurrentWalkDirectory() {
    const DWORD room = GetCurrentDirectoryW(0, nullptr);
    std::wstring current(room ? room : 1, L'\0');
    const DWORD length = room ? GetCurrentDirectoryW(room, &current[0]) : 0;
    if (length == 0 || length >= room) return String();
    current.resize(length);
    if (current.size() > 3 && current.back() == L'\\') current.pop_back();
    return Narrow(current, CP_UTF8, nullptr);
}

// Each part with a '~' is looked up as it is written, which also finds a
// file by its short name, and takes the long name the listing gives.
// (GetLongPathNameW would not do: Wine's passes long-form paths through.)
String LongNamesOf(const String& walkPath) {
    const std::wstring wide = Widen(walkPath.c_str(), CP_UTF8);
    // The root's parts ("D:", or the four of "\\server\share") stay.
    size_t start = wide.compare(0, 2, L"\\\\") == 0 ? 4 : 1;
    std::wstring named;
    size_t from = 0;
    for (size_t part = 0; from <= wide.size(); ++part) {
        size_t end = wide.find(L'\\', from);
        if (end == std::wstring::npos) end = wide.size();
        std::wstring name = wide.substr(from, end - from);
        // A wildcard would let the look-up find some other name.
        if (part >= start && name.find(L'~') != std::wstring::npos &&
            name.find_first_of(L"*?") == std::wstring::npos) {
            WIN32_FIND_DATAW found;
            const HANDLE first = fileCalls.FindFirstFileW(
                PlatformPathOf(Narrow(named + name, CP_UTF8, nullptr).c_str()).c_str(), &found);
            if (first == INVALID_HANDLE_VALUE) return walkPath;
            fileCalls.FindClose(first);
            name = found.cFileName;
        }
        named += name;
        if (end < wide.size()) named += L'\\';
        from = end + 1;
    }
    return Narrow(named, CP_UTF8, nullptr);
}

String WalkPathOf(const String& hostPath, int hostUtf8) {
    if (hostUtf8 || IsAscii(hostPath)) return hostPath;
    return Narrow(Widen(hostPath.c_str(), CP_ACP), CP_UTF8, nullptr);
}

// The short 8.3 name of the last part of `wide` (a path), or empty when the
// volume keeps none.
std::wstring ShortNameOf(const std::wstring& wide) {
    const std::wstring platform = PlatformPathOf(Narrow(wide, CP_UTF8, nullptr).c_str());
    // A short name may be longer than the long one (αλφα becomes ____~NVU).
    const DWORD room = GetShortPathNameW(platform.c_str(), nullptr, 0);
    if (room == 0) return std::wstring();
    std::wstring shortPath(room, L'\0');
    const DWORD length = GetShortPathNameW(platform.c_str(), &shortPath[0], room);
    if (length == 0 || length >= room) return std::wstring();
    shortPath.resize(length);
    return shortPath.substr(shortPath.rfind(L'\\') + 1);
}

bool HostPathIsWalkPath(const String& walkPath, int hostUtf8) {
    return hostUtf8 || IsAscii(walkPath);
}

String HostPathOf(const String& walkPath, int hostUtf8) {
    if (HostPathIsWalkPath(walkPath, hostUtf8)) return walkPath;
    const std::wstring wide = Widen(walkPath.c_str(), CP_UTF8);
    BOOL lossy = FALSE;
    const String plain = Narrow(wide, CP_ACP, &lossy);
    if (!lossy) return plain;
    // Only the parts the code page cannot spell take their short names, so
    // that the rest of the path reads as it is.
    std::wstring named;
    for (size_t start = 0; start <= wide.size();) {
        size_t end = wide.find(L'\\', start);
        if (end == std::wstring::npos) end = wide.size();
        std::wstring part = wide.substr(start, end - start);
        lossy = FALSE;
        Narrow(part, CP_ACP, &lossy);
        if (lossy) {
            part = ShortNameOf(wide.substr(0, end));
            lossy = FALSE;
            if (part.empty() || (Narrow(part, CP_ACP, &lossy), lossy)) return plain;
        }
        named += part;
        if (end < wide.size()) named += L'\\';
        start = end + 1;
    }
    // Under Wine a short name is a hash of the long one, and a real file may
    // bear it too: the name goes into a record only when it leads back here.
    const String shortened = Narrow(named, CP_ACP, nullptr);
    FolderIdentity file;
    FolderIdentity reached;
    if (!IdentityOfFolder(walkPath.c_str(), &file) ||
        !IdentityOfFolder(Narrow(Widen(shortened.c_str(), CP_ACP), CP_UTF8, nullptr).c_str(),
                          &reached) ||
        !(file == reached))
        return plain;
    return shortened;
}

int64_t SizeOfWalkPath(const String& walkPath) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(PlatformPathOf(walkPath.c_str()).c_str(), GetFileExInfoStandard,
                              &data))
        return -1;
    return int64_t((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

int32_t AttributesOfWalkPath(const String& walkPath) {
    const DWORD attributes = fileCalls.GetFileAttributesW(PlatformPathOf(walkPath.c_str()).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int32_t>(attributes);
}
