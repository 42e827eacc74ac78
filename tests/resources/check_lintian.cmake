# Runs lintian on the package that the debian_package test built. Any error or warning fails;
# so does an informational or pedantic tag that is not listed below with the reason it stays.
cmake_minimum_required(VERSION 3.25)

# Tags that are accepted, each with its reason. None at present: lintian 2.116 (Debian 12)
# reports nothing on the package, not even with --pedantic. What was reported before and how
# it went away: no-copyright-file (the machine-readable copyright file made from LICENSE),
# no-changelog (CHANGELOG.md as a Debian changelog), no-manual-page (docs/man),
# extended-description-line-too-long (English description, lines under 80 characters),
# hardening-no-bindnow (linked with -z now), hardening-no-fortify-functions (built with
# _FORTIFY_SOURCE=2), binary-has-unneeded-section .comment (removed
# when the package is stripped).
set(accepted)

file(GLOB debs "${WORK_DIR}/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected the one package that debian_package builds, found: ${debs}")
endif()
execute_process(COMMAND "${LINTIAN}" --display-info --pedantic --tag-display-limit 0 ${debs}
    OUTPUT_VARIABLE output RESULT_VARIABLE result)
message("${output}")
if(NOT result EQUAL 0 AND NOT output MATCHES "(^|\n)[EW]: ")
    message(FATAL_ERROR "lintian did not run: ${result}")
endif()

string(REPLACE "\n" ";" lines "${output}")
foreach(line IN LISTS lines)
    if(line MATCHES "^([EW]): ")
        message(SEND_ERROR "lintian: ${line}")
    elseif(line MATCHES "^[IPX]: [^ ]+: ([^ ]+)")
        if(NOT CMAKE_MATCH_1 IN_LIST accepted)
            message(SEND_ERROR "lintian tag not listed as accepted: ${line}")
        endif()
    endif()
endforeach()
