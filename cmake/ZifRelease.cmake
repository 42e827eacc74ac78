# What a release carries beside its code: the date and items from CHANGELOG.md, who packages
# it and where it lives, and, in the project's own downloads (ZIF_RELEASE), the build settings
# that harden the program and make two builds of one commit give the same files byte for byte.

# The packager's identity is given, never guessed; Debian's tools read it from DEBFULLNAME and
# DEBEMAIL, so those are its default.
set(_zif_maintainer_default "")
if(NOT "$ENV{DEBFULLNAME}" STREQUAL "" AND NOT "$ENV{DEBEMAIL}" STREQUAL "")
    set(_zif_maintainer_default "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
endif()
set(ZIF_PACKAGE_MAINTAINER "${_zif_maintainer_default}" CACHE STRING
    "Maintainer of the Debian package, \"Name <address>\"; empty: no Debian package")
set(ZIF_HOMEPAGE "" CACHE STRING
    "The project's web page; empty: the package and the metainfo name none")
set(ZIF_SCREENSHOT_URL "" CACHE STRING
    "Address of a screenshot that software centres show; empty: the metainfo names none")

# Days since 1970-01-01 of a date in the proleptic Gregorian calendar (Howard Hinnant's
# days_from_civil, years from 1 on).
function(zif_days_from_civil year month day out)
    if(month LESS_EQUAL 2)
        math(EXPR year "${year} - 1")
    endif()
    math(EXPR era "${year} / 400")
    math(EXPR year_of_era "${year} - ${era} * 400")
    math(EXPR shifted_month "(${month} + 9) % 12")
    math(EXPR day_of_year "(153 * ${shifted_month} + 2) / 5 + ${day} - 1")
    math(EXPR day_of_era
        "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
    math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
    set(${out} ${days} PARENT_SCOPE)
endfunction()

# Reads CHANGELOG.md into ZIF_RELEASE_DATE (the newest release's YYYY-MM-DD),
# ZIF_RELEASE_EPOCH (that day's midnight, UTC) and ZIF_DEBIAN_CHANGELOG (every release as an
# entry of a Debian changelog signed by the package's maintainer).
# Only a release stops on a fault in it; any other build takes the date and goes on.
function(zif_read_changelog file maintainer)
    if(ZIF_RELEASE)
        set(severity FATAL_ERROR)
    else()
        set(severity WARNING)
    endif()
    file(READ "${file}" text)
    set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
    # Lines without the list separator, so that a semicolon in an item stays text.
    string(REPLACE ";" "\\;" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(debian "")
    set(version "")
    set(newest_version "")
    set(newest_date "")
    set(newest_epoch "")
    set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
    foreach(line IN LISTS lines)
        if(line MATCHES "^## ([0-9][0-9.]*) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
            if(NOT version STREQUAL "")
                string(APPEND debian "\n -- ${maintainer}  ${date}\n\n")
            endif()
            set(version "${CMAKE_MATCH_1}")
            set(iso "${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4}")
            math(EXPR month "${CMAKE_MATCH_3}")
            math(EXPR day "${CMAKE_MATCH_4}")
            zif_days_from_civil(${CMAKE_MATCH_2} ${month} ${day} days)
            math(EXPR epoch "${days} * 86400")
            set(ENV{SOURCE_DATE_EPOCH} ${epoch})
            string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
            if(newest_version STREQUAL "")
                set(newest_version "${version}")
                set(newest_date "${iso}")
                set(newest_epoch "${epoch}")
            endif()
            string(APPEND debian "zifwandler (${version}) unstable; urgency=medium\n\n")
        elseif(version STREQUAL "")
            continue()
        elseif(line MATCHES "^- (.*)$")
            string(APPEND debian "  * ${CMAKE_MATCH_1}\n")
        elseif(line MATCHES "^  (.*)$")
            string(APPEND debian "    ${CMAKE_MATCH_1}\n")
        elseif(NOT line STREQUAL "")
            message(${severity} "${file}: neither a release heading nor an item: ${line}")
        endif()
    endforeach()
    set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")
    if(newest_version STREQUAL "")
        message(FATAL_ERROR "${file} names no release")
    endif()
    if(NOT newest_version STREQUAL ZIF_DISPLAY_VERSION)
        message(${severity} "The newest release in ${file} is ${newest_version}, "
            "the project's version is ${ZIF_DISPLAY_VERSION}: add its entry first")
    endif()
    string(APPEND debian "\n -- ${maintainer}  ${date}\n")
    set(ZIF_RELEASE_DATE "${newest_date}" PARENT_SCOPE)
    set(ZIF_RELEASE_EPOCH "${newest_epoch}" PARENT_SCOPE)
    set(ZIF_DEBIAN_CHANGELOG "${debian}" PARENT_SCOPE)
endfunction()

find_package(Git QUIET)
if(ZIF_PACKAGE_MAINTAINER STREQUAL "")
    message(STATUS "No package maintainer given (ZIF_PACKAGE_MAINTAINER): no Debian package")
elseif(NOT ZIF_PACKAGE_MAINTAINER MATCHES "^[^<>@]+ <[^<>@ ]+@[^<>@ ]+>$")
    message(FATAL_ERROR "ZIF_PACKAGE_MAINTAINER is not \"Name <address>\": ${ZIF_PACKAGE_MAINTAINER}")
endif()
zif_read_changelog("${PROJECT_SOURCE_DIR}/CHANGELOG.md" "${ZIF_PACKAGE_MAINTAINER}")

if(NOT ZIF_RELEASE)
    return()
endif()
# A flag the caller already sets is theirs: added again, it would repeat or, for a macro,
# redefine it (a warning, fatal with warnings as errors).
set(_zif_cxx_flags "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_RELEASE}")
set(_zif_link_flags "${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_RELEASE}")

# No folder of the checkout in a release's objects: the compiler writes paths relative to the
# source and build folders. Builds with debug information keep them whole for the debugger.
if(NOT _zif_cxx_flags MATCHES "-f(file|debug|macro)-prefix-map=")
    add_compile_options("$<$<CONFIG:Release>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
        "$<$<CONFIG:Release>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
endif()
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # A PE header's time stamp would make every link differ.
    if(NOT _zif_link_flags MATCHES "insert-timestamp")
        add_link_options(LINKER:--no-insert-timestamp)
    endif()
elseif(UNIX AND NOT APPLE)
    # As Debian builds: copies into buffers of known size checked, relocations resolved at
    # start and their table read-only after it. Some compilers define _FORTIFY_SOURCE
    # themselves when optimizing (Ubuntu's, Fedora's), so it is asked of the compiler, not
    # read from the flags.
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_FLAGS "${CMAKE_CXX_FLAGS_RELEASE}")
    set(CMAKE_REQUIRED_QUIET ON)
    unset(ZIF_FORTIFY_SOURCE_UNSET CACHE)
    check_cxx_source_compiles("#ifdef _FORTIFY_SOURCE\n#error set\n#endif\nint main() {}"
        ZIF_FORTIFY_SOURCE_UNSET)
    unset(CMAKE_REQUIRED_FLAGS)
    unset(CMAKE_REQUIRED_QUIET)
    if(ZIF_FORTIFY_SOURCE_UNSET)
        add_compile_definitions("$<$<CONFIG:Release>:_FORTIFY_SOURCE=2>")
    endif()
    if(NOT _zif_link_flags MATCHES "relro")
        add_link_options(LINKER:-z,relro)
    endif()
    if(NOT _zif_link_flags MATCHES "-z[ ,]*now")
        add_link_options(LINKER:-z,now)
    endif()
endif()
