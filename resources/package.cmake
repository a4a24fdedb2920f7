# `make package`: a Debian package of the installed tree. Its library
# dependencies are worked out from the binaries by dpkg-shlibdeps; the Qt
# platform plugins and the fonts of the look are named by hand, as no binary
# links them.
include(${CMAKE_CURRENT_LIST_DIR}/fonts.cmake)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvex)
set(CPACK_PACKAGE_VERSION ${KORVEX_VERSION})
set(CPACK_PACKAGE_VENDOR "The Korvex developers")
set(CPACK_PACKAGE_CONTACT "The Korvex developers <korvex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cut audio files into WMA pieces, or join them into one")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Korvex builds a job list of audio files (WMA, MP3, Ogg Vorbis, FLAC, WAV"
  "and most other formats), plays them, lets the user mark segments, and"
  "splits every file into WMA pieces or joins files or segments into one WMA"
  "file, keeping their tags. korvex-cli does the same from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://korvex.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
list(JOIN KORVEX_FONT_PACKAGES ", " korvex_font_depends)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, ${korvex_font_depends}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
