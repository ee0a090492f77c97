// The run's UI with -silent: no window of its own and no question; the
// shipped JVM is installed without asking. Error boxes are still shown, as
// they always were, without a caption.
#pragma once

#include "dialogs/run_ui.h"

namespace tarnwick {

class SilentUi final : public RunUi {
  public:
    void SetStatus(int) override {}
    void HideProgress() override {}
    void ShowProgress() override {}
    bool AskBundledJvmConsent() override { return true; }
    BrowseAnswer BrowseForJvm(std::string*) override { return BrowseAnswer::NotAsked; }
    void ShowError(int textId, BoxOwner owner) override;
};

}  // namespace tarnwick
