# zif_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [LABELS <labels...>])
# Builds a GoogleTest executable and registers its cases with CTest.
function(zif_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} zif::compile_options
        GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
endfunction()
