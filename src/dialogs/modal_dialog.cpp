#include "dialogs/modal_dialog.h"

namespace tarnwick {

INT_PTR ShowModalDialog(HWND owner, HINSTANCE instance, int dialogId, DLGPROC procedure,
                        LPARAM parameter) {
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(dialogId), owner, procedure, parameter);
}

}  // namespace tarnwick
