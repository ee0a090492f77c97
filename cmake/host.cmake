# The native build: unit tests and fuzzers of the portable core, the Windows
# build as a sub-build, and every test registered with ctest.
include(ExternalProject)

option(TARNWICK_SANITIZE "Build the native code with ASan and UBSan" ON)
if(TARNWICK_SANITIZE)
    set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${SANITIZE_FLAGS})
    add_link_options(${SANITIZE_FLAGS})
    # The core library is defined before this file is read.
    target_compile_options(tarnwick_core PRIVATE ${SANITIZE_FLAGS})
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

enable_testing()

add_executable(tarnwick_host_tests
    tests/host/core_tables_test.cpp
    tests/host/jvm_search_test.cpp
)
target_include_directories(tarnwick_host_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(tarnwick_host_tests PRIVATE tarnwick_core gtest_main)
target_compile_options(tarnwick_host_tests PRIVATE ${TARNWICK_WARNINGS})
add_test(NAME host.unit COMMAND tarnwick_host_tests)
add_test(NAME mutants.list COMMAND ${CMAKE_SOURCE_DIR}/tests/mutants/run.sh --check)
add_test(NAME layers.includes COMMAND ${CMAKE_SOURCE_DIR}/tests/layers/layers_test.sh ${CMAKE_SOURCE_DIR}/src)

# Fuzz targets: libFuzzer with clang; a short run over the seeds is a test,
# `make fuzz` runs them for longer. The code under test is built once more
# for them, optimised and with coverage, so the fuzzer sees its branches.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(FUZZ_FLAGS -O2 -fsanitize=fuzzer-no-link)
    add_library(tarnwick_core_fuzz STATIC EXCLUDE_FROM_ALL ${TARNWICK_CORE_SOURCES})
    target_include_directories(tarnwick_core_fuzz PUBLIC src)
    target_compile_options(tarnwick_core_fuzz PRIVATE ${FUZZ_FLAGS})
    # A target and the sources of the tools it takes apart, beside the core.
    function(add_fuzz_target target)
        add_executable(${target} tests/fuzz/${target}.cpp ${ARGN})
        target_include_directories(${target} PRIVATE tools/jvm_bridge tools/tarnpack)
        target_link_libraries(${target} PRIVATE tarnwick_core_fuzz)
        target_compile_options(${target} PRIVATE ${FUZZ_FLAGS})
        target_link_options(${target} PRIVATE -fsanitize=fuzzer)
        # New inputs go to a scratch folder, never into the seeds.
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-smoke/${target})
        add_test(NAME fuzz.${target}.smoke
                 COMMAND ${target} -runs=20000 -seed=1 -max_len=1048576 -timeout=60
                         ${CMAKE_BINARY_DIR}/fuzz-smoke/${target} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${target})
    endfunction()
    foreach(target fuzz_options fuzz_image_size fuzz_section_table fuzz_java_archive fuzz_criteria fuzz_verify_output
                   fuzz_criteria_record fuzz_command_line fuzz_registry_value fuzz_settings)
        add_fuzz_target(${target})
    endforeach()
    add_fuzz_target(fuzz_bridge_arguments tools/jvm_bridge/bridge_settings.cpp tools/jvm_bridge/host_command.cpp
                    tools/jvm_bridge/java_arguments.cpp tools/jvm_bridge/real_paths.cpp
                    tools/jvm_bridge/windows_arguments.cpp)
    target_sources(fuzz_command_line PRIVATE tools/jvm_bridge/windows_arguments.cpp)
    target_sources(fuzz_registry_value PRIVATE tools/jvm_bridge/windows_arguments.cpp)
    add_fuzz_target(fuzz_class_file tools/tarnpack/class_file.cpp tools/tarnpack/big_endian_writer.cpp)
    add_fuzz_target(fuzz_icon tools/tarnpack/icon_file.cpp tools/tarnpack/input_file.cpp tools/tarnpack/pe_resources.cpp
                    tools/tarnpack/resource_section.cpp)
    add_fuzz_target(fuzz_security_descriptor)
endif()

