#pragma once

namespace tarnwick {

// False when the process's window station is one nobody sees (a service's,
// session 0 under a deployment tool): a message box there would wait for a
// click that never comes. True when it cannot be told.
bool WindowStationVisible();

}  // namespace tarnwick
