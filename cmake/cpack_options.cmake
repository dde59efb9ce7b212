# Read by cpack for each generator: the .deb takes the "debian" component
# under /usr, stripped; the archives hold the one folder at their top.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL debian)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CPACK_DEBIAN_PACKAGING_PREFIX})
  set(CPACK_STRIP_FILES ON)
endif()
