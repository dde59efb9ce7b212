# The Windows bitbase library, egbbdll.dll (egbbdll64.dll for 64-bit
# engines): the same sources as on Linux over Gaviota's probing code built
# from Debian's source package. Linked statically, it imports only system
# DLLs. Debian's 3-piece tables go into gtb4\ beside it, where it looks for
# its shipped tables, so the build folder's egbb\ serves as an egbb_path.
include(${CMAKE_SOURCE_DIR}/cmake/gaviotatb_source.cmake)
if(NOT TARGET gaviotatb)
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KORVEL_EGBB_LIBRARY_NAME egbbdll64)
else()
  set(KORVEL_EGBB_LIBRARY_NAME egbbdll)
endif()
add_library(egbbdll MODULE tables.cpp table_check.cpp probe.cpp platform_windows.cpp egbbdll.def)
set_target_properties(egbbdll PROPERTIES PREFIX "" OUTPUT_NAME ${KORVEL_EGBB_LIBRARY_NAME}
                      SUFFIX ".dll" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/egbb)
target_include_directories(egbbdll PRIVATE ${KORVEL_EGBB_INCLUDES})
target_link_libraries(egbbdll PRIVATE gaviotatb)
add_dependencies(korvel egbbdll)

file(GLOB KORVEL_SHIPPED_TABLES ${KORVEL_GAVIOTA_TABLES_DIR}/gtb4/*.gtb.cp4)
if(NOT KORVEL_SHIPPED_TABLES)
  message(FATAL_ERROR "Debian's 3-piece tables are missing: apt-get install gaviotatb")
endif()
file(COPY ${KORVEL_SHIPPED_TABLES} DESTINATION ${CMAKE_BINARY_DIR}/egbb/gtb4)

# The zip's egbb\ folder: the library and its tables (install_windows.cmake
# adds Gaviota's licence).
install(TARGETS egbbdll LIBRARY DESTINATION egbb)
install(DIRECTORY ${CMAKE_BINARY_DIR}/egbb/gtb4 DESTINATION egbb)
