cmake_minimum_required(VERSION 3.25)
# Checks that no value is spliced into a statement (run by ctest with
# -DSOURCE_DIR=<checkout>): every value from a user or a file is bound to a
# "?" of its statement (SqlParams, core/DBTools.h). In src/ and tools/ it
# looks for
#   - a call of SqlQuote, which doubles the quotes of a text to be spliced;
#   - a statement's text that opens a quoted literal and closes the C++
#     literal to splice something after it: = '" +   ('" +   , '" +   like '%" +
# Names (tables, columns) are not values: zorvadata::quoteIdentifier quotes
# them.
#
# Known places still to convert, each allowed until it has been (none left):
set(_known_places)

file(GLOB_RECURSE _files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h
     ${SOURCE_DIR}/tools/*.cpp ${SOURCE_DIR}/tools/*.h)
set(_faults)
set(_clean_known)
foreach(_rel ${_files})
  if(_rel MATCHES "^src/core/DBTools\\.(h|cpp)$")
    # SqlQuote's own declaration and definition.
    file(STRINGS ${SOURCE_DIR}/${_rel} _lines REGEX "SqlQuote\\(|(=|\\(|,|[Ll][Ii][Kk][Ee])[ \t]*'%?\"[ \t]*\\+")
    list(FILTER _lines EXCLUDE REGEX "std::string SqlQuote\\(std::string_view text\\)")
  else()
    file(STRINGS ${SOURCE_DIR}/${_rel} _lines REGEX "SqlQuote\\(|(=|\\(|,|[Ll][Ii][Kk][Ee])[ \t]*'%?\"[ \t]*\\+")
  endif()
  if(_rel IN_LIST _known_places)
    if(NOT _lines)
      list(APPEND _clean_known ${_rel})
    endif()
    continue()
  endif()
  foreach(_line ${_lines})
    string(STRIP "${_line}" _line)
    if(_line STREQUAL "")  # the rest of a line after its ";"
      continue()
    endif()
    list(APPEND _faults "${_rel}: ${_line}")
  endforeach()
endforeach()
if(_clean_known)
  message(STATUS "splices: no longer any in ${_clean_known}; take them off the known places")
endif()
if(_faults)
  list(JOIN _faults "\n  " _text)
  message(FATAL_ERROR "Values spliced into statements (bind them to a \"?\" with SqlParams):\n  ${_text}")
endif()
message(STATUS "splices: no value spliced into a statement outside the known places")
