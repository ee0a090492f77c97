#include "app/launcher_main.h"

#include "app/launcher_run.h"
#include "app/package_title.h"
#include "app/run_settings.h"
#include "base/win32/cancel_event.h"
#include "base/win32/own_module.h"
#include "dialogs/interactive_ui.h"
#include "dialogs/silent_ui.h"

namespace tarnwick {

int LauncherMain(HINSTANCE) {
    CancelEvent cancel;
    LauncherRun run(ResolveSettings(OwnExecutablePath(), OwnCommandLineArguments()), cancel);
    if (run.settings().silent) {
        SilentUi ui(run.log());
        run.Run(ui);
    } else {
        // This thread owns the windows; the run goes on a worker thread.
        InteractiveUi ui(cancel, PackageTitle(run.settings().ownPath));
        ui.RunWorker([&run, &ui] { run.Run(ui); });
    }
    // Whatever way the run ended, aborted included, its files go here.
    run.Finish();
    return run.ExitCode();
}

}  // namespace tarnwick
