# The Windows build: the launcher and the tests that must run under Wine.
enable_language(RC)

set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/src -c 65001")

# The Win32 shell around the core, by folder: the Win32 base, the Windows
# halves of the domains, the dialogs and the app; the entry point alone goes
# to the executable.
set(TARNWICK_WIN32_FOLDERS base/win32 package/win32 jvmsearch/win32 dialogs app)
set(TARNWICK_WIN32_SOURCES)
foreach(folder ${TARNWICK_WIN32_FOLDERS})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
    list(APPEND TARNWICK_WIN32_SOURCES ${sources})
endforeach()
list(FILTER TARNWICK_WIN32_SOURCES EXCLUDE REGEX "/src/app/win_main\\.cpp$")
add_library(tarnwick_win STATIC ${TARNWICK_WIN32_SOURCES})
# A delay-import library for DLL: the DLL is loaded at the first call of
# one of its functions, made from the toolchain's own import library.
function(tarnwick_delay_import_library dll out)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a
                    OUTPUT_VARIABLE import_library OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_NM} ${import_library} OUTPUT_VARIABLE symbols)
    # i686 names carry a '_' and their stdcall size ("__imp__MessageBoxA@16").
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(imported "__imp__")
        set(kill_at -k)
    else()
        set(imported "__imp_")
        set(kill_at)
    endif()
    string(REGEX MATCHALL " I ${imported}[^\n]+" entries "${symbols}")
    list(TRANSFORM entries REPLACE " I ${imported}" "")
    list(REMOVE_DUPLICATES entries)
    string(TOUPPER ${dll} upper)
    list(JOIN entries "\n" exports)
    set(definition ${CMAKE_BINARY_DIR}/delay_${dll}.def)
    file(WRITE ${definition} "LIBRARY ${upper}.dll\nEXPORTS\n${exports}\n")
    set(library ${CMAKE_BINARY_DIR}/libdelay_${dll}.a)
    execute_process(COMMAND ${CMAKE_DLLTOOL} ${kill_at} -d ${definition} -y ${library} -D ${upper}.dll
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot make the delay-import library of ${dll}")
    endif()
    set(${out} ${library} PARENT_SCOPE)
endfunction()

# Linked: only DLLs Windows maps from its KnownDLLs list (kernel32, user32,
# gdi32, advapi32 and the C runtime msvcrt, KnownDLLs since Vista), which no
# file beside setup.exe can replace, nor the DLLs they import. comctl32 is
# none (it lives in WinSxS); comdlg32 and shell32 are KnownDLLs, but a run
# that shows no window needs neither: all three are loaded when first used,
# from the system folder (base/win32/system_library.h). user32 and gdi32 are
# delay-loaded, for the same run: their start-up (a desktop, an input method,
# a theme, under Wine) was most of what a silent run cost beyond its JVM
# runs. The import check (tests/e2e/check_imports.sh) holds the launcher to
# this list.
tarnwick_delay_import_library(user32 TARNWICK_DELAY_USER32)
tarnwick_delay_import_library(gdi32 TARNWICK_DELAY_GDI32)
target_link_libraries(tarnwick_win PUBLIC tarnwick_core ${TARNWICK_DELAY_GDI32} ${TARNWICK_DELAY_USER32} advapi32)
target_compile_options(tarnwick_win PRIVATE ${TARNWICK_WARNINGS})
target_compile_definitions(tarnwick_win PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)

# Everything static so the executable imports only Windows system DLLs.
# -s and --disable-long-section-names leave nothing behind the last section
# (no symbols, no COFF string table): the package is appended right there.
set(TARNWICK_STATIC_LINK -static -static-libgcc -static-libstdc++)

# The resource script includes the texts and layouts; CMake does not see
# windres's includes, so a changed text would leave the resources stale.
file(GLOB TARNWICK_RESOURCE_PARTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*)
set_source_files_properties(src/resources/launcher.rc PROPERTIES OBJECT_DEPENDS "${TARNWICK_RESOURCE_PARTS}")

add_executable(launcher WIN32 src/app/win_main.cpp src/resources/launcher.rc)
target_link_libraries(launcher PRIVATE tarnwick_win)
target_link_options(launcher PRIVATE ${TARNWICK_STATIC_LINK} -s -Wl,--disable-long-section-names)
target_compile_options(launcher PRIVATE ${TARNWICK_WARNINGS})

# GoogleTest, cross-built from Debian's sources.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(tarnwick_wine_tests
    tests/wine/ansi_path_test.cpp
    tests/wine/extraction_test.cpp
    tests/wine/run_process_test.cpp
    tests/wine/silent_ui_test.cpp
    tests/wine/translations_test.cpp
    tests/wine/windows_machine_test.cpp
    tests/wine/wine_test_main.cpp
    src/resources/launcher.rc
)
target_include_directories(tarnwick_wine_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(tarnwick_wine_tests PRIVATE tarnwick_win gtest)
target_link_options(tarnwick_wine_tests PRIVATE ${TARNWICK_STATIC_LINK})
target_compile_options(tarnwick_wine_tests PRIVATE ${TARNWICK_WARNINGS})

# Runs a program and records or answers the windows it shows; the
# end-to-end tests see message boxes and drive dialogs through it.
# It saves pictures of the windows as PNG, compressed with the same static
# zlib as tarnpack.exe.
find_library(TARNPACK_ZLIB NAMES libz.a REQUIRED)
find_path(TARNPACK_ZLIB_INCLUDE zlib.h REQUIRED)
add_executable(window_watcher tests/wine/window_watcher.cpp)
target_include_directories(window_watcher PRIVATE ${TARNPACK_ZLIB_INCLUDE} ${CMAKE_SOURCE_DIR})
target_link_options(window_watcher PRIVATE ${TARNWICK_STATIC_LINK})
target_link_libraries(window_watcher PRIVATE ${TARNPACK_ZLIB} user32 gdi32 shell32)
target_compile_options(window_watcher PRIVATE ${TARNWICK_WARNINGS})

# Stands in for java.exe, jre.exe or jview.exe in the end-to-end test trees.
add_executable(stand_in_jvm tests/wine/stand_in_jvm.cpp)
target_link_options(stand_in_jvm PRIVATE ${TARNWICK_STATIC_LINK})
target_compile_options(stand_in_jvm PRIVATE ${TARNWICK_WARNINGS})

# Reads an executable's icon back and compares it with an icon file.
add_executable(icon_check tests/wine/icon_check.cpp)
target_link_options(icon_check PRIVATE ${TARNWICK_STATIC_LINK})
target_link_libraries(icon_check PRIVATE user32 gdi32 shell32)
target_compile_options(icon_check PRIVATE ${TARNWICK_WARNINGS})

# Benchmarks, run under Wine by bench/run.sh.
add_executable(package_bench bench/package_bench.cpp)
target_include_directories(package_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(package_bench PRIVATE tarnwick_win)
target_link_options(package_bench PRIVATE ${TARNWICK_STATIC_LINK})
target_compile_options(package_bench PRIVATE ${TARNWICK_WARNINGS})
add_executable(scan_bench bench/scan_bench.cpp)
target_include_directories(scan_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(scan_bench PRIVATE tarnwick_win)
target_link_options(scan_bench PRIVATE ${TARNWICK_STATIC_LINK})
target_compile_options(scan_bench PRIVATE ${TARNWICK_WARNINGS})
add_executable(whole_run_bench WIN32 bench/whole_run_bench.cpp)
target_include_directories(whole_run_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(whole_run_bench PRIVATE tarnwick_win psapi)
target_link_options(whole_run_bench PRIVATE ${TARNWICK_STATIC_LINK})
target_compile_options(whole_run_bench PRIVATE ${TARNWICK_WARNINGS})

# A DLL that leaves a marker beside itself when it is loaded: the security
# scenarios plant it beside setup.exe under the names of system DLLs.
add_library(planted_dll SHARED tests/wine/planted_dll.cpp)
set_target_properties(planted_dll PROPERTIES PREFIX "")
target_link_options(planted_dll PRIVATE ${TARNWICK_STATIC_LINK})
target_compile_options(planted_dll PRIVATE ${TARNWICK_WARNINGS})
