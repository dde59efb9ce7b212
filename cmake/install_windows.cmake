# What the Windows zip holds beside korvel.exe and the egbb\ folder that
# egbb/windows.cmake installs: README.md, the licence, a korvel.cfg whose
# egbb_path finds that folder, and Gaviota's licence in it, with the CR LF
# line ends Windows editors expect. Programs and the library are stripped.
function(korvel_install_windows_text source destination name)
  file(READ ${source} content)
  string(REPLACE "\n" "\r\n" content "${content}")
  set(copy ${CMAKE_BINARY_DIR}/windows-text/${destination}/${name})
  file(WRITE ${copy} "${content}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  install(FILES ${copy} DESTINATION ${destination})
endfunction()

korvel_install_windows_text(${CMAKE_SOURCE_DIR}/README.md . README.md)
korvel_install_windows_text(${CMAKE_SOURCE_DIR}/LICENSE . LICENSE.txt)
korvel_install_windows_text(${CMAKE_SOURCE_DIR}/dist/windows/korvel.cfg . korvel.cfg)
if(TARGET egbbdll)
  korvel_install_windows_text(${KORVEL_GAVIOTA_LICENSE} egbb gaviota-license.txt)
endif()
set(CPACK_STRIP_FILES ON)
