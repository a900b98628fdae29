# SPDX-License-Identifier: MIT
# The Debian package, built with `cpack -G DEB` in the build folder. It is
# staged under DESTDIR with the prefix /usr whatever the build's own install
# prefix is, so that the polkit policy, the menu entries and the manual pages
# name the paths the package really installs.
execute_process(COMMAND dpkg --print-architecture
                OUTPUT_VARIABLE VELNET_DEB_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_QUIET)
if(NOT VELNET_DEB_ARCHITECTURE)
  set(VELNET_DEB_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velnet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME velnet-${PROJECT_VERSION}-${VELNET_DEB_ARCHITECTURE})
set(CPACK_PACKAGE_CONTACT "Velnet NIC utilities team <velnet-team@users.noreply.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration and diagnostics for Velnet PCI network cards")
set(CPACK_PACKAGE_DESCRIPTION
    "nicsetup edits the server NIC driver's configuration (autocure parameters,
primary/backup failover, VLANs) in the machine's registry store. cardcheck is
the diagnostics and support program: NIC details, configuration, self tests,
the two-computer echo test and a problem report. The vxsrvnt service gives
every NIC its instance key and makes nicsetup's failover pairs and VLANs real
with the kernel's bonding and 802.1Q drivers. regtool reads and changes
the registry store from the command line. The libraries that simulate the
NICs and the helper programs that cardcheck starts are included.")
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME velnet)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VELNET_DEB_ARCHITECTURE})
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link (Qt 6, the C and C++ run-times) are
# found by dpkg-shlibdeps; what they only start or read is listed here: pkexec
# for the menu entries, the icon theme that owns the icon folders, the
# helpers that enable and start the driver service's unit. xdg-open
# opens the problem report in the desktop's editor when there is one; Qt's
# Wayland platform lets a program started by the user (not through pkexec)
# open its windows in a Wayland session without Xwayland; xhost lets the
# launcher give root the user's Xwayland display for the one program.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "pkexec | policykit-1, hicolor-icon-theme, init-system-helpers (>= 1.54~)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland, x11-xserver-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst ${CMAKE_CURRENT_SOURCE_DIR}/debian/prerm
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
