// An elevated launcher (an administrator's full token, or SYSTEM) must not
// run a JVM that someone without those rights could have put there or
// changed: the JVM would run with the launcher's rights. Such a candidate is
// skipped, and the log says why. Runs that are not elevated run every
// candidate, as before.
#pragma once

#include <map>
#include <set>
#include <string>

#include "base/log_sink.h"
#include "base/security_descriptor.h"
#include "jvmsearch/machine.h"

namespace tarnwick {

// Where an object lies on the way to an executable: the rights that let
// someone plant or swap code differ.
enum class PathPart { File, Folder, DriveRoot };

// True when nobody but the system and administrators can change the object
// (see the rights in the source).
bool OnlyAdministratorsMayChange(const ObjectAccess& access, PathPart part);

// "X:\..." or "\\server\share\...": a path that does not depend on the
// current folder or drive.
bool IsAbsolutePath(const std::string& path);

class PlantedJvmGuard {
  public:
    PlantedJvmGuard(Machine& machine, LogSink& log) : machine_(machine), log_(log) {}

    // True when `executable` may run. In an elevated run it and every folder
    // above it must be changeable by administrators only; else the skip is
    // logged (at every try with logall, else once per executable).
    bool MayRun(const std::string& executable);

  private:
    // The first object on the way from the root to `executable` that others
    // may change or whose access cannot be read; empty when there is none.
    std::string FirstOpenObject(const std::string& executable, bool* unreadable);
    // 1: administrators only, 0: others may change it, 2: unreadable.
    int Verdict(const std::string& path, PathPart part);

    Machine& machine_;
    LogSink& log_;
    int elevated_ = -1;  // asked once
    std::map<std::string, int> verdicts_;  // by lower-case path: folders are shared by many candidates
    std::set<std::string> logged_;
};

}  // namespace tarnwick
