#pragma once

namespace tarnwick::test {

// The child's part of a test: what it does is named by its arguments.
int RunChild(int argc, char** argv);

}  // namespace tarnwick::test
