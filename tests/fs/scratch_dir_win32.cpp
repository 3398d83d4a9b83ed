#include "tests/fs/scratch_dir.h"

#include <windows.h>

// ---- Scratch directory

namespace {

// Through the long form, which also reaches names that the plain one cannot
// ("x.", "y ", "aux.c") and paths of any length.
void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace

ScratchDir::ScratchDir() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static int serial = 0;
    for (;;) {
        _path = std::string(temp) + "trovik_fs_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(serial++);
        if (CreateDirectoryA(_path.c_str(), nullptr)) break;
    }
}

ScratchDir::~ScratchDir() {
    std::wstring wide(_path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, _path.data(), static_cast<int>(_path.size()),
                                    &wide[0], static_cast<int>(wide.size())));
    RemoveTree(L"\\\\?\\" + wide);
}

std::wstring ScratchDir::WriteExact(const std::string& relative, const std::string& name,
                                    const std::string& bytes) const {
    const std::wstring folder = L"\\\\?\\" + Utf16(*this / relative);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + Utf16(name);
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE) return std::wstring();
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

std::wstring Utf16(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size())) -
        1);
    return wide;
}

std::string ScratchDir::operator/(const std::string& relative) const {
    return _path + "\\" + relative;
}

std::string ScratchDir::Write(const std::string& relative, const std::string& bytes) const {
    for (size_t slash = relative.find('\\'); slash != std::string::npos;
         slash = relative.find('\\', slash + 1))
        CreateDirectoryA((*this / relative.substr(0, slash)).c_str(), nullptr);
    const std::string path = *this / relative;
    WriteBytes(path, bytes);
    return path;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE) return;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadBytes(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

int PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- The Unix side of Wine

namespace {

typedef char*(CDECL* UnixNameFunction)(LPCWSTR);

UnixNameFunction WineUnixName() {
    return reinterpret_cast<UnixNameFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
}

} // namespace

int IsWine() {
    return WineUnixName() != nullptr;
}

std::string UnixPathOf(const std::string& windowsPath) {
    const UnixNameFunction unixName = WineUnixName();
    if (!unixName) return std::string();
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH))
        return std::string();
    char* name = unixName(wide);
    if (!name) return std::string();
    std::string result(name);
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

int RunUnixCommand(const std::string& command) {
    // Wine starts a Unix program as a process that Windows cannot wait for:
    // the command leaves its exit status in a file, which is polled for.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string status = std::string(temp) + "trovik_fs_status_" +
                               std::to_string(GetCurrentProcessId()) + "_" +
                               std::to_string(GetTickCount());
    const std::string unixStatus = UnixPathOf(status);
    if (unixStatus.empty()) return -1;
    // Wine splits the line by the Windows rules: the script is one argument
    // in double quotes, so it may hold single quotes only.
    std::string line = "/bin/sh -c \"" + command + "; echo $? > '" + unixStatus + ".tmp'; mv '" +
                       unixStatus + ".tmp' '" + unixStatus + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA("Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < 10000 && !PathExists(status); waited += 10)
        Sleep(10);
    const std::string result = ReadBytes(status);
    DeleteFileA(status.c_str());
    return result.empty() ? -1 : std::stoi(result);
}
