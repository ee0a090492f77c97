#include "base/win32/window_station.h"

#include <windows.h>

namespace tarnwick {

bool WindowStationVisible() {
    USEROBJECTFLAGS flags = {};
    HWINSTA station = ::GetProcessWindowStation();
    if (station == nullptr || !::GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
        return true;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace tarnwick
