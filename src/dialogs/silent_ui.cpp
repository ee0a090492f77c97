#include "dialogs/silent_ui.h"

#include "base/win32/string_table.h"

namespace tarnwick {

void SilentUi::ShowError(int textId, BoxOwner) {
    ShowErrorBox(nullptr, textId, std::string());
}

}  // namespace tarnwick
