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
# Gaviota's probing code locks its cache around every probe. Built for
# Windows (NT_THREADS) that lock is a kernel mutex, whose two system calls
# cost far more than the probe: about 60 us a probe under wine, against
# 0.2 us on Linux. Its lock calls go to a critical section of ours instead.
# Gaviota's own switches do not reach this lock: SPINLOCKS only picks the
# type of its other lock, and MONOTHREAD leaves this one undeclared.
set_source_files_properties(
  ${gaviota}/gtb-probe.c PROPERTIES COMPILE_DEFINITIONS
  "mythread_mutex_init=gtb_lock_init;mythread_mutex_destroy=gtb_lock_destroy;mythread_mutex_lock=gtb_lock_lock;mythread_mutex_unlock=gtb_lock_unlock")
add_library(egbbdll MODULE tables.cpp table_check.cpp probe.cpp platform_windows.cpp
            gaviota_lock_windows.cpp egbbdll.def)
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
