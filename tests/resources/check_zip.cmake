# Builds the Windows zip with CPack and checks what a user unpacks: the program, the licence
# and the German read-me, as plain text with CRLF line ends.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/run_cpack.cmake")
zif_run_cpack(ZIP)
file(GLOB zips RELATIVE "${WORK_DIR}" "${WORK_DIR}/*.zip")
if(NOT zips MATCHES "^zifwandler-1\\.02-windows-x(86|64)\\.zip$")
    message(FATAL_ERROR "expected one zifwandler-1.02-windows-<arch>.zip, found: ${zips}")
endif()

set(root "${WORK_DIR}/root")
file(MAKE_DIRECTORY "${root}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tf "${WORK_DIR}/${zips}"
    OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
string(STRIP "${listing}" listing)
string(REPLACE "\n" ";" entries "${listing}")
list(SORT entries)
if(NOT entries STREQUAL "LICENSE.txt;LIESMICH.txt;zifwandler.exe")
    message(SEND_ERROR "the zip should hold exactly LICENSE.txt, LIESMICH.txt and "
        "zifwandler.exe at its top, it holds: ${entries}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${WORK_DIR}/${zips}"
    WORKING_DIRECTORY "${root}" COMMAND_ERROR_IS_FATAL ANY)

file(SHA256 "${EXE}" built)
file(SHA256 "${root}/zifwandler.exe" packed)
if(NOT built STREQUAL packed)
    message(SEND_ERROR "zifwandler.exe in the zip is not the one that was built")
endif()

# Text files: the same text as their sources, every line ended by CRLF. (file(READ) drops the
# CR of a CRLF, so the ends are counted through the file's size.)
function(check_text file expected)
    file(READ "${root}/${file}" text)
    if(NOT text STREQUAL expected)
        message(SEND_ERROR "${file} is not its source's text:\n${text}")
    endif()
    string(REGEX MATCHALL "\n" line_ends "${expected}")
    list(LENGTH line_ends lines)
    string(LENGTH "${expected}" length)
    file(SIZE "${root}/${file}" size)
    math(EXPR crlf_size "${length} + ${lines}")
    if(NOT size EQUAL crlf_size)
        message(SEND_ERROR "${file} has ${size} bytes, with CRLF line ends it would have ${crlf_size}")
    endif()
endfunction()

file(READ "${SOURCE_DIR}/LICENSE" license)
check_text(LICENSE.txt "${license}")

# The read-me starts with a UTF-8 byte order mark, so that every Notepad reads its umlauts
# right, and names the version it comes with.
file(READ "${root}/LIESMICH.txt" head LIMIT 3 HEX)
if(NOT head STREQUAL "efbbbf")
    message(SEND_ERROR "LIESMICH.txt does not start with a UTF-8 byte order mark: ${head}")
endif()
file(READ "${SOURCE_DIR}/resources/LIESMICH.txt.in" readme)
string(REPLACE "@ZIF_DISPLAY_VERSION@" "1.02" readme "${readme}")
string(ASCII 239 187 191 bom)
check_text(LIESMICH.txt "${bom}${readme}")
