// Steps of the run sequence that are not built yet. Each ends the run
// quietly, so a run goes exactly as far as the built steps reach.
#include "app/launcher_app.h"

namespace tarnwick {

bool LauncherApp::BrowseForJvm() { return false; }

}  // namespace tarnwick
