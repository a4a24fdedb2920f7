# The fonts the look asks for (the skin, the dialogs' style sheets): DejaVu
# Sans, Sans Mono and Sans Condensed. The package depends on the Debian
# packages that bring them, the Makefile installs them for `make run`, and the
# window's tests see exactly these packages' fonts (fontconfig file below), so
# a layout that fits in the tests fits on a clean install.
include_guard(GLOBAL)

set(KORVEX_FONT_PACKAGES fonts-dejavu-core fonts-dejavu-extra)

# Writes ${CMAKE_BINARY_DIR}/package-fonts/fonts.conf: a fontconfig file
# whose one font folder links the font files of KORVEX_FONT_PACKAGES, and
# sets KORVEX_PACKAGE_FONTS_CONF to it; empty when dpkg cannot list them.
function(korvex_write_package_fonts_conf)
  set(folder ${CMAKE_BINARY_DIR}/package-fonts)
  set(KORVEX_PACKAGE_FONTS_CONF "" PARENT_SCOPE)
  find_program(DPKG_QUERY dpkg-query)
  if(NOT DPKG_QUERY)
    message(STATUS "No dpkg-query: the window's tests use every installed font")
    return()
  endif()
  execute_process(COMMAND ${DPKG_QUERY} -L ${KORVEX_FONT_PACKAGES}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE result ERROR_QUIET)
  if(NOT result EQUAL 0)
    message(WARNING "Install ${KORVEX_FONT_PACKAGES}: without them the window's tests use every installed font")
    return()
  endif()
  file(REMOVE_RECURSE ${folder})
  file(MAKE_DIRECTORY ${folder}/fonts)
  string(REPLACE "\n" ";" paths "${listing}")
  foreach(path IN LISTS paths)
    if(path MATCHES "\\.(ttf|otf)$" AND EXISTS "${path}")
      get_filename_component(name "${path}" NAME)
      file(CREATE_LINK "${path}" ${folder}/fonts/${name} SYMBOLIC)
    endif()
  endforeach()
  # The system's rules (aliases such as sans-serif, hinting) without its
  # font folders, which /etc/fonts/fonts.conf itself names.
  file(WRITE ${folder}/fonts.conf
       "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig>\n"
       "  <dir>${folder}/fonts</dir>\n  <cachedir>${folder}/cache</cachedir>\n"
       "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n</fontconfig>\n")
  set(KORVEX_PACKAGE_FONTS_CONF ${folder}/fonts.conf PARENT_SCOPE)
endfunction()
