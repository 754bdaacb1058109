# Debian's hardening flags (fortified functions, stack protector, read-only relocations bound at
# start, PIE) for the optimised builds the package is made from, as dpkg-buildflags gives them on
# the build machine. Optimisation and debug information stay the build type's; fortification
# needs the optimiser and the sanitizers bring their own checks, so other builds go without.
option(VARNEL_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)
# Whether this build got them: the package test holds only such a build to Debian's hardening checks.
set(VARNEL_HARDENED OFF)

set(varnel_optimised_builds Release RelWithDebInfo MinSizeRel)
find_program(VARNEL_DPKG_BUILDFLAGS dpkg-buildflags)
if(VARNEL_HARDENING AND NOT VARNEL_SANITIZE AND VARNEL_DPKG_BUILDFLAGS
   AND CMAKE_BUILD_TYPE IN_LIST varnel_optimised_builds)
  function(varnel_buildflags kind out)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-fixfilepath,-fixdebugpath"
              ${VARNEL_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g|O[0-9s]?|f(file|debug)-prefix-map=.*)$")
    set(${out} ${flags} PARENT_SCOPE)
  endfunction()
  varnel_buildflags(CPPFLAGS varnel_cppflags)
  varnel_buildflags(CXXFLAGS varnel_cxxflags)
  varnel_buildflags(LDFLAGS varnel_ldflags)
  add_compile_options(${varnel_cppflags} ${varnel_cxxflags})
  add_link_options(${varnel_ldflags})
  message(STATUS "Hardening: ${varnel_cppflags} ${varnel_cxxflags} ${varnel_ldflags}")
  set(VARNEL_HARDENED ON)
endif()
