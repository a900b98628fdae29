# SPDX-License-Identifier: MIT
# Included by the install script, not when configuring: writes files that name
# installed paths, with the prefix of this installation. That prefix is only
# known now: a package is staged under DESTDIR with the prefix /usr, a test
# installs into a folder of its own.
#
# velnet_install_configured(TEMPLATE DESTINATION NAME [GZIP])
#   TEMPLATE     a file with @VELNET_FULL_BINDIR@, @VELNET_FULL_LIBDIR@,
#                @VELNET_FULL_DATADIR@, @VELNET_FULL_DOCDIR@ and the variables
#                the caller set before the include
#   DESTINATION  the folder under the prefix
#   GZIP         compress the result as NAME.gz
function(velnet_install_configured template destination name)
  cmake_parse_arguments(ARG "GZIP" "" "" ${ARGN})
  set(VELNET_FULL_BINDIR "${CMAKE_INSTALL_PREFIX}/${VELNET_BINDIR}")
  set(VELNET_FULL_LIBDIR "${CMAKE_INSTALL_PREFIX}/${VELNET_LIBDIR}")
  set(VELNET_FULL_DATADIR "${CMAKE_INSTALL_PREFIX}/${VELNET_DATADIR}")
  set(VELNET_FULL_DOCDIR "${CMAKE_INSTALL_PREFIX}/${VELNET_DOCDIR}")
  file(READ "${template}" text)
  string(CONFIGURE "${text}" text @ONLY)

  set(dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${destination}")
  file(MAKE_DIRECTORY "${dir}")
  file(WRITE "${dir}/${name}" "${text}")
  if(ARG_GZIP)
    file(REMOVE "${dir}/${name}.gz")
    execute_process(COMMAND gzip -9n "${dir}/${name}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "gzip failed on ${dir}/${name}")
    endif()
    string(APPEND name ".gz")
  endif()
  file(CHMOD "${dir}/${name}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  message(STATUS "Installing: ${dir}/${name}")
  set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} "${dir}/${name}" PARENT_SCOPE)
endfunction()
