# Builds the Debian package with CPack and inspects it with dpkg-deb.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/run_cpack.cmake")
zif_run_cpack(DEB)
file(GLOB debs "${WORK_DIR}/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package, found: ${debs}")
endif()

execute_process(COMMAND "${DPKG_DEB}" -f "${debs}" Package Version Section Depends Recommends
        Maintainer Homepage
    OUTPUT_VARIABLE fields COMMAND_ERROR_IS_FATAL ANY)
# The German context menu needs Qt's translations, which Qt itself only recommends; a Wayland
# desktop needs Qt's Wayland platform plugin.
foreach(pattern "Package: zifwandler\n" "Version: 1\\.02\n" "Section: utils\n"
        "Depends: [^\n]*libc6" "Depends: [^\n]*libqt6widgets6"
        "Depends: ([^\n]*, )?qt6-translations-l10n(,|\n)"
        "Recommends: ([^\n]*, )?qt6-wayland(,|\n)")
    if(NOT fields MATCHES "${pattern}")
        message(SEND_ERROR "package control lacks ${pattern}:\n${fields}")
    endif()
endforeach()
string(FIND "${fields}" "Maintainer: ${MAINTAINER}\n" at)
if(at EQUAL -1)
    message(SEND_ERROR "the maintainer is not ${MAINTAINER}:\n${fields}")
endif()
if(HOMEPAGE STREQUAL "" AND fields MATCHES "Homepage:")
    message(SEND_ERROR "no homepage was given, yet the package names one:\n${fields}")
endif()

execute_process(COMMAND "${DPKG_DEB}" -c "${debs}" OUTPUT_VARIABLE contents COMMAND_ERROR_IS_FATAL ANY)
foreach(file "./usr/bin/zifwandler" "./usr/share/applications/${APP_ID}.desktop"
        "./usr/share/metainfo/${APP_ID}.metainfo.xml"
        "./usr/share/icons/hicolor/48x48/apps/${APP_ID}.png"
        "./usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg"
        "./usr/share/doc/zifwandler/copyright" "./usr/share/doc/zifwandler/changelog.gz"
        "./usr/share/man/man1/zifwandler.1.gz" "./usr/share/man/de/man1/zifwandler.1.gz")
    string(FIND "${contents}" " ${file}\n" at)
    if(at EQUAL -1)
        message(SEND_ERROR "package lacks ${file}:\n${contents}")
    endif()
endforeach()

# What the package says about the release agrees with CHANGELOG.md and LICENSE.
set(root "${WORK_DIR}/root")
execute_process(COMMAND "${DPKG_DEB}" -x "${debs}" "${root}" COMMAND_ERROR_IS_FATAL ANY)
file(STRINGS "${SOURCE_DIR}/CHANGELOG.md" heading REGEX "^## " LIMIT_COUNT 1)
string(REGEX MATCH "\\(([0-9-]+)\\)" _ "${heading}")
set(release_date "${CMAKE_MATCH_1}")
file(READ "${root}/usr/share/metainfo/${APP_ID}.metainfo.xml" metainfo)
if(NOT metainfo MATCHES "<release version=\"1\\.02\" date=\"${release_date}\"/>")
    message(SEND_ERROR "the metainfo's release is not 1.02 of ${release_date}:\n${metainfo}")
endif()
if(HOMEPAGE STREQUAL "" AND metainfo MATCHES "https?:")
    message(SEND_ERROR "no address was given, yet the metainfo names one:\n${metainfo}")
endif()

file(READ "${root}/usr/share/doc/zifwandler/copyright" copyright)
file(READ "${SOURCE_DIR}/LICENSE" license)
string(REGEX MATCH "\nCopyright \\(c\\) ([^\n]+)\n\n(.*)" _ "${license}")
set(holder "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" license_text)
if(NOT copyright MATCHES "\nCopyright: ${holder}\nLicense: Expat\n")
    message(SEND_ERROR "the copyright file does not name ${holder} under Expat:\n${copyright}")
endif()
# The licence paragraph, unfolded, is the text of LICENSE.
string(REGEX REPLACE ".*\nLicense: Expat\n" "" paragraph "${copyright}")
string(REGEX REPLACE "\n \\.\n" "\n\n" paragraph "${paragraph}")
string(REGEX REPLACE "\n " "\n" paragraph "\n${paragraph}")
string(STRIP "${paragraph}" paragraph)
if(NOT paragraph STREQUAL license_text)
    message(SEND_ERROR "the copyright file's licence text is not that of LICENSE:\n${paragraph}")
endif()

execute_process(COMMAND gzip -dc "${root}/usr/share/doc/zifwandler/changelog.gz"
    OUTPUT_VARIABLE changelog COMMAND_ERROR_IS_FATAL ANY)
if(NOT changelog MATCHES "^zifwandler \\(1\\.02\\) [a-z]+; urgency=[a-z]+\n")
    message(SEND_ERROR "the changelog does not start with 1.02:\n${changelog}")
endif()
