# Install and packages. Everything goes into one folder, the engine's working
# folder: korvel.cfg and the book are read from there, and the default
# egbb_path (egbb/ on Linux) finds the bitbase library there.
#
#   cmake --install build --prefix ~/korvel     then  cd ~/korvel && ./korvel
#   cd build && cpack                           korvel-<version>-<system>.tar.gz / .zip
install(TARGETS korvel RUNTIME DESTINATION .)
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/install_windows.cmake)
else()
  install(FILES ${CMAKE_SOURCE_DIR}/dist/korvel.cfg ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
endif()
if(TARGET egbbso64)
  install(TARGETS egbbso64 LIBRARY DESTINATION egbb)
endif()

set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR Korvel)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Korvel chess engine (xboard and UCI)")
set(CPACK_PACKAGE_CONTACT "Korvel developers <korvel@localhost>")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/cpack_options.cmake)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
endif()
include(CPack)
