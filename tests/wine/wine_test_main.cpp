#include <gtest/gtest.h>

#include "tests/wine/child_process.h"

// The tests start this same executable as their child process: with
// "--child" somewhere on its command line it does the child's part instead.
int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--child") return tarnwick::test::RunChild(argc - i - 1, argv + i + 1);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
