// The file layer's message boxes go through one replaceable function, so that
// tests can answer them without a window. The default shows the platform's
// message box (MessageBoxA); the arguments and the answer are that function's.
#pragma once

#include <cstdint>

// The platform's message-box styles and answers (MB_ and ID values) that the
// library's boxes use; message_box_win32.cpp checks them against the
// platform's.
enum MessageBoxStyle : unsigned {
    boxOk = 0x0,
    boxOkCancel = 0x1,
    boxYesNo = 0x4,
    boxIconQuestion = 0x20,
    boxIconWarning = 0x30,
    boxIconInformation = 0x40,
    boxDefaultSecond = 0x100,
};
enum MessageBoxAnswer { answerOk = 1, answerCancel = 2, answerYes = 6, answerNo = 7 };

// Owner window (HWND), text, caption (null: the platform's default caption)
// and the box's style bits; returns the button chosen (IDOK, IDYES, ...).
typedef int (*MessageBoxFunction)(void* owner, const char* text, const char* caption,
                                  uint32_t style);

// The platform's box (MessageBoxA); natively, where there is no window
// system, it shows nothing and answers IDCANCEL.
int PlatformMessageBox(void* owner, const char* text, const char* caption, uint32_t style);

// Shows a box through the function in force.
int ShowMessageBox(void* owner, const char* text, const char* caption, uint32_t style);

// Puts `function` in force (null restores the platform's box) and returns the
// one that was in force before.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);
