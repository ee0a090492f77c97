// The run's UI with -silent: no window of its own and no question; the
// shipped JVM is installed without asking. Error boxes are still shown, as
// they always were, without a caption; where nobody can see them (a window
// station that is not visible) their text goes to the log instead and the
// run goes on as if OK had been pressed.
#pragma once

#include "base/log_sink.h"
#include "dialogs/run_ui.h"

namespace tarnwick {

class SilentUi final : public RunUi {
  public:
    explicit SilentUi(LogSink& log) : log_(log) {}

    void SetStatus(int) override {}
    void HideProgress() override {}
    void ShowProgress() override {}
    bool AskBundledJvmConsent() override { return true; }
    BrowseAnswer BrowseForJvm(std::string*) override { return BrowseAnswer::NotAsked; }
    void ShowError(int textId, BoxOwner owner) override;

  private:
    LogSink& log_;
};

}  // namespace tarnwick
