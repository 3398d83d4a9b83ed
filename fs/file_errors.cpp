#include "fs/file_errors.h"

#include "base/exception.h"

String FileMessageWith(int32_t id, const String& argument) {
    String text = GetMessageText(id);
    const size_t place = text.find("%s");
    if (place != std::string::npos) text.replace(place, 2, argument);
    return text;
}

int IsDiskFullError(int32_t code) {
    return code == errorHandleDiskFull || code == errorDiskFull;
}

void RaiseWriteFailure(const FileName& name, int32_t code, int32_t message) {
    if (!IsDiskFullError(code)) Raise(message, code);
    int driveIndex = -1;
    const String drive = name.GetDrive(&driveIndex);
    Exception diskFull(FileMessageWith(msgDiskFull, drive), code);
    diskFull.SetExtra(driveIndex);
    Raise(diskFull);
}

void RaiseInUse(const FileName& name) {
    Raise(FileMessageWith(msgInUse, name));
}
