// The file message table: the numbered texts (18000 to 18026) with which the
// file layer reports its failures. A plain constant array, ended by a row whose
// text is null; GetMessageText (base/exception.h) looks numbers up in it. Two
// texts contain "%s" and are formats that their users fill in (a file name,
// a drive) before raising or showing them.
#pragma once

#include <cstdint>

struct FileMessage {
    int32_t id;
    const char* text; // null in the row that ends the table
};

extern const FileMessage fileMessages[];
