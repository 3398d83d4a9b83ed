#include "fs/message_box.h"

#include <windows.h>

static_assert(boxOk == MB_OK && boxOkCancel == MB_OKCANCEL && boxYesNo == MB_YESNO &&
                  boxIconQuestion == MB_ICONQUESTION && boxIconWarning == MB_ICONWARNING &&
                  boxIconInformation == MB_ICONINFORMATION && boxDefaultSecond == MB_DEFBUTTON2,
              "message-box styles");
static_assert(answerOk == IDOK && answerCancel == IDCANCEL && answerYes == IDYES &&
                  answerNo == IDNO,
              "message-box answers");

int PlatformMessageBox(void* owner, const char* text, const char* caption, uint32_t style) {
    return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}
