# zif_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [LABELS <labels...>]
#              [RESOURCE_LOCK <resources...>])
# Builds a GoogleTest executable and registers its cases with CTest, one test per case.
# ZIF_TEST_FIXTURES, set by the caller's folder, names CTest fixtures every case requires.
function(zif_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS;RESOURCE_LOCK" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} zif::compile_options
        GTest::gtest GTest::gtest_main)
    set(properties)
    if(ARG_LABELS)
        list(APPEND properties LABELS "${ARG_LABELS}")
    endif()
    if(ARG_RESOURCE_LOCK)
        list(APPEND properties RESOURCE_LOCK "${ARG_RESOURCE_LOCK}")
    endif()
    if(ZIF_TEST_FIXTURES)
        list(APPEND properties FIXTURES_REQUIRED "${ZIF_TEST_FIXTURES}")
    endif()
    if(CMAKE_CROSSCOMPILING)
        # Listed when CTest runs, through the emulator, so building needs no emulator; the
        # first listing may also have to set the emulator up (a Wine prefix).
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
            PROPERTIES ${properties})
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
    endif()
endfunction()
