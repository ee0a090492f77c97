// The install log file: created once per run, written one whole line per
// write, closed by Teardown.
#pragma once

#include <string>
#include <string_view>

#include "base/log_sink.h"
#include "base/win32/scoped_handle.h"

namespace tarnwick {

class InstallLog final : public LogSink {
  public:
    // Closed comes after Teardown; the log is never reopened.
    enum class State { NotOpen, Open, Failed, Closed };

    InstallLog() = default;
    InstallLog(const InstallLog&) = delete;
    InstallLog& operator=(const InstallLog&) = delete;

    // How the file is made: emptied when it exists, or (in a folder others
    // share, such as the temporary folder) removed first and then created
    // new, so the log never writes through something left under its name.
    enum class Creation { Overwrite, New };

    // Creates the file anew at `path` and writes the date and time header.
    // At most once per run: later calls do nothing. A file that cannot be
    // created leaves the log Failed and the run goes on without it.
    void Open(const std::string& path, Creation creation = Creation::Overwrite);
    void Close();

    State state() const { return state_; }
    bool IsOpen() const override { return state_ == State::Open; }
    void WriteLine(std::string_view line) override;

  private:
    State state_ = State::NotOpen;
    ScopedHandle file_;
};

}  // namespace tarnwick