# Wine runs in a private prefix below this folder, with its own Xvfb; the
# fixtures start them once for the whole run and stop them at its end. The
# harness picks the test world: where the kernel runs no 32-bit programs the
# Windows-side targets are built once more for x86_64 and run under wine64.
set(WINE_HARNESS ${CMAKE_SOURCE_DIR}/tests/wine/harness.sh)
execute_process(COMMAND ${WINE_HARNESS} world OUTPUT_VARIABLE TARNWICK_WORLD OUTPUT_STRIP_TRAILING_WHITESPACE)
# A cross build of the Windows-side targets into FOLDER below this one.
function(add_windows_build name folder toolchain)
    ExternalProject_Add(${name}
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${folder}
        CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/${toolchain} -DCMAKE_BUILD_TYPE=Release
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        USES_TERMINAL_BUILD ON
    )
endfunction()

# The shipped build, in windows/. Only the fault runs of tests/mutants leave
# it out, in the x64 world, where it is not what runs.
option(TARNWICK_SHIPPED_BUILD "Build and check the shipped i686 launcher (the x64 world runs another build)" ON)
set(WINDOWS_BUILD_DIR ${CMAKE_BINARY_DIR}/windows)
if(TARNWICK_SHIPPED_BUILD OR NOT TARNWICK_WORLD STREQUAL "x64")
    add_windows_build(windows_build ${WINDOWS_BUILD_DIR} mingw-i686.cmake)
    add_test(NAME windows.imports
             COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/check_imports.sh ${WINDOWS_BUILD_DIR}/launcher.exe
                     $<TARGET_FILE:tarnpack>)
endif()
if(TARNWICK_WORLD STREQUAL "x64")
    message(STATUS "Test world x64: the shipped i686 launcher is built and inspected, not run")
    set(WINDOWS_TEST_DIR ${CMAKE_BINARY_DIR}/windows-x64)
    add_windows_build(windows_x64_build ${WINDOWS_TEST_DIR} mingw-x86_64.cmake)
    # One sub-build at a time: each uses both cores.
    if(TARGET windows_build)
        add_dependencies(windows_x64_build windows_build)
    endif()
else()
    set(WINDOWS_TEST_DIR ${WINDOWS_BUILD_DIR})
endif()
set(WINE_STATE ${CMAKE_BINARY_DIR}/wine)
add_test(NAME wine.start COMMAND ${WINE_HARNESS} start ${WINE_STATE})
add_test(NAME wine.stop COMMAND ${WINE_HARNESS} stop ${WINE_STATE})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

function(add_wine_test name)
    add_test(NAME ${name} COMMAND ${WINE_HARNESS} run ${WINE_STATE} ${ARGN})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600)
endfunction()

add_wine_test(wine.unit ${WINDOWS_TEST_DIR}/tarnwick_wine_tests.exe)

# The worst case of a search, in JVM runs (`make bench`).
add_executable(search_cost bench/search_cost.cpp)
target_include_directories(search_cost PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(search_cost PRIVATE tarnwick_core)

# The end-to-end scenarios, one group a test (tests/e2e/scenarios/GROUP).
# They run alone: some search the whole drive C, where others put JVMs, and
# all share the temporary folder. The languages group leaves the pictures of
# its windows in screenshots/; real_jvm runs the host's JVM through the bridge.
foreach(group launcher_log package jvm_search dialogs progress real_jvm languages modern security)
    add_wine_test(e2e.${group} ${CMAKE_SOURCE_DIR}/tests/e2e/run.sh
                  ${CMAKE_SOURCE_DIR}/tests/e2e/scenarios/${group} ${WINDOWS_TEST_DIR}
                  $<TARGET_FILE:tarnpack> ${CMAKE_BINARY_DIR}/java ${CMAKE_BINARY_DIR}/screenshots)
    set_tests_properties(e2e.${group} PROPERTIES RUN_SERIAL TRUE)
endforeach()

# tarnpack's resource lookup and settings: compiled into the target itself,
# so that libFuzzer sees their branches.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_executable(fuzz_pe_resources tests/fuzz/fuzz_pe_resources.cpp tools/tarnpack/pe_resources.cpp
                                     tools/tarnpack/image_settings.cpp)
    target_include_directories(fuzz_pe_resources PRIVATE tools/tarnpack)
    target_link_libraries(fuzz_pe_resources PRIVATE tarnwick_core)
    target_compile_options(fuzz_pe_resources PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_pe_resources PRIVATE -fsanitize=fuzzer)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-smoke/fuzz_pe_resources)
    add_test(NAME fuzz.fuzz_pe_resources.smoke
             COMMAND fuzz_pe_resources -runs=20000 -seed=1 ${CMAKE_BINARY_DIR}/fuzz-smoke/fuzz_pe_resources
                     ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/fuzz_pe_resources)
endif()
