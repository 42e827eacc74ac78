option(ZIF_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
option(ZIF_PORTABLE_ARITHMETIC
    "Use the 32-bit targets' arithmetic (32-bit limbs, no unsigned __int128) on a 64-bit target" OFF)
option(ZIF_BUILD_BENCHMARKS "Build the benchmarks in bench/" OFF)
option(ZIF_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ZIF_BUILD_FUZZERS "Build the libFuzzer targets in fuzz/ (clang only)" OFF)
option(ZIF_CHECKED "Check the arithmetic's invariants (ZIF_ASSERT) whatever the build type" OFF)
# Off for every build but the project's own downloads: a distribution applies its own flags
# and packaging, and a contributor's configure should not fail on a changelog entry not yet
# written.
option(ZIF_RELEASE
    "The project's own downloads: hardening, path mapping, changelog check, CPack" OFF)
# The Qt window is the Linux front-end; a Windows build uses its own.
if(WIN32)
    option(ZIF_BUILD_QT "Build the Qt window (qt/)" OFF)
else()
    option(ZIF_BUILD_QT "Build the Qt window (qt/)" ON)
endif()

string(LENGTH "${PROJECT_VERSION_MINOR}" _zif_minor_length)
if(_zif_minor_length EQUAL 1)
    set(ZIF_DISPLAY_VERSION "${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}")
else()
    set(ZIF_DISPLAY_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
endif()

add_library(zif_compile_options INTERFACE)
add_library(zif::compile_options ALIAS zif_compile_options)
target_include_directories(zif_compile_options INTERFACE
    "${PROJECT_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/generated")
# The arithmetic's invariants are checked wherever the sanitizers look.
if(ZIF_CHECKED OR ZIF_SANITIZE)
    target_compile_definitions(zif_compile_options INTERFACE ZIF_CHECKED)
endif()
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(zif_compile_options INTERFACE -Wall -Wextra -Wpedantic)
    if(ZIF_WARNINGS_AS_ERRORS)
        target_compile_options(zif_compile_options INTERFACE -Werror)
    endif()
    if(ZIF_SANITIZE)
        target_compile_options(zif_compile_options INTERFACE
            -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
        target_link_options(zif_compile_options INTERFACE -fsanitize=address,undefined)
    endif()
    if(ZIF_BUILD_FUZZERS)
        # Coverage feedback from every library the fuzzers link, not just from the harness.
        # Edge coverage only: tracing every comparison, a carry test in each limb step among
        # them, made the fuzzers four times slower; planted faults are found within seconds
        # without it.
        target_compile_options(zif_compile_options INTERFACE -fsanitize=fuzzer-no-link
            -fno-sanitize-coverage=trace-cmp)
    endif()
endif()
