// Shared by the fuzz targets: a broken property stops the target at once,
// with the input that broke it; the readers' logs go nowhere.
#pragma once

#include <string>
#include <string_view>

#include "base/log_sink.h"

inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class DiscardLog final : public tarnwick::LogSink {
  public:
    bool IsOpen() const override { return true; }
    void WriteLine(std::string_view) override {}
};

// ASan keeps freed memory out of use for a while to catch late accesses; its
// default quarantine of 256 MB, refilled by every input, made the targets
// slow and large. A few MB still catch a use right after a free.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=4"; }
