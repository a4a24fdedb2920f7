# The help page "help/korvex.html" beside the executable. Its table of WMA
# profiles is taken from README.md's, so the two cannot drift apart.
set(korvex_help_template ${CMAKE_SOURCE_DIR}/resources/help/korvex.html.in)
set(korvex_readme ${CMAKE_SOURCE_DIR}/README.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${korvex_readme})

file(STRINGS ${korvex_readme} korvex_profile_lines REGEX "^\\| [0-9]+ \\| WMA")
list(LENGTH korvex_profile_lines korvex_profile_count)
if(NOT korvex_profile_count EQUAL 47)
  message(FATAL_ERROR "README.md lists ${korvex_profile_count} WMA profiles, the help page needs all 47")
endif()

set(KORVEX_PROFILE_ROWS "")
foreach(line IN LISTS korvex_profile_lines)
  string(REGEX REPLACE "^\\| (.*) \\|$" "\\1" cells "${line}")
  string(REPLACE "&" "&amp;" cells "${cells}")
  string(REPLACE "<" "&lt;" cells "${cells}")
  string(REPLACE " | " "</td><td>" cells "${cells}")
  string(APPEND KORVEX_PROFILE_ROWS "  <tr><td>${cells}</td></tr>\n")
endforeach()
string(STRIP "${KORVEX_PROFILE_ROWS}" KORVEX_PROFILE_ROWS)
configure_file(${korvex_help_template} ${CMAKE_BINARY_DIR}/help/korvex.html @ONLY)
