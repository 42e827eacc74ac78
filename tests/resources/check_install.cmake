# Installs the build into a scratch DESTDIR under the prefix /usr and checks the tree.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${DESTDIR}")
set(ENV{DESTDIR} "${DESTDIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix /usr
    OUTPUT_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    usr/share/applications/${APP_ID}.desktop
    usr/share/metainfo/${APP_ID}.metainfo.xml
    usr/share/icons/hicolor/16x16/apps/${APP_ID}.png
    usr/share/icons/hicolor/32x32/apps/${APP_ID}.png
    usr/share/icons/hicolor/48x48/apps/${APP_ID}.png
    usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg
    usr/share/doc/zifwandler/copyright
    usr/share/man/man1/zifwandler.1.gz
    usr/share/man/de/man1/zifwandler.1.gz)
if(EXECUTABLE)
    list(APPEND expected usr/bin/zifwandler)
endif()
foreach(file IN LISTS expected)
    if(NOT EXISTS "${DESTDIR}/${file}")
        message(SEND_ERROR "missing from the install tree: ${file}")
    endif()
endforeach()

# An icon of the theme must really be as large as the folder it sits in says.
foreach(size 16 32 48)
    file(READ "${DESTDIR}/usr/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png" header
        LIMIT 24 HEX)
    string(SUBSTRING "${header}" 32 16 dimensions)
    math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REPLACE "0x" "" hex_size "${hex_size}")
    string(LENGTH "${hex_size}" digits)
    math(EXPR pad "8 - ${digits}")
    string(REPEAT "0" ${pad} zeros)
    if(NOT dimensions STREQUAL "${zeros}${hex_size}${zeros}${hex_size}")
        message(SEND_ERROR "the ${size}x${size} theme icon is not ${size}x${size}: ${dimensions}")
    endif()
endforeach()

file(STRINGS "${DESTDIR}/usr/share/applications/${APP_ID}.desktop" desktop)
foreach(line "Name=ZIF-Wandler" "Icon=${APP_ID}" "Exec=zifwandler" "Categories=Utility;Calculator;")
    if(NOT line IN_LIST desktop)
        message(SEND_ERROR "the desktop entry lacks ${line}")
    endif()
endforeach()

# Nothing lands outside the prefix.
file(GLOB top RELATIVE "${DESTDIR}" "${DESTDIR}/*")
if(NOT top STREQUAL "usr")
    message(SEND_ERROR "installed outside /usr: ${top}")
endif()

# The manual pages are roff that man reads without a complaint.
find_program(MAN man)
if(MAN)
    foreach(page usr/share/man/man1/zifwandler.1.gz usr/share/man/de/man1/zifwandler.1.gz)
        execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C.UTF-8 MANWIDTH=80
                "${MAN}" --warnings -E UTF-8 -l "${DESTDIR}/${page}"
            OUTPUT_QUIET ERROR_VARIABLE warnings RESULT_VARIABLE result)
        if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
            message(SEND_ERROR "man finds fault with ${page}:\n${warnings}")
        endif()
    endforeach()
endif()
