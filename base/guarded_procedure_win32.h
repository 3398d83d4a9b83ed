// Window, dialog and hook procedures as the platform gets them: nothing
// thrown inside one reaches the platform's frames (base/no_throw.h). Used
// where the procedure is handed over, so the procedure itself stays plain:
//     DialogBoxParamA(..., GuardedModalDialog<SearchDialogProc>, ...);
#pragma once

#include <windows.h>

#include "base/no_throw.h"

// A throw gives 0, the platform's "not handled".
template <class Result, Result(CALLBACK* procedure)(HWND, UINT, WPARAM, LPARAM)>
Result CALLBACK Guarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow<Result>(0, [&] { return procedure(window, message, wParam, lParam); });
}

// For a modal dialog: a throw ends the dialog with -1, the platform's own
// "the dialog failed", since a dialog whose procedure failed half-way (its
// state never made, say) might no longer close by its buttons.
template <INT_PTR(CALLBACK* procedure)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK GuardedModalDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const INT_PTR failed = -2; // no procedure result: they are TRUE, FALSE or a brush
    const INT_PTR result =
        NoThrow<INT_PTR>(failed, [&] { return procedure(dialog, message, wParam, lParam); });
    if (result != failed) return result;
    EndDialog(dialog, -1);
    return TRUE;
}
