// Everything the run asks of the user or shows: the status line, the
// progress window stepping aside and coming back, the consent, the browse
// dialog and the error boxes. The run calls it from whatever thread it runs
// on; an implementation decides which thread owns the windows.
#pragma once

#include <string>

namespace tarnwick {

class RunUi {
  public:
    virtual ~RunUi() = default;

    // The status line shows string `textId`.
    virtual void SetStatus(int textId) = 0;
    // The progress window stays open but shows nothing while another window
    // (a dialog, an installer) has the screen, and comes back afterwards.
    virtual void HideProgress() = 0;
    virtual void ShowProgress() = 0;
    // True when the JVM installer shipped in the package may be run.
    virtual bool AskBundledJvmConsent() = 0;
    // The browse dialog. Chosen gives the text of its edit field in `path`.
    enum class BrowseAnswer { NotAsked, Cancelled, Chosen };
    virtual BrowseAnswer BrowseForJvm(std::string* path) = 0;
    // An error box with string `textId`: over the progress window, or on
    // its own (the box that the package cannot be read at all).
    enum class BoxOwner { Progress, None };
    virtual void ShowError(int textId, BoxOwner owner) = 0;
};

}  // namespace tarnwick
