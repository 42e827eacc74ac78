# zif_run_cpack(<generator>): builds the package of BUILD_DIR's configuration with CPack into a
# fresh WORK_DIR, or stops the check with CPack's output.
function(zif_run_cpack generator)
    file(REMOVE_RECURSE "${WORK_DIR}")
    execute_process(COMMAND "${CPACK}" -G ${generator} --config "${BUILD_DIR}/CPackConfig.cmake"
        -B "${WORK_DIR}" OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "cpack failed:\n${output}")
    endif()
endfunction()
