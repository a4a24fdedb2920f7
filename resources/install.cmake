# The default skin. Its sources in resources/skin/ become two things: the skin
# file "mp3enc.dll" beside the executable (a binary Qt resource bundle made by
# rcc, see resources/SKIN-FORMAT.md) and the built-in copy compiled into the
# widget layer, used when that file is missing or broken.
file(GLOB_RECURSE KORVEX_SKIN_FILES CONFIGURE_DEPENDS
     RELATIVE ${CMAKE_SOURCE_DIR}/resources/skin ${CMAKE_SOURCE_DIR}/resources/skin/*)
list(SORT KORVEX_SKIN_FILES)

set(korvex_skin_qrc_entries "")
set(korvex_skin_sources "")
foreach(skin_file IN LISTS KORVEX_SKIN_FILES)
  string(APPEND korvex_skin_qrc_entries
         "    <file alias=\"${skin_file}\">${CMAKE_SOURCE_DIR}/resources/skin/${skin_file}</file>\n")
  list(APPEND korvex_skin_sources ${CMAKE_SOURCE_DIR}/resources/skin/${skin_file})
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/mp3enc.qrc
     CONTENT "<RCC>\n  <qresource prefix=\"/\">\n${korvex_skin_qrc_entries}  </qresource>\n</RCC>\n")

add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/mp3enc.dll
  COMMAND Qt6::rcc --binary ${CMAKE_BINARY_DIR}/mp3enc.qrc -o ${CMAKE_BINARY_DIR}/mp3enc.dll
  DEPENDS ${CMAKE_BINARY_DIR}/mp3enc.qrc ${korvex_skin_sources}
  COMMENT "Building the default skin file mp3enc.dll")
add_custom_target(korvex_skin_file ALL DEPENDS ${CMAKE_BINARY_DIR}/mp3enc.dll)
add_dependencies(korvex korvex_skin_file)

qt_add_resources(korvex_ui korvex_builtin_skin
  PREFIX /korvex/default-skin
  BASE ${CMAKE_SOURCE_DIR}/resources/skin
  FILES ${korvex_skin_sources})

# The help page beside the executable.
include(${CMAKE_SOURCE_DIR}/resources/help/help.cmake)

# The installed tree (make install) with its desktop entry, icon, AppStream
# description and manual pages, and the Debian package made from it.
include(${CMAKE_SOURCE_DIR}/resources/desktop/desktop.cmake)
include(${CMAKE_SOURCE_DIR}/resources/package.cmake)
