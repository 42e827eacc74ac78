# GoogleTest for the test suites: GTest::gtest and GTest::gtest_main, then CMake's GoogleTest
# module. Debian's packaged libraries serve native builds only; for any other target (MinGW,
# or a -m32 build on x86-64) GoogleTest is built here from Debian's sources with the same
# compiler and flags as the project.
option(ZIF_GTEST_FROM_SOURCE
    "Build GoogleTest from its sources instead of using the installed libraries"
    ${CMAKE_CROSSCOMPILING})
set(ZIF_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH
    "GoogleTest's sources (Debian package googletest)")

if(ZIF_GTEST_FROM_SOURCE)
    if(NOT EXISTS "${ZIF_GTEST_SOURCE_DIR}/CMakeLists.txt")
        message(FATAL_ERROR "GoogleTest's sources are not in ${ZIF_GTEST_SOURCE_DIR} "
            "(Debian: apt-get install googletest)")
    endif()
    set(BUILD_GMOCK OFF)
    set(INSTALL_GTEST OFF)
    # SYSTEM: GoogleTest's headers do not count against the project's warning flags. It
    # names its targets GTest::gtest and GTest::gtest_main too.
    add_subdirectory("${ZIF_GTEST_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/googletest"
        EXCLUDE_FROM_ALL SYSTEM)
    # Its own sources are not ours to warn about (GCC 12 misreads a copy in them with -m32).
    target_compile_options(gtest PRIVATE -w)
    target_compile_options(gtest_main PRIVATE -w)
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)
