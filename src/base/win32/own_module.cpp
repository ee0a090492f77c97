#include "base/win32/own_module.h"

namespace tarnwick {

HINSTANCE InstanceHandle = nullptr;
std::string OwnPath;

}  // namespace tarnwick
