# Read by cpack for each generator: the .deb installs the folder as
# /opt/korvel; the archives hold it at their top.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /opt/korvel)
endif()
