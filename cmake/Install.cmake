# Where `cmake --install` puts things, relative to the prefix. The plug-in modules live in
# a folder of their own that lattool finds from its own place (bin/../lib/lattool), and
# every installed binary finds its libraries relative to itself, so an installed tree
# runs from any prefix with no environment variables.
set(LAT_INSTALL_BINDIR bin)
set(LAT_INSTALL_LIBDIR lib)
set(LAT_INSTALL_MODULEDIR lib/lattool)
set(LAT_INSTALL_DOCDIR share/doc/lattool)

# A shared library of the host: versioned SONAME, installed beside the others.
function(lat_install_library target)
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION}
                                             SOVERSION ${PROJECT_VERSION_MAJOR}
                                             INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} RUNTIME DESTINATION ${LAT_INSTALL_BINDIR}
                            LIBRARY DESTINATION ${LAT_INSTALL_LIBDIR} NAMELINK_SKIP)
endfunction()

# A plug-in module (LAT, VTK, ...): into the modules' folder, finding the host libraries
# one level up.
function(lat_install_plugin_module target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/..")
  install(TARGETS ${target} RUNTIME DESTINATION ${LAT_INSTALL_MODULEDIR}
                            LIBRARY DESTINATION ${LAT_INSTALL_MODULEDIR})
endfunction()

# A program: finds the host libraries in ../lib.
function(lat_install_program target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${LAT_INSTALL_LIBDIR}")
  install(TARGETS ${target} RUNTIME DESTINATION ${LAT_INSTALL_BINDIR})
endfunction()
