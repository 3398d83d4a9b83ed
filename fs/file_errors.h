// How the file layer words its failures: the messages of the file message
// table that name a file or a drive, and the disk-full rule shared by every
// writing operation. All of this is plain logic over the platform's error
// codes, so it is the same on every platform.
#pragma once

#include <cstdint>

#include "base/string.h"
#include "fs/file_name.h"

// Platform error codes the layer tells apart.
enum FileErrorCode : int32_t {
    errorFileNotFound = 2,
    errorAccessDenied = 5,
    errorNotEnoughMemory = 8,
    errorInvalidDrive = 15,
    errorSharingViolation = 32,
    errorLockViolation = 33,
    errorHandleEof = 38,      // a read past the end of the file
    errorHandleDiskFull = 39, // disk full while writing
    errorDiskFull = 112,      // not enough space on the disk
    errorFileTooLarge = 223,
    errorDirectory = 267, // a directory name is not a directory
};

// The text of message `id` with `argument` put in place of its "%s" (the
// text unchanged when it has none).
String FileMessageWith(int32_t id, const String& argument);

// 1 when `code` says that the disk is full (39 or 112).
int IsDiskFullError(int32_t code);

// The disk-full rule of the writing operations: when `code` is a disk-full
// error, raises message 18019 naming the drive letter of `name` (upper case,
// empty without a drive) with that code and the drive index (-1 without a
// drive) as the second value; otherwise raises `message` with `code`.
[[noreturn]] void RaiseWriteFailure(const FileName& name, int32_t code, int32_t message);

// Message 18025 with the file's name, without a code: the file is open in
// another program that does not share it.
[[noreturn]] void RaiseInUse(const FileName& name);
