// Where log lines go. The launcher's InstallLog writes them to the log file;
// portable code writes through this interface so its lines can be checked
// byte for byte without a file.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/log_format.h"

namespace tarnwick {

class LogSink {
  public:
    virtual ~LogSink() = default;
    // True while lines reach a file (or a test's buffer).
    virtual bool IsOpen() const = 0;
    // Hands the whole line to the file in one write, so lines written by
    // two threads never interleave. Does nothing while the log is not open.
    virtual void WriteLine(std::string_view line) = 0;

    // The logall option: the detailed trace lines of every step are written
    // too. Fixed before the run starts; a plain flag, so the abort path reads
    // it without touching the heap.
    bool tracing() const { return tracing_; }
    void SetTracing(bool on) { tracing_ = on; }

  private:
    bool tracing_ = false;
};

inline void WriteLogLine(LogSink& log, std::string_view format,
                         std::initializer_list<FormatArg> args) {
    if (log.IsOpen()) log.WriteLine(FormatText(format, args));
}

}  // namespace tarnwick
