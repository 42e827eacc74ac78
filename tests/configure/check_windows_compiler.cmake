# Configures the project for Windows with a compiler that is not MinGW's GCC (MSVC, named by a
# toolchain file that skips the compiler's tests): it must stop at once and say why.
file(REMOVE_RECURSE "${BINARY}")
file(WRITE "${BINARY}/toolchain.cmake" "
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER \"${COMPILER}\")
set(CMAKE_CXX_COMPILER_ID MSVC)
set(CMAKE_CXX_COMPILER_VERSION 19.38)
set(CMAKE_CXX_COMPILER_ID_RUN TRUE)
set(CMAKE_CXX_COMPILER_FORCED TRUE)
")
execute_process(
    COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BINARY}/tree" -G "${GENERATOR}"
        "-DCMAKE_TOOLCHAIN_FILE=${BINARY}/toolchain.cmake"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0 OR NOT output MATCHES "Windows builds need MinGW-w64")
    message(FATAL_ERROR "A Windows configure with MSVC did not stop on MinGW:\n${output}")
endif()
file(REMOVE_RECURSE "${BINARY}")
