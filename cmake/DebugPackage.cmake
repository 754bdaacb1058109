# Run by CPack once the packages are made: puts the -dbgsym package into the shape Debian's own
# have. CPack writes its md5sums with the absolute paths of its staging folder and gives it no
# documentation folder; the package's is a link to the main package's, as debhelper makes it.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "-dbgsym_[^/]*\\.ddeb$")
    continue()
  endif()
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/dbgsym-repack)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)

  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/usr/*)
  list(SORT files)
  set(sums "")
  foreach(file IN LISTS files)
    # Debug files are data, not programs.
    file(CHMOD ${tree}/${file} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    file(MD5 ${tree}/${file} sum)
    string(APPEND sums "${sum}  ${file}\n")
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${sums}")

  file(MAKE_DIRECTORY ${tree}/usr/share/doc)
  file(CREATE_LINK ${CPACK_PACKAGE_NAME} ${tree}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym SYMBOLIC)
  execute_process(COMMAND dpkg-deb --root-owner-group --build ${tree} ${package}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
