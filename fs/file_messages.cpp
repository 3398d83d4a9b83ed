#include "fs/file_messages.h"

// Kept in this order: lookups take the first row with a matching number.
const FileMessage fileMessages[] = {
    {18009, "This file is already in use by an application. It can therefore not be overwritten. "
            "Please use another name."},
    {18025, "The file %s could not be accessed. It is already in use by some other application. "
            "This application must be finished before the file can be accessed"},
    {18010, "A file with this name already exists. Do you want to make a backup of this file "
            "before saving the new one? (In the backup, the first letter in the extension will be "
            "changed to a ~)?"},
    {18011, "The backup file could not be created! The whole operation has been canceled and your "
            "file has not been saved!"},
    {18000, "An error occurred. The file could not be opened."},
    {18001, "An error occurred. The file could not be deleted."},
    {18002, "The program was unable to read properly from this drive/partition. If this problem "
            "persists, please check the integrity of the disk, it might be damaged."},
    {18003, "The program was unable to write properly to this drive/partition. If this problem "
            "persists, please check the integrity of the disk, it might be damaged."},
    {18004, "The program was unable to seek properly on this drive/partition. If this problem "
            "persists, please check the integrity of the disk, it might be damaged."},
    {18005, "An error occurred. The file could not be resized."},
    {18006, "An error occurred. The file could not be copied."},
    {18018, "An error occurred. The directory could not be created."},
    {18007, "An unknown error occurred. The file could not be moved."},
    {18008, "Invalid directory name."},
    {18013, "The file could not be renamed. Please make sure that the disk is not write protected "
            "and that the file is not already open."},
    {18014, "This disk partition could not be accessed. If it is a CD-ROM or a removable disk, "
            "make sure the disk is inserted properly."},
    {18015, "The partition could not be given a label. Make sure the disk is not write protected."},
    {18016, "An error occurred. The file could not be created."},
    {18017, "An unknown error occurred. The file attributes could not be set."},
    {18019, "There is not enough disk space on partition %s."},
    {18020, "An error occurred. The file could not be uncompressed/copied."},
    {18021, "Unknown file error: Unable to create mapped file."},
    {18026,
     "File error caused by lack of space in the virtual memory file. Please increase the size of "
     "the virtual memory file in the Windows' Control Panel (Virtual Memory settings)."},
    {18023, "It is not possible to increase the database size. The disk is probably full."},
    {18022, "Serious error. It is not possible to increase the database size. You must close the "
            "file now!"},
    {18024, "This file is of the wrong type."},
    {18012, "File error"},
    {0, nullptr},
};
