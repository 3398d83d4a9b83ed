#include "fs/message_box.h"

namespace {

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
