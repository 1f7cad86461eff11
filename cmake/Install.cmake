# What `cmake --install` and the package put under the prefix: the program and the files a desktop, a
# software centre, man and systemd look for. Tests, benchmarks and fuzzers are never installed.
include(GNUInstallDirs)

set(TAVELO_APP_ID org.tavelo.Tavelo)
set(tavelo_packaging "${PROJECT_SOURCE_DIR}/packaging")

install(TARGETS tavelo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${tavelo_packaging}/${TAVELO_APP_ID}.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${tavelo_packaging}/${TAVELO_APP_ID}.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES "${tavelo_packaging}/${TAVELO_APP_ID}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page is optional so a tree without it still configures; re-run CMake once it appears.
if(EXISTS "${PROJECT_SOURCE_DIR}/docs/tavelo.1")
  install(FILES "${PROJECT_SOURCE_DIR}/docs/tavelo.1" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The unit names the program by its installed path, and the prefix is only final at install time: CPack
# installs with its own prefix (/usr) whatever the build was configured with. So the unit is written then.
# systemd looks for packaged user units in <prefix>/lib/systemd/user, never in a multiarch libdir.
set(tavelo_unit_template "${tavelo_packaging}/tavelo-watch.service.in")
set(tavelo_unit "${PROJECT_BINARY_DIR}/packaging/tavelo-watch.service")
install(CODE "
  set(TAVELO_INSTALLED_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  configure_file(\"${tavelo_unit_template}\" \"${tavelo_unit}\" @ONLY)
")
install(FILES "${tavelo_unit}" DESTINATION lib/systemd/user)
