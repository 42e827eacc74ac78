# Run by cpack on the staged files before it packs them: the ZIP generator stores each file's
# modification time, so every file gets the time in SOURCE_DATE_EPOCH.
file(GLOB_RECURSE _zif_staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(_zif_file IN LISTS _zif_staged)
    execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" "${_zif_file}"
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
