#include "fs/posix_file.h"

#include <cerrno>

#include "fs/file_errors.h"
#include "fs/posix_name_form.h"

bool PosixPathOf(const char* name, std::string* posix) {
    if (name[0] != '\0' && name[1] == ':') {
        if (name[0] != 'Z' && name[0] != 'z') return false;
        name += 2;
    }
    posix->assign(name);
    ToPosixForm(*posix);
    return true;
}

int32_t FileErrorOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return errorFileNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return errorAccessDenied;
    case ENOMEM:
        return errorNotEnoughMemory;
    case ENOSPC:
        return errorDiskFull;
    case EFBIG:
    case EOVERFLOW:
        return errorFileTooLarge;
    default:
        return error;
    }
}
