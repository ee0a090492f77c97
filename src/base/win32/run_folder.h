// The run's own folder inside the temporary folder. The temporary folder is
// shared: under SYSTEM it is C:\Windows\Temp, where any user may create
// files, so a class, service file or DLL left there could be picked up by
// the JVMs or the JVM installer the run starts. The run's files go into a
// folder of its own instead, made new with a random name and open to the
// user, SYSTEM and Administrators only.
#pragma once

#include <string>

namespace tarnwick {

class RunFolder {
  public:
    RunFolder() = default;
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // Makes the folder inside `parent` (a path with its trailing backslash)
    // the first time; later calls keep the one made. False when none could
    // be made; path() then names the last name tried, in which nothing can
    // be created.
    bool Make(const std::string& parent);

    // Removes the folder this run made, once it is empty. A file that a
    // program the run started still holds keeps it.
    void Remove();

    // With its trailing backslash; empty before Make.
    const std::string& path() const { return path_; }
    bool made() const { return made_; }

  private:
    std::string path_;
    bool made_ = false;
};

}  // namespace tarnwick
