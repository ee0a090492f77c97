#include "tests/wine/child_process.h"

namespace tarnwick::test {
int RunChild(int, char**) { return 0; }
}
