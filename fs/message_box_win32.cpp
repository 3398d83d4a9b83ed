#include "fs/message_box.h"

#include <windows.h>

namespace {

int PlatformMessageBox(void* owner, const char* text, const char* caption, uint32_t style) {
    return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

MessageBoxFunction messageBoxFunction = PlatformMessageBox;

} // namespace

int ShowMessageBox(void* owner, const char* text, const char* caption, uint32_t style) {
    return messageBoxFunction(owner, text, caption, style);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) {
    MessageBoxFunction previous = messageBoxFunction;
    messageBoxFunction = function ? function : PlatformMessageBox;
    return previous;
}
