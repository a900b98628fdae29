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
#
# A line ".so FILE" of a manual page, with FILE beside the template, is
# replaced by that file's text: a page made of sections that others write
# installs as one file, which every man reader shows.
function(velnet_install_configured template destination name)
  cmake_parse_arguments(ARG "GZIP" "" "" ${ARGN})
  set(VELNET_FULL_BINDIR "${CMAKE_INSTALL_PREFIX}/${VELNET_BINDIR}")
  set(VELNET_FULL_LIBDIR "${CMAKE_INSTALL_PREFIX}/${VELNET_LIBDIR}")
  set(VELNET_FULL_DATADIR "${CMAKE_INSTALL_PREFIX}/${VELNET_DATADIR}")
  set(VELNET_FULL_DOCDIR "${CMAKE_INSTALL_PREFIX}/${VELNET_DOCDIR}")
  file(READ "${template}" text)
  get_filename_component(folder "${template}" DIRECTORY)
  while(text MATCHES "(^|\n)\\.so ([^\n]+)\n")
    set(included "${CMAKE_MATCH_2}")
    if(NOT EXISTS "${folder}/${included}")
      message(FATAL_ERROR "${template}: .so ${included}: no such file beside it")
    endif()
    file(READ "${folder}/${included}" section)
    string(REPLACE ".so ${included}\n" "${section}" text "${text}")
  endwhile()
  string(CONFIGURE "${text}" text @ONLY)
  velnet_write_installed("${text}" "${destination}" "${name}" ${ARGN})
  set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} PARENT_SCOPE)
endfunction()

# velnet_install_unit(UNIT DESTINATION): a systemd unit whose programs
# (ExecStart=/usr/sbin/...) are those of this installation's prefix.
function(velnet_install_unit unit destination)
  set(sbindir "${CMAKE_INSTALL_PREFIX}/${VELNET_SBINDIR}")
  file(READ "${unit}" text)
  string(REGEX REPLACE "(\n(Exec[A-Za-z]+)=[-@:+!]*)/usr/sbin/" "\\1${sbindir}/"
         text "${text}")
  get_filename_component(name "${unit}" NAME)
  velnet_write_installed("${text}" "${destination}" "${name}")
  set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} PARENT_SCOPE)
endfunction()

function(velnet_write_installed text destination name)
  cmake_parse_arguments(ARG "GZIP" "" "" ${ARGN})

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
