# The exit codes that the manual pages and the README give are those of the program's table of
# errors (app/errors.def), and 0 for a normal close.
# Usage: cmake -DERRORS=app/errors.def -DREADME=README.md "-DMAN_PAGES=a.1;b.1" -P this
file(STRINGS "${ERRORS}" _lines ENCODING UTF-8 REGEX "^ZIF_ERROR\\(")
set(_expected 0)
foreach(_line IN LISTS _lines)
    string(REGEX MATCH "^ZIF_ERROR\\(([0-9]+)," _ "${_line}")
    list(APPEND _expected "${CMAKE_MATCH_1}")
endforeach()
list(SORT _expected COMPARE NATURAL)
list(JOIN _expected ", " _expected)

# The numbers that a text gives as exit codes, sorted and without repeats.
function(exit_codes_in text result)
    string(REGEX MATCHALL "[0-9]+" _numbers "${text}")
    list(REMOVE_DUPLICATES _numbers)
    list(SORT _numbers COMPARE NATURAL)
    list(JOIN _numbers ", " _numbers)
    set(${result} "${_numbers}" PARENT_SCOPE)
endfunction()

set(_failures "")
foreach(_page IN LISTS MAN_PAGES)
    file(READ "${_page}" _text)
    # The codes are the .B lines of the section that follows .SH EXIT.
    if(NOT _text MATCHES "\n\\.SH EXIT[^\n]*\n(.*)")
        list(APPEND _failures "${_page}: no EXIT STATUS section")
        continue()
    endif()
    string(REGEX REPLACE "\n\\.SH .*" "" _section "${CMAKE_MATCH_1}")
    string(REGEX MATCHALL "\n\\.B [0-9]+" _codes "\n${_section}")
    exit_codes_in("${_codes}" _found)
    if(NOT _found STREQUAL _expected)
        list(APPEND _failures "${_page}: exit codes ${_found}, expected ${_expected}")
    endif()
endforeach()

# The README's list item that names the exit code.
file(READ "${README}" _readme)
string(REGEX MATCH "\n- [^\n]*(\n  [^\n]*)*exit code[^\n]*(\n  [^\n]*)*" _item "${_readme}")
string(REGEX REPLACE "'[0-9]+'" "" _item "${_item}")  # the report's "Laufzeitfehler '6':"
exit_codes_in("${_item}" _found)
if(NOT _found STREQUAL _expected)
    list(APPEND _failures "${README}: exit codes ${_found}, expected ${_expected}")
endif()

if(_failures)
    list(JOIN _failures "\n" _failures)
    message(FATAL_ERROR "${_failures}")
endif()
message(STATUS "exit codes ${_expected} in the manual pages and the README")
