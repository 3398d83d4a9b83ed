#include "base/file_messages.h"

// Kept in this order: lookups take the first row with a matching number.
const FileMessage fileMessages[] = {
    {msgInUseNoOverwrite,
     "This file is already in use by an application. It can therefore not be overwritten. "
     "Please use another name."},
    {msgInUse, "The file %s could not be accessed. It is already in use by some other application. "
               "This application must be finished before the file can be accessed"},
    {msgAskBackup,
     "A file with this name already exists. Do you want to make a backup of this file "
     "before saving the new one? (In the backup, the first letter in the extension will be "
     "changed to a ~)?"},
    {msgBackupFailed,
     "The backup file could not be created! The whole operation has been canceled and your "
     "file has not been saved!"},
    {msgOpenFailed, "An error occurred. The file could not be opened."},
    {msgDeleteFailed, "An error occurred. The file could not be deleted."},
    {msgReadFailed,
     "The program was unable to read properly from this drive/partition. If this problem "
     "persists, please check the integrity of the disk, it might be damaged."},
    {msgWriteFailed,
     "The program was unable to write properly to this drive/partition. If this problem "
     "persists, please check the integrity of the disk, it might be damaged."},
    {msgSeekFailed,
     "The program was unable to seek properly on this drive/partition. If this problem "
     "persists, please check the integrity of the disk, it might be damaged."},
    {msgResizeFailed, "An error occurred. The file could not be resized."},
    {msgCopyFailed, "An error occurred. The file could not be copied."},
    {msgDirectoryFailed, "An error occurred. The directory could not be created."},
    {msgMoveFailed, "An unknown error occurred. The file could not be moved."},
    {msgInvalidDirectory, "Invalid directory name."},
    {msgRenameFailed,
     "The file could not be renamed. Please make sure that the disk is not write protected "
     "and that the file is not already open."},
    {msgVolumeInaccessible,
     "This disk partition could not be accessed. If it is a CD-ROM or a removable disk, "
     "make sure the disk is inserted properly."},
    {msgLabelFailed,
     "The partition could not be given a label. Make sure the disk is not write protected."},
    {msgCreateFailed, "An error occurred. The file could not be created."},
    {msgAttributesFailed, "An unknown error occurred. The file attributes could not be set."},
    {msgDiskFull, "There is not enough disk space on partition %s."},
    {msgExpandFailed, "An error occurred. The file could not be uncompressed/copied."},
    {msgMappingFailed, "Unknown file error: Unable to create mapped file."},
    {msgVirtualMemory,
     "File error caused by lack of space in the virtual memory file. Please increase the size of "
     "the virtual memory file in the Windows' Control Panel (Virtual Memory settings)."},
    {msgDatabaseFull,
     "It is not possible to increase the database size. The disk is probably full."},
    {msgDatabaseSerious,
     "Serious error. It is not possible to increase the database size. You must close the "
     "file now!"},
    {msgWrongType, "This file is of the wrong type."},
    {msgFileError, "File error"},
    {0, nullptr},
};
