# Configures the project as a build of its own downloads on a toolchain that defines
# _FORTIFY_SOURCE itself, here through CXXFLAGS, and builds a library of it with warnings as
# errors: the release hardening must leave the caller's definition alone, not redefine it.
file(REMOVE_RECURSE "${BINARY}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "CXXFLAGS=-D_FORTIFY_SOURCE=3"
        "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BINARY}" -G "${GENERATOR}"
        -DCMAKE_BUILD_TYPE=Release -DZIF_RELEASE=ON -DZIF_WARNINGS_AS_ERRORS=ON
        -DZIF_BUILD_QT=OFF -DBUILD_TESTING=OFF
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "configuring with CXXFLAGS=-D_FORTIFY_SOURCE=3 failed:\n${output}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY}" --target zif_app -j 2
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "building with CXXFLAGS=-D_FORTIFY_SOURCE=3 failed:\n${output}")
endif()
file(REMOVE_RECURSE "${BINARY}")
