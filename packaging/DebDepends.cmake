# Read by cpack (CPACK_PROJECT_CONFIG_FILE) before it makes a package: the
# Debian package's dependencies are what dpkg-shlibdeps finds the launcher and
# its window module use, added to the fonts. CPack's own dpkg-shlibdeps run
# (CPACK_DEBIAN_PACKAGE_SHLIBDEPS) would also take the module under
# usr/lib/pivora/ for a library of the system's and add postinst and postrm
# scripts that run ldconfig, which a private module does not need.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(PIVORA_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT PIVORA_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps (package dpkg-dev) is needed to find the package's dependencies")
  endif()
  # dpkg-shlibdeps runs in a source tree: it wants a debian/control, even empty.
  set(dir "${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/pivora-shlibdeps")
  file(WRITE "${dir}/debian/control" "")
  execute_process(COMMAND ${PIVORA_DPKG_SHLIBDEPS} -O ${CPACK_PIVORA_DEB_BINARIES}
    WORKING_DIRECTORY "${dir}" RESULT_VARIABLE status OUTPUT_VARIABLE found ERROR_VARIABLE why)
  if(NOT status EQUAL 0 OR NOT found MATCHES "^shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps ${CPACK_PIVORA_DEB_BINARIES} failed: ${why}")
  endif()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, ${CMAKE_MATCH_1}")
endif()
