# What an installed lattool brings along (its man page, bash completion, README and
# licence) and the Debian package made from the installed tree (cpack -G DEB).
lat_install_program(lattool)
install(FILES ${PROJECT_SOURCE_DIR}/tools/lattool/lattool.bash-completion
        DESTINATION share/bash-completion/completions RENAME lattool)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${LAT_INSTALL_DOCDIR})

# The man page is lattool's own --help, so the two cannot differ. It needs lattool to run
# on the build machine, and help2man.
find_program(LAT_HELP2MAN help2man)
if(CMAKE_CROSSCOMPILING OR LAT_FUZZ)
  # nothing to run lattool on, or lattool is a fuzzing build
elseif(NOT LAT_HELP2MAN)
  message(STATUS "help2man not found: no man page (apt-get install help2man)")
else()
  set(lat_man_page ${CMAKE_CURRENT_BINARY_DIR}/lattool.1)
  add_custom_command(
    OUTPUT ${lat_man_page}
    # A sanitizer build's lattool must not fail the build over its exit-time checks.
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${LAT_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
            "--name=${PROJECT_DESCRIPTION}" --output=${lat_man_page} $<TARGET_FILE:lattool>
    DEPENDS lattool
    COMMENT "Writing the man page lattool.1 from lattool --help"
    VERBATIM)
  add_custom_target(lattool_man ALL DEPENDS ${lat_man_page})
  install(FILES ${lat_man_page} DESTINATION share/man/man1)
endif()

set(CPACK_PACKAGE_NAME lattool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The LAT filter developers")
set(CPACK_PACKAGE_CONTACT "The LAT filter developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}, with the command-line host lattool")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps runs in the staged tree: our own libraries are found there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${LAT_INSTALL_LIBDIR})
include(CPack)
