# Install and packages.
#
# The one folder (cmake --install, the .tar.gz and the .zip): everything in
# the engine's working folder, where korvel.cfg and the book are read and
# the default egbb_path (egbb/ on Linux) finds the bitbase library.
#
#   cmake --install build --prefix ~/korvel     then  cd ~/korvel && ./korvel
#   cd build && cpack                           korvel-<version>-<system>.tar.gz / .zip
#
# The Debian package (component "debian", left out of the folder): the
# engine in /usr/games and the bitbase library in a folder of its own under
# /usr/lib/games, which the packaged engine's own default egbb_path names, so that
# it finds the library from whatever working folder a GUI gives it.
install(TARGETS korvel RUNTIME DESTINATION .)
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/install_windows.cmake)
else()
  install(FILES ${CMAKE_SOURCE_DIR}/dist/korvel.cfg ${CMAKE_SOURCE_DIR}/README.md
                ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)
endif()
if(TARGET egbbso64)
  install(TARGETS egbbso64 LIBRARY DESTINATION egbb)
endif()

set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR Korvel)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess engine for xboard and UCI interfaces")
set(CPACK_PACKAGE_CONTACT "Korvel developers <developers@korvel-chess.invalid>")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/cpack_options.cmake)
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
  set(CPACK_GENERATOR ZIP)
else()
  include(cmake/debian.cmake)
  set(CPACK_GENERATOR TGZ DEB)
endif()
include(CPack)
