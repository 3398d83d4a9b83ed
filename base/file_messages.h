// The file message table: the numbered texts (18000 to 18026) with which the
// file layer reports its failures, and their names. A plain constant array,
// ended by a row whose text is null; GetMessageText (base/exception.h) looks
// numbers up in it. It lives with the exceptions, which read it, so that the
// foundation needs nothing of the file layer above it. Two texts contain "%s"
// and are formats that their users fill in (a file name, a drive) before
// raising or showing them.
#pragma once

#include <cstdint>

enum FileMessageId : int32_t {
    msgOpenFailed = 18000,         // the file could not be opened
    msgDeleteFailed = 18001,       // the file could not be deleted
    msgReadFailed = 18002,         // a read came back short
    msgWriteFailed = 18003,        // a write failed and the disk is not full
    msgSeekFailed = 18004,         // the file pointer could not be moved
    msgResizeFailed = 18005,       // the file did not take its new size
    msgCopyFailed = 18006,         // a copy failed and the disk is not full
    msgMoveFailed = 18007,         // a move failed and the disk is not full
    msgInvalidDirectory = 18008,   // a temporary name was asked in a missing directory
    msgInUseNoOverwrite = 18009,   // notice: the file to overwrite is in use
    msgAskBackup = 18010,          // question: make a backup before overwriting?
    msgBackupFailed = 18011,       // notice: the backup could not be made
    msgFileError = 18012,          // raised by nothing
    msgRenameFailed = 18013,       // the file could not be renamed
    msgVolumeInaccessible = 18014, // a volume label could not be read
    msgLabelFailed = 18015,        // a volume label could not be written
    msgCreateFailed = 18016,       // a text file could not be created or written
    msgAttributesFailed = 18017,   // attributes could not be set
    msgDirectoryFailed = 18018,    // a directory could not be created
    msgDiskFull = 18019,           // format: the drive letter for %s
    msgExpandFailed = 18020,       // an expanding copy failed and the disk is not full
    msgMappingFailed = 18021,      // a mapping or view could not be made
    msgDatabaseSerious = 18022,    // raised by nothing
    msgDatabaseFull = 18023,       // raised by nothing
    msgWrongType = 18024,          // raised by nothing
    msgInUse = 18025,              // format: the file's name for %s
    msgVirtualMemory = 18026,      // a mapping or view failed for lack of memory
};

struct FileMessage {
    int32_t id;
    const char* text; // null in the row that ends the table
};

extern const FileMessage fileMessages[];
