# The Windows-side targets for the test world of build machines whose kernel
# runs no 32-bit programs (tests/wine/harness.sh). The shipped launcher is
# always the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOL_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
