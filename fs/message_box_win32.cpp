#include "fs/message_box.h"

#include <windows.h>

int PlatformMessageBox(void* owner, const char* text, const char* caption, uint32_t style) {
    return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}
