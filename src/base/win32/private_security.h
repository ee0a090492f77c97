// Security attributes for a folder that is the run's alone: full access for
// the current user, SYSTEM and Administrators, passed on to everything made
// inside, and nothing taken over from the folder it is made in.
#pragma once

#include <windows.h>

namespace tarnwick {

class PrivateSecurity {
  public:
    PrivateSecurity() = default;
    // It points into itself: neither copied nor moved.
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    // False when the descriptor cannot be made. Windows 95, 98 and Me know
    // no security: there it succeeds and attributes() is null.
    bool Make();
    SECURITY_ATTRIBUTES* attributes() { return secured_ ? &attributes_ : nullptr; }

  private:
    bool AddCurrentUser();

    DWORD user_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
    DWORD system_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
    DWORD administrators_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
    DWORD acl_[128] = {};
    SECURITY_DESCRIPTOR descriptor_ = {};
    SECURITY_ATTRIBUTES attributes_ = {};
    bool secured_ = false;
};

}  // namespace tarnwick
