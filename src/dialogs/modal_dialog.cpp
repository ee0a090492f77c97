#include "dialogs/modal_dialog.h"

namespace tarnwick {

INT_PTR ShowModalDialog(HWND owner, HINSTANCE instance, int dialogId, DLGPROC procedure,
                        LPARAM parameter) {
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(dialogId), owner, procedure, parameter);
}

void SetCaption(HWND dialog, const char* caption) {
    if (caption != nullptr && *caption != '\0') ::SetWindowTextA(dialog, caption);
}

}  // namespace tarnwick
