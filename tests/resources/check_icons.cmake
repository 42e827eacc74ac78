# Re-renders every raster form of the icon into WORK_DIR and compares it byte for byte with
cmake_minimum_required(VERSION 3.25)
# the files committed under SOURCE_DIR.
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${PYTHON}" "${SOURCE_DIR}/make-icons" --output-dir "${WORK_DIR}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "make-icons failed: ${result}")
endif()

file(GLOB_RECURSE made RELATIVE "${WORK_DIR}" "${WORK_DIR}/*")
file(GLOB committed RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/icons/*" "${SOURCE_DIR}/*.ico")
list(SORT made)
list(SORT committed)
if(NOT made STREQUAL committed)
    message(FATAL_ERROR "make-icons writes [${made}] but the repository holds [${committed}]")
endif()
foreach(file IN LISTS made)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
        "${WORK_DIR}/${file}" "${SOURCE_DIR}/${file}" RESULT_VARIABLE different)
    if(different)
        message(SEND_ERROR "${file} differs from what make-icons writes now")
    endif()
endforeach()
