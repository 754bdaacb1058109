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

# Where the project lives and who answers for the package; set them for a release of your own.
set(VARNEL_HOMEPAGE "https://varnel.pellam.example/" CACHE STRING "The project's web address")
set(VARNEL_MAINTAINER "Varnel maintainers <varnel@pellam.example>" CACHE STRING "The package's maintainer")
set(VARNEL_APPSTREAM_ID com.pellam.varnel)

# The desktop: entry, icons (the SVG and PNGs rendered from it in the usual sizes), the software
# centres' description and the type of configuration files.
install(FILES ${PROJECT_SOURCE_DIR}/data/varnel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/varnel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
file(GLOB varnel_png_icons CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/icons/varnel-*.png)
foreach(icon IN LISTS varnel_png_icons)
  string(REGEX REPLACE ".*varnel-([0-9]+)\\.png$" "\\1" size "${icon}")
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME varnel.png)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/varnel.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${VARNEL_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${VARNEL_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/data/varnel-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME varnel.xml)
install(FILES ${PROJECT_SOURCE_DIR}/completion/varnel ${PROJECT_SOURCE_DIR}/completion/varnel-station
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Manual pages and the changelog go compressed as Debian wants them: gzip -9, no name or time
# stamp in the header, so a rebuild gives the same bytes. Every page in man/ is taken, in the
# section its name ends with.
find_program(VARNEL_GZIP gzip REQUIRED)
set(varnel_gzipped)
function(varnel_gzip source output)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${VARNEL_GZIP} -9nc ${source} > ${output}
                     DEPENDS ${source} VERBATIM)
  set(varnel_gzipped ${varnel_gzipped} ${output} PARENT_SCOPE)
endfunction()
file(GLOB varnel_man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/man/*.[1-9])
foreach(page IN LISTS varnel_man_pages)
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE ".*\\.([1-9])$" "\\1" section "${name}")
  varnel_gzip(${page} ${PROJECT_BINARY_DIR}/man/${name}.gz)
  install(FILES ${PROJECT_BINARY_DIR}/man/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
varnel_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_target(varnel_gzipped_docs ALL DEPENDS ${varnel_gzipped})
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

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
set(CPACK_PACKAGE_CONTACT "${VARNEL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VARNEL_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility for point-of-sale receipt printers")
# Lines of at most 80 characters, as the package tools show them.
set(CPACK_PACKAGE_DESCRIPTION
    "Varnel reads a receipt printer's settings tables into named settings, edits,\n"
    "writes and verifies them, and keeps them as configuration files. It programs\n"
    "the printer's identity strings, updates its firmware and manages the files\n"
    "stored in it. It runs as a Qt desktop program and, driven by its command line,\n"
    "unattended from production scripts. Includes varnel-station, which configures\n"
    "many printers at once, the printer simulator and the status monitor.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Depends comes from the libraries the programs link. The scan cannot see what is only talked to
# or loaded at run time: the session bus of the status monitor and Qt's platform plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "dbus, qt6-qpa-plugins, bash-completion")
# The programs go stripped; their debug information goes into the -dbgsym package.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebugPackage.cmake)
include(CPack)

if(VARNEL_BUILD_TESTS AND VARNEL_BUILD_GUI)
  # Builds the package, unpacks it into a scratch root and runs the installed programs from there.
  add_test(NAME package_deb
           COMMAND ${PROJECT_SOURCE_DIR}/tests/integration/package_test.sh ${PROJECT_BINARY_DIR}
                   $<IF:$<BOOL:${VARNEL_HARDENED}>,hardened,unhardened>)
  set_tests_properties(package_deb PROPERTIES LABELS integration TIMEOUT 1200 RUN_SERIAL ON)
endif()
