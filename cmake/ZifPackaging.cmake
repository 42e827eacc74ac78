# What `cmake --install` puts beside the program, and the downloads, made by `cpack` in a
# build tree of the project's own downloads (ZIF_RELEASE): on Linux a Debian package of
# everything installed under /usr, on Windows a zip with zifwandler.exe, the licence and a
# German read-me.
include(GNUInstallDirs)
set(_zif_package_dir "${PROJECT_BINARY_DIR}/generated/package")
get_directory_property(_zif_owner DIRECTORY resources DEFINITION ZIF_OWNER)

set(CPACK_PACKAGE_NAME "zifwandler")
# The package carries the version people see ("1.02"), not the CMake form ("1.2").
set(CPACK_PACKAGE_VERSION "${ZIF_DISPLAY_VERSION}")
set(CPACK_PACKAGE_VENDOR "${_zif_owner}")
set(CPACK_PACKAGE_CONTACT "${ZIF_PACKAGE_MAINTAINER}")
if(NOT ZIF_HOMEPAGE STREQUAL "")
    set(CPACK_PACKAGE_HOMEPAGE_URL "${ZIF_HOMEPAGE}")
endif()
# Time stamps in the archives are those of the last commit, not of the build.
configure_file("${CMAKE_CURRENT_LIST_DIR}/ZifCPackProject.cmake.in"
    "${_zif_package_dir}/ZifCPackProject.cmake" @ONLY)
set(CPACK_PROJECT_CONFIG_FILE "${_zif_package_dir}/ZifCPackProject.cmake")

file(READ "${PROJECT_SOURCE_DIR}/LICENSE" _zif_license)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/LICENSE")

