# What a desktop needs besides the programs: the menu entry, the icon in the
# sizes themes look for, the AppStream description and the manual pages. The
# build writes them under share/ in the build folder, the tests read them
# there, and install() puts them in place.
set(KORVEX_APP_ID org.example.korvex)
set(korvex_desktop_dir ${CMAKE_SOURCE_DIR}/resources/desktop)
set(korvex_share_dir ${CMAKE_BINARY_DIR}/share)

configure_file(${korvex_desktop_dir}/${KORVEX_APP_ID}.metainfo.xml.in
               ${korvex_share_dir}/metainfo/${KORVEX_APP_ID}.metainfo.xml @ONLY)
configure_file(${korvex_desktop_dir}/${KORVEX_APP_ID}.desktop
               ${korvex_share_dir}/applications/${KORVEX_APP_ID}.desktop COPYONLY)
configure_file(${korvex_desktop_dir}/korvex.svg
               ${korvex_share_dir}/icons/hicolor/scalable/apps/${KORVEX_APP_ID}.svg COPYONLY)

# The PNG sizes are drawn from the SVG by Qt's own renderer.
add_executable(korvex-render-icon ${korvex_desktop_dir}/render_icon.cpp)
target_link_libraries(korvex-render-icon PRIVATE Qt6::Gui Qt6::Svg)
set(korvex_icon_pngs "")
foreach(side 16 24 32 48 64 128 256)
  set(png ${korvex_share_dir}/icons/hicolor/${side}x${side}/apps/${KORVEX_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${korvex_share_dir}/icons/hicolor/${side}x${side}/apps
    # a sanitised build must not fail on what Qt keeps until exit
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:korvex-render-icon> ${korvex_desktop_dir}/korvex.svg ${side} ${png}
    DEPENDS korvex-render-icon ${korvex_desktop_dir}/korvex.svg
    COMMENT "Drawing the ${side} px icon")
  list(APPEND korvex_icon_pngs ${png})
endforeach()

# Manual pages, compressed as Debian keeps them.
set(korvex_man_pages "")
foreach(page korvex korvex-cli)
  set(source ${CMAKE_BINARY_DIR}/man/${page}.1)
  configure_file(${CMAKE_SOURCE_DIR}/resources/man/${page}.1.in ${source} @ONLY)
  add_custom_command(OUTPUT ${source}.gz
    COMMAND gzip -9 -n -c ${source} > ${source}.gz
    DEPENDS ${source}
    COMMENT "Compressing the manual page ${page}(1)")
  list(APPEND korvex_man_pages ${source}.gz)
endforeach()

# The package's changelog, compressed as Debian keeps it (gzip -9n: no name,
# no time stamp, so the same sources give the same file).
configure_file(${CMAKE_SOURCE_DIR}/resources/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
  COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/doc/changelog -c > ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog
  COMMENT "Compressing the changelog")

add_custom_target(korvex_desktop_files ALL DEPENDS ${korvex_icon_pngs} ${korvex_man_pages}
                  ${CMAKE_BINARY_DIR}/doc/changelog.gz)

install(TARGETS korvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET korvex-cli)
  install(TARGETS korvex-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_BINARY_DIR}/mp3enc.dll DESTINATION ${KORVEX_INSTALL_DATADIR})
install(FILES ${CMAKE_BINARY_DIR}/help/korvex.html DESTINATION ${KORVEX_INSTALL_DATADIR}/help)
install(DIRECTORY ${korvex_share_dir}/applications ${korvex_share_dir}/metainfo ${korvex_share_dir}/icons
        DESTINATION ${CMAKE_INSTALL_DATADIR})
install(FILES ${korvex_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/resources/copyright
              ${CMAKE_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvex)
