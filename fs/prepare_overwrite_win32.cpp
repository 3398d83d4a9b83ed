// Getting an existing file ready to be overwritten: the in-use probe, the
// question about a backup, and the backup itself.
#include <windows.h>

#include <exception>

#include "base/exception.h"
#include "fs/derived_names.h"
#include "fs/file.h"
#include "fs/message_box.h"

namespace {

// The notices of this operation: no owner, the platform's default caption.
void ShowNotice(int32_t message) {
    ShowMessageBox(nullptr, GetMessageText(message).c_str(), nullptr,
                   MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

// 1 when the file can be opened for reading with no sharing, that is when no
// other program holds it open.
int IsFree(const FileName& name) {
    try {
        File probe(name, probeOpenMode);
    } catch (const std::exception&) {
        return 0;
    }
    return 1;
}

// The backup step; raises what the file operations raise.
void MakeBackup(const FileName& name, const FileName& backup, int inUse) {
    if (inUse) {
        File::Copy(backup, name); // the file itself cannot be moved away
    } else {
        File::Remove(backup, 0, 1);
        File::Rename(name, backup);
    }
}

} // namespace

int File::PrepareOverwrite(void* window, const FileName& name, int warnInUse, int ask,
                           const char* extension) {
    if (!Exists(name)) return 1;
    const int inUse = !IsFree(name);
    if (inUse && warnInUse) {
        ShowNotice(msgInUseNoOverwrite);
        return 0;
    }
    if (!extension || ask == 0) return 1;
    if (ask == 1) {
        char caption[501] = "";
        if (window) GetWindowTextA(static_cast<HWND>(window), caption, sizeof caption);
        const int answer = ShowMessageBox(nullptr, GetMessageText(msgAskBackup).c_str(), caption,
                                          MB_YESNOCANCEL | MB_TASKMODAL | MB_SETFOREGROUND);
        if (answer == IDNO) return 1;
        // Cancel, and a box that could not be shown, abandon the saving.
        if (answer != IDYES) return 0;
    }
    try {
        MakeBackup(name, BackupName(name, extension), inUse);
    } catch (const std::exception&) {
        ShowNotice(msgBackupFailed);
        return 0;
    }
    return 1;
}
