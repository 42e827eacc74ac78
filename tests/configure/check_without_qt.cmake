# Configures the project once with Qt 6 hidden and once with only QtTest hidden.
# Without Qt the window cannot be built: configuring must fail there and name Qt6, not leave
# the build to fail later at an unknown target. QtTest is needed only for tests and benchmarks.
function(configure result output)
    file(REMOVE_RECURSE "${BINARY}")
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BINARY}" -G "${GENERATOR}"
                -DBUILD_TESTING=OFF ${ARGN}
        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
    set(${result} "${code}" PARENT_SCOPE)
    set(${output} "${out}" PARENT_SCOPE)
endfunction()

configure(result output -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON)
if(result EQUAL 0 OR NOT output MATCHES "Qt6")
    message(FATAL_ERROR "Without Qt 6 the configuration did not stop on Qt6:\n${output}")
endif()

configure(result output -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Without tests, a missing QtTest stopped the configuration:\n${output}")
endif()
file(REMOVE_RECURSE "${BINARY}")
