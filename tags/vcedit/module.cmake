# The Vorbis comment library, loaded by the Ogg reader for each file it reads.
# It sits in the build root beside korvex, and in an installed tree in the
# module folder, where the reader looks for it; KORVEX_VCEDIT overrides the
# place (the tests point it here).
add_library(vcedit MODULE ${CMAKE_CURRENT_LIST_DIR}/vcedit.cpp ${CMAKE_CURRENT_LIST_DIR}/vcedit.h)
set_target_properties(vcedit PROPERTIES
  PREFIX ""
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  CXX_VISIBILITY_PRESET hidden)
target_include_directories(vcedit PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(vcedit PRIVATE PkgConfig::VORBIS)
# Named even though no symbol of the C library is called directly, so the
# module says which C library it was built for (a shared object without it is
# refused by Debian's package checks).
target_link_options(vcedit PRIVATE "LINKER:--push-state,--no-as-needed,-lc,--pop-state")
# Everything that reads Ogg tags links the core, so building the core first
# builds the module too.
add_dependencies(korvex_core vcedit)
install(TARGETS vcedit LIBRARY DESTINATION ${KORVEX_INSTALL_MODULEDIR})
