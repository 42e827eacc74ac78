# Builds the program and its download once more from a copy of the sources, in folders of
# other names, with other file times and without a compiler cache, and checks that both come
# out byte for byte as in the build tree under test. SETTINGS names a script that sets BUILD_DIR, SOURCE_DIR, WORK_DIR,
# PROGRAM (the tree's program), PACKAGE_GENERATOR, GENERATOR and CACHE_ARGS.
cmake_minimum_required(VERSION 3.25)
include("${SETTINGS}")
set(second "${WORK_DIR}/built-elsewhere")
set(env "${CMAKE_COMMAND}" -E env --unset=CMAKE_CXX_COMPILER_LAUNCHER CCACHE_DISABLE=1)

function(run what)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE output
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${what} failed:\n${output}")
    endif()
endfunction()

# Seconds since 1970 by the clock, not by SOURCE_DATE_EPOCH.
function(now out)
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
    unset(ENV{SOURCE_DATE_EPOCH})
    string(TIMESTAMP seconds "%s")
    if(NOT epoch STREQUAL "")
        set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
    endif()
    set(${out} ${seconds} PARENT_SCOPE)
endfunction()

function(make_package build_dir output_dir)
    file(REMOVE_RECURSE "${output_dir}")
    run("cpack in ${build_dir}" ${package_env} "${CMAKE_CPACK_COMMAND}" -G "${PACKAGE_GENERATOR}"
        --config "${build_dir}/CPackConfig.cmake" -B "${output_dir}")
    file(GLOB packages "${output_dir}/*.deb" "${output_dir}/*.zip")
    set(package "${packages}" PARENT_SCOPE)
endfunction()

# Both packages carry the time of the last commit of the tree under test; the copy has no git.
# Only cpack is told so: the builds run as they always do.
set(package_env)
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    find_program(GIT git)
    if(GIT)
        execute_process(COMMAND "${GIT}" log -1 --format=%ct WORKING_DIRECTORY "${SOURCE_DIR}"
            OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(epoch MATCHES "^[0-9]+$")
            set(package_env "${CMAKE_COMMAND}" -E env "SOURCE_DATE_EPOCH=${epoch}")
        endif()
    endif()
endif()

run("building the tree's program" "${CMAKE_COMMAND}" --build "${BUILD_DIR}" --target zifwandler)
make_package("${BUILD_DIR}" "${WORK_DIR}/package-here")
set(first_package "${package}")

now(start)
# The copy leaves out build trees and git's data; its files get the time of copying.
set(source "${WORK_DIR}/source")
file(REMOVE_RECURSE "${source}" "${second}")
file(GLOB top RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*" "${SOURCE_DIR}/.*")
foreach(entry IN LISTS top)
    if(NOT entry MATCHES "^(build|build-.*|out|\\.git|\\.|\\.\\.)$")
        file(COPY "${SOURCE_DIR}/${entry}" DESTINATION "${source}")
    endif()
endforeach()
file(GLOB_RECURSE copied "${source}/*")
file(TOUCH_NOCREATE ${copied})
run("configuring the second build" ${env} "${CMAKE_COMMAND}" -S "${source}" -B "${second}"
    -G "${GENERATOR}" -DBUILD_TESTING=OFF ${CACHE_ARGS})
run("building the second program" ${env} "${CMAKE_COMMAND}" --build "${second}"
    --target zifwandler -j 2)
make_package("${second}" "${WORK_DIR}/package-elsewhere")
set(second_package "${package}")
now(end)
math(EXPR seconds "${end} - ${start}")
message("second build and package: ${seconds} s")

file(RELATIVE_PATH program "${BUILD_DIR}" "${PROGRAM}")
foreach(pair "${PROGRAM}|${second}/${program}" "${first_package}|${second_package}")
    string(REPLACE "|" ";" files "${pair}")
    list(GET files 0 here)
    list(GET files 1 elsewhere)
    get_filename_component(name "${here}" NAME)
    get_filename_component(other_name "${elsewhere}" NAME)
    if(NOT EXISTS "${here}" OR NOT name STREQUAL other_name)
        message(SEND_ERROR "expected ${here} in both builds, found ${elsewhere}")
        continue()
    endif()
    file(SHA256 "${here}" a)
    file(SHA256 "${elsewhere}" b)
    if(a STREQUAL b)
        message("${name}: identical (${a})")
    else()
        message(SEND_ERROR "${name} differs between the builds: ${here} and ${elsewhere} "
            "(diffoscope shows where)")
    endif()
endforeach()
