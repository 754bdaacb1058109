# Install rules for everything under share/, and the Debian package built from them with CPack.
# The programs install themselves where they are defined (src/ui, tools/printer-sim, tools/monitor).

set(VARNEL_DATADIR ${CMAKE_INSTALL_DATADIR}/varnel)

# The demo model, so the documentation's examples run from an installed system.
file(GLOB varnel_examples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*)
install(FILES ${varnel_examples} DESTINATION ${VARNEL_DATADIR}/examples)
# Its model files again where the map, options, boot file and help page searches look after the
# working folder, so a run from any folder (a desktop start is in the home folder) finds them.
file(GLOB varnel_model_files CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/examples/*.map ${PROJECT_SOURCE_DIR}/examples/*.opt
     ${PROJECT_SOURCE_DIR}/examples/*.bot ${PROJECT_SOURCE_DIR}/examples/*.BOT
     ${PROJECT_SOURCE_DIR}/examples/Varnel.html)
install(FILES ${varnel_model_files} DESTINATION ${VARNEL_DATADIR}/models)

install(FILES ${PROJECT_SOURCE_DIR}/data/varnel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/varnel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/man/varnel.1 ${PROJECT_SOURCE_DIR}/man/varnel-station.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/completion/varnel ${PROJECT_SOURCE_DIR}/completion/varnel-station
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The project README keeps its name; the documentation's own README becomes the index next to it.
file(GLOB varnel_user_docs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
list(REMOVE_ITEM varnel_user_docs ${PROJECT_SOURCE_DIR}/docs/README.md)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${varnel_user_docs} DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME index.md)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/docs/station.sh DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/tools/printer-sim/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
        RENAME printer-simulator.md)

# Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VENDOR "Pellam")
set(CPACK_PACKAGE_CONTACT "Varnel maintainers <varnel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration utility for point-of-sale receipt printers")
set(CPACK_PACKAGE_DESCRIPTION
    "Varnel reads a receipt printer's settings tables into named settings, edits, writes and verifies\n"
    "them, keeps them as configuration files, programs the printer's identity strings, updates its\n"
    "firmware and manages the files stored in it. It runs as a Qt desktop program and, driven by its\n"
    "command line, unattended from production scripts. Includes varnel-station, which configures many printers\n"
    "at once, the printer simulator and the status monitor.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Named by hand so the package states exactly the runtime it was built for; libc and libstdc++
# come with every Debian system that has Qt.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6 (>= 6.4), libqt6dbus6 (>= 6.4), libudev1, dbus")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(VARNEL_BUILD_TESTS AND VARNEL_BUILD_GUI)
  # Builds the package, unpacks it into a scratch root and runs the installed programs from there.
  add_test(NAME package_deb
           COMMAND ${PROJECT_SOURCE_DIR}/tests/integration/package_test.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(package_deb PROPERTIES LABELS integration TIMEOUT 600 RUN_SERIAL ON)
endif()
