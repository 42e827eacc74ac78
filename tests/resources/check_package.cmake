# Builds the Debian package with CPack and inspects it with dpkg-deb.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}"
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()
file(GLOB debs "${WORK_DIR}/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package, found: ${debs}")
endif()

execute_process(COMMAND "${DPKG_DEB}" -f "${debs}" Package Version Section Depends Maintainer
    OUTPUT_VARIABLE fields COMMAND_ERROR_IS_FATAL ANY)
foreach(pattern "Package: zifwandler\n" "Version: 1\\.02\n" "Section: utils\n"
        "Depends: [^\n]*libc6" "Depends: [^\n]*libqt6widgets6" "Maintainer: [^\n]+<")
    if(NOT fields MATCHES "${pattern}")
        message(SEND_ERROR "package control lacks ${pattern}:\n${fields}")
    endif()
endforeach()

execute_process(COMMAND "${DPKG_DEB}" -c "${debs}" OUTPUT_VARIABLE contents COMMAND_ERROR_IS_FATAL ANY)
foreach(file "./usr/bin/zifwandler" "./usr/share/applications/${APP_ID}.desktop"
        "./usr/share/metainfo/${APP_ID}.metainfo.xml"
        "./usr/share/icons/hicolor/48x48/apps/${APP_ID}.png"
        "./usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg")
    string(FIND "${contents}" " ${file}\n" at)
    if(at EQUAL -1)
        message(SEND_ERROR "package lacks ${file}:\n${contents}")
    endif()
endforeach()
