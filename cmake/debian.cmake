# The Debian package, laid out as Debian lays out its games: /usr/games, a
# manual page in section 6, /usr/share/doc/korvel, and an entry in xboard's
# list of engines.
set(KORVEL_DEBIAN_PREFIX /usr)
# Debian keeps the architecture-dependent files of games in /usr/lib/games.
set(KORVEL_DEBIAN_LIBRARY_DIR lib/games/korvel)

# The packaged engine: the same objects, with the platform file built for
# the library's system folder.
add_executable(korvel_packaged src/main.cpp ${KORVEL_PLATFORM_SOURCE})
target_link_libraries(korvel_packaged PRIVATE korvel_objects ${CMAKE_DL_LIBS})
target_compile_definitions(korvel_packaged PRIVATE
  KORVEL_PACKAGED_EGBB_PATH="${KORVEL_DEBIAN_PREFIX}/${KORVEL_DEBIAN_LIBRARY_DIR}/")
set_target_properties(korvel_packaged PROPERTIES OUTPUT_NAME korvel
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/packaged)

# Debian wants the manual page and the changelog compressed, without names
# or times in the gzip header.
set(KORVEL_DEBIAN_DIR ${CMAKE_SOURCE_DIR}/dist/debian)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaged)
foreach(file korvel.6 changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KORVEL_DEBIAN_DIR}/${file})
  execute_process(COMMAND gzip -9nc ${KORVEL_DEBIAN_DIR}/${file}
                  OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaged/${file}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()

set(KORVEL_DEBIAN_INSTALL COMPONENT debian EXCLUDE_FROM_ALL)
install(TARGETS korvel_packaged RUNTIME DESTINATION games ${KORVEL_DEBIAN_INSTALL})
if(TARGET egbbso64)
  install(TARGETS egbbso64 LIBRARY DESTINATION ${KORVEL_DEBIAN_LIBRARY_DIR}
          ${KORVEL_DEBIAN_INSTALL})
endif()
install(FILES ${CMAKE_BINARY_DIR}/packaged/korvel.6.gz DESTINATION share/man/man6
        ${KORVEL_DEBIAN_INSTALL})
install(FILES ${KORVEL_DEBIAN_DIR}/copyright ${CMAKE_BINARY_DIR}/packaged/changelog.gz
              ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION share/doc/korvel ${KORVEL_DEBIAN_INSTALL})
install(FILES ${CMAKE_SOURCE_DIR}/dist/korvel.cfg DESTINATION share/doc/korvel/examples
        ${KORVEL_DEBIAN_INSTALL})

set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The bitbase library reads Debian's Gaviota tables.
set(CPACK_DEBIAN_PACKAGE_DEPENDS gaviotatb)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xboard | polyglot")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Korvel is a console chess engine. A chess interface drives it through the\n"
    "xboard protocol or UCI. At a terminal it has a small command set of its own\n"
    "for positions, searches, perft, evaluation and exchange probes, EPD test\n"
    "suites and building an opening book from PGN games. It probes endgame\n"
    "bitbases read from the Gaviota tables of the gaviotatb package.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGING_PREFIX ${KORVEL_DEBIAN_PREFIX})