if(WIN32)
    install(TARGETS zifwandler RUNTIME DESTINATION .)
    # Plain text as Notepad opens it: CRLF, and the read-me's umlauts marked as UTF-8.
    string(REPLACE "\n" "\r\n" _zif_license_crlf "${_zif_license}")
    file(WRITE "${_zif_package_dir}/LICENSE.txt" "${_zif_license_crlf}")
    file(READ "${PROJECT_SOURCE_DIR}/resources/LIESMICH.txt.in" _zif_readme)
    string(CONFIGURE "${_zif_readme}" _zif_readme @ONLY)
    string(REPLACE "\n" "\r\n" _zif_readme "${_zif_readme}")
    string(ASCII 239 187 191 _zif_utf8_bom)
    file(WRITE "${_zif_package_dir}/LIESMICH.txt" "${_zif_utf8_bom}${_zif_readme}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        "${PROJECT_SOURCE_DIR}/resources/LIESMICH.txt.in")
    install(FILES "${_zif_package_dir}/LIESMICH.txt" "${_zif_package_dir}/LICENSE.txt"
        DESTINATION .)

    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(_zif_windows_arch x86)
    else()
        set(_zif_windows_arch x64)
    endif()
    if(NOT ZIF_RELEASE)
        return()
    endif()
    set(CPACK_GENERATOR "ZIP")
    set(CPACK_PACKAGE_FILE_NAME "zifwandler-${ZIF_DISPLAY_VERSION}-windows-${_zif_windows_arch}")
    # The three files at the top: Windows' "Extract all" already makes a folder of the zip.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/ZifCPackFileTimes.cmake")
elseif(UNIX AND NOT APPLE)
    set(_zif_doc_dir "${CMAKE_INSTALL_DATADIR}/doc/zifwandler")
    find_program(ZIF_GZIP gzip REQUIRED)
    # Compressed as Debian's tools do it: best compression, no name or time in the header.
    function(zif_gzip input output)
        execute_process(COMMAND "${ZIF_GZIP}" -9 -n -c "${input}" OUTPUT_FILE "${output}"
            COMMAND_ERROR_IS_FATAL ANY)
    endfunction()

    # Machine-readable copyright file, its licence text taken from LICENSE.
    if(NOT _zif_license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.*)$")
        message(FATAL_ERROR "LICENSE has no line \"Copyright (c) <year> <owner>\"")
    endif()
    set(_zif_copyright_holder "${CMAKE_MATCH_1}")
    string(STRIP "${CMAKE_MATCH_2}" _zif_license_text)
    string(REGEX REPLACE "\n\n" "\n.\n" _zif_license_text "${_zif_license_text}")
    string(REGEX REPLACE "\n" "\n " _zif_license_text "${_zif_license_text}")
    set(_zif_copyright
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
        "Upstream-Name: ZIF-Wandler\n")
    if(NOT ZIF_HOMEPAGE STREQUAL "")
        list(APPEND _zif_copyright "Source: ${ZIF_HOMEPAGE}\n")
    endif()
    list(APPEND _zif_copyright "\nFiles: *\nCopyright: ${_zif_copyright_holder}\n"
        "License: Expat\n ${_zif_license_text}\n")
    string(CONCAT _zif_copyright ${_zif_copyright})
    file(WRITE "${_zif_package_dir}/copyright" "${_zif_copyright}")

    install(FILES "${_zif_package_dir}/copyright" DESTINATION "${_zif_doc_dir}")

    # The exit codes of the manual pages come from the program's own table of errors.
    file(STRINGS "${PROJECT_SOURCE_DIR}/app/errors.def" _zif_errors ENCODING UTF-8
        REGEX "^ZIF_ERROR\\(")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        "${PROJECT_SOURCE_DIR}/app/errors.def")
    set(ZIF_MAN_EXIT_ERRORS "")
    set(ZIF_MAN_EXIT_ERRORS_DE "")
    foreach(_zif_error IN LISTS _zif_errors)
        if(NOT _zif_error MATCHES "^ZIF_ERROR\\(([0-9]+), \"([^\"]*)\", \"([^\"]*)\"\\)$")
            message(FATAL_ERROR "app/errors.def: cannot read \"${_zif_error}\"")
        endif()
        set(_zif_german "${CMAKE_MATCH_2}")
        foreach(_zif_pair "Ü;\\(:U" "ü;\\(:u" "Ä;\\(:A" "ä;\\(:a" "Ö;\\(:O" "ö;\\(:o" "ß;\\(ss")
            list(GET _zif_pair 0 _zif_from)
            list(GET _zif_pair 1 _zif_to)
            string(REPLACE "${_zif_from}" "${_zif_to}" _zif_german "${_zif_german}")
        endforeach()
        string(APPEND ZIF_MAN_EXIT_ERRORS ".TP\n.B ${CMAKE_MATCH_1}\n${CMAKE_MATCH_3}.\n")
        string(APPEND ZIF_MAN_EXIT_ERRORS_DE ".TP\n.B ${CMAKE_MATCH_1}\n${_zif_german}.\n")
    endforeach()
    string(STRIP "${ZIF_MAN_EXIT_ERRORS}" ZIF_MAN_EXIT_ERRORS)
    string(STRIP "${ZIF_MAN_EXIT_ERRORS_DE}" ZIF_MAN_EXIT_ERRORS_DE)
    configure_file("${PROJECT_SOURCE_DIR}/docs/man/zifwandler.1.in"
        "${_zif_package_dir}/man/zifwandler.1" @ONLY)
    configure_file("${PROJECT_SOURCE_DIR}/docs/man/zifwandler.de.1.in"
        "${_zif_package_dir}/man/de/zifwandler.1" @ONLY)
    zif_gzip("${_zif_package_dir}/man/zifwandler.1" "${_zif_package_dir}/man/zifwandler.1.gz")
    zif_gzip("${_zif_package_dir}/man/de/zifwandler.1"
        "${_zif_package_dir}/man/de/zifwandler.1.gz")
    install(FILES "${_zif_package_dir}/man/zifwandler.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
    install(FILES "${_zif_package_dir}/man/de/zifwandler.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/de/man1")

    # A stripped program also loses the compilers' identification, as Debian's dh_strip does.
    if(TARGET zifwandler)
        install(CODE "
            if(CMAKE_INSTALL_DO_STRIP)
                execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                    --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:zifwandler>\"
                    COMMAND_ERROR_IS_FATAL ANY)
            endif()")
    endif()

    # The Debian changelog is signed by the package's maintainer: no maintainer, no package.
    # A distribution makes its own package, so only the project's downloads get this one.
    if(NOT ZIF_RELEASE OR ZIF_PACKAGE_MAINTAINER STREQUAL "")
        return()
    endif()
    file(WRITE "${_zif_package_dir}/changelog" "${ZIF_DEBIAN_CHANGELOG}")
    zif_gzip("${_zif_package_dir}/changelog" "${_zif_package_dir}/changelog.gz")
    install(FILES "${_zif_package_dir}/changelog.gz" DESTINATION "${_zif_doc_dir}")

    set(CPACK_GENERATOR "DEB")
    set(CPACK_STRIP_FILES ON)
    set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZIF_PACKAGE_MAINTAINER}")
    set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
    set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live converter between decimal and hexadecimal numbers")
    string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
        "ZIF-Wandler is one small window with a decimal and a hexadecimal field.\n"
        "Whatever is typed into one field appears converted in the other at each key\n"
        "release, exactly for whole, non-negative numbers of up to 32767 digits.\n"
        "The user interface is German.")
    # Libraries come from what the executable links (dpkg-shlibdeps); Qt's German texts for
    # the fields' context menus are only a recommendation of Qt and so are named here.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
    # Without it a Wayland desktop runs the program through XWayland, or, with no XWayland,
    # finds no Qt platform plugin to start it with.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
endif()

include(CPack)
