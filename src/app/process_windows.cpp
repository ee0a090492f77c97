#include "app/process_windows.h"

namespace tarnwick {

HINSTANCE InstanceHandle = nullptr;
std::string OwnPath;
HWND ProgressWindow = nullptr;
HWND StatusLine = nullptr;
DWORD MainThreadId = 0;

}  // namespace tarnwick
