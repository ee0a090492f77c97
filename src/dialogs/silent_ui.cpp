#include "dialogs/silent_ui.h"

#include "base/win32/string_table.h"
#include "base/win32/window_station.h"

namespace tarnwick {

void SilentUi::ShowError(int textId, BoxOwner) {
    if (!WindowStationVisible()) {
        WriteLogLine(log_, "\r\n%s\r\n", {LoadText(textId)});
        return;
    }
    ShowErrorBox(nullptr, textId, std::string());
}

}  // namespace tarnwick
