# Gaviota's probing code for the Windows builds, which have no Debian library
# to link: Debian's source package is fetched at configure time (this needs
# a deb-src line in apt's sources), its upstream tarball checked against the
# checksum its .dsc gives, unpacked into the build folder and built here as
# the static library `gaviotatb`. Nothing of it is kept in the repository.
#
# The package's Debian tarball may be missing from the archive: only the
# upstream one is used. Debian's upstream tarball leaves out the zlib copy
# the probing code was written with, as Debian links its own: here that is
# libz-mingw-w64-dev, linked statically.
set(KORVEL_GAVIOTA_SOURCE_DIR ${CMAKE_BINARY_DIR}/gaviotatb-source CACHE PATH
    "Folder of Debian's gaviotatb source package (apt-get source --download-only gaviotatb)")

file(GLOB dsc ${KORVEL_GAVIOTA_SOURCE_DIR}/gaviotatb_*.dsc)
if(NOT dsc)
  file(MAKE_DIRECTORY ${KORVEL_GAVIOTA_SOURCE_DIR})
  # Its status tells nothing: it fails when only the Debian tarball is missing.
  execute_process(COMMAND apt-get source --download-only gaviotatb
                  WORKING_DIRECTORY ${KORVEL_GAVIOTA_SOURCE_DIR} OUTPUT_QUIET ERROR_QUIET)
  file(GLOB dsc ${KORVEL_GAVIOTA_SOURCE_DIR}/gaviotatb_*.dsc)
endif()
if(NOT dsc)
  message(STATUS "Debian's gaviotatb source package could not be fetched (is there a deb-src line?): "
                 "the bitbase library is not built")
  return()
endif()
# Of the tarball's checksum lines (SHA-1, SHA-256, MD5), the SHA-256 one.
file(STRINGS ${dsc} checksums REGEX "^ [0-9a-f]+ [0-9]+ gaviotatb_[^ ]+\\.orig\\.tar\\.gz$")
set(tarball)
foreach(line IN LISTS checksums)
  string(REGEX MATCH "^ ([0-9a-f]+) [0-9]+ (.+)$" line "${line}")
  string(LENGTH "${CMAKE_MATCH_1}" digits)
  if(digits EQUAL 64)
    set(expected ${CMAKE_MATCH_1})
    set(tarball ${KORVEL_GAVIOTA_SOURCE_DIR}/${CMAKE_MATCH_2})
  endif()
endforeach()
if(NOT tarball)
  message(FATAL_ERROR "${dsc} gives no SHA-256 checksum of the upstream tarball")
endif()
if(NOT EXISTS ${tarball})
  message(FATAL_ERROR "${tarball}, named in ${dsc}, is missing")
endif()
file(SHA256 ${tarball} actual)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "${tarball} does not match the checksum in ${dsc}")
endif()

set(gaviota ${CMAKE_BINARY_DIR}/gaviotatb)
if(NOT EXISTS ${gaviota}/${actual})
  file(REMOVE_RECURSE ${gaviota})
  file(ARCHIVE_EXTRACT INPUT ${tarball} DESTINATION ${gaviota})
  file(TOUCH ${gaviota}/${actual})
endif()
file(GLOB gaviota ${gaviota}/gaviotatb-*)
set(KORVEL_GAVIOTA_LICENSE ${gaviota}/license.txt CACHE INTERNAL "Gaviota's licence, shipped with the library")

find_library(KORVEL_ZLIB NAMES libz.a)
if(NOT KORVEL_ZLIB)
  message(FATAL_ERROR "zlib for this compiler is missing: apt-get install libz-mingw-w64-dev")
endif()

enable_language(C)
add_library(gaviotatb STATIC
            ${gaviota}/gtb-probe.c ${gaviota}/gtb-dec.c ${gaviota}/gtb-att.c
            ${gaviota}/sysport/sysport.c ${gaviota}/compression/wrap.c
            ${gaviota}/compression/huffman/hzip.c ${gaviota}/compression/lzma/LzmaDec.c
            ${gaviota}/compression/lzma/LzmaEnc.c ${gaviota}/compression/lzma/Alloc.c
            ${gaviota}/compression/lzma/LzFind.c ${gaviota}/compression/lzma/Lzma86Dec.c
            ${gaviota}/compression/lzma/Lzma86Enc.c ${gaviota}/compression/lzma/Bra86.c
            ${gaviota}/compression/liblzf/lzf_c.c ${gaviota}/compression/liblzf/lzf_d.c)
target_include_directories(gaviotatb PUBLIC ${gaviota}
                           PRIVATE ${gaviota}/sysport ${gaviota}/compression
                                   ${gaviota}/compression/liblzf ${gaviota}/compression/lzma
                                   ${gaviota}/compression/huffman)
# MINGW selects its Windows threads and clock; LZF's 64-bit Windows branch
# names the compiler's 64-bit type as older Microsoft compilers did.
target_compile_definitions(gaviotatb PRIVATE MINGW NDEBUG _int64=__int64)
# Outside code, built as it comes: its warnings are not ours to mend.
target_compile_options(gaviotatb PRIVATE -w)
target_link_libraries(gaviotatb PUBLIC ${KORVEL_ZLIB})
set_target_properties(gaviotatb PROPERTIES POSITION_INDEPENDENT_CODE ON
                      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/gaviotatb)
