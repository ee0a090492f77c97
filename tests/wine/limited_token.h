// The user's limited token, where this process runs on the elevated half of
// a pair: Wine starts every program elevated, and the tools start the
// launcher as a user's own programs run under UAC. Null where there is no
// such pair; the caller closes it.
#pragma once

#include <windows.h>

namespace tarnwick::test {

inline HANDLE LimitedToken() {
    HANDLE token = nullptr;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    const bool split = ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) &&
                       ::GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size) &&
                       type == TokenElevationTypeFull &&
                       ::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size);
    if (token != nullptr) ::CloseHandle(token);
    return split ? linked.LinkedToken : nullptr;
}

}  // namespace tarnwick::test
