// Wine names a host path through the drive's link in the prefix,
// ".../dosdevices/c:/...", and a host JVM cuts its class path at every ':'.
// So host paths with a ':' are replaced by their real paths, which the host
// works out (realpath) in one run for all of them: a first pass of the
// argument translation collects them, a second uses the answers.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "java_arguments.h"

namespace tarnwick {

class RealPaths {
  public:
    explicit RealPaths(HostPathResolver resolve) : resolve_(std::move(resolve)) {}
    RealPaths(const RealPaths&) = delete;
    RealPaths& operator=(const RealPaths&) = delete;

    // Resolves as given and notes the host paths that want a real path. The
    // resolvers refer to this object, which must outlive them.
    HostPathResolver Collecting();
    // Those paths, in the order first seen, each once.
    const std::vector<std::string>& Wanted() const { return wanted_; }
    // The output of realpath for Wanted(): one line each, in order. False
    // (and nothing taken) when the lines do not pair up.
    bool Accept(const std::string& realpathOutput);
    // Resolves as given, then takes the real path where one was accepted.
    HostPathResolver Resolved() const;

  private:
    HostPathResolver resolve_;
    std::vector<std::string> wanted_;
    std::map<std::string, std::string> real_;
};

}  // namespace tarnwick
