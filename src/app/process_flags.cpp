#include "app/process_flags.h"

namespace tarnwick {

bool LogAll = false;
bool AbortRequested = false;
int32_t SearchPass = 1;

}  // namespace tarnwick
