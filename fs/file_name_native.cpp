// Stand-ins for FileName's questions to the platform, for the native build.
// There is one drive, Z:, the root of the file system (as under Wine), and
// POSIX paths are shown in its backslash form (/tmp/a is Z:\tmp\a).
#include <unistd.h>

#include <climits>
#include <string>

#include "fs/file_platform.h"
#include "fs/posix_name_form.h"

namespace {

String AsDriveZ(const std::string& posixPath) {
    return String("Z:" + LayerFormOf(posixPath));
}

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

// ASCII letters without regard to case, every other byte as it is.
int PlatformCompareNames(const char* left, const char* right) {
    for (;; ++left, ++right) {
        const unsigned char l = static_cast<unsigned char>(FoldAscii(*left));
        const unsigned char r = static_cast<unsigned char>(FoldAscii(*right));
        if (l != r || l == 0) return l - r;
    }
}

int PlatformCurrentDriveIndex() {
    return 'Z' - 'A';
}

String PlatformCurrentDirectory() {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == nullptr) return String();
    return AsDriveZ(buffer);
}

String PlatformModuleFileName(ModuleHandle) {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0 || length > 255) return String();
    return AsDriveZ(std::string(buffer, static_cast<size_t>(length)));
}
