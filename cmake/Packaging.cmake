# SPDX-License-Identifier: GPL-3.0-or-later
# Installation for a mechanic's PC and the Debian package built from it.
include(GNUInstallDirs)

install(TARGETS tavrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The recorder and the trace reader go with the tool: a mechanic records a
# strange bike and reads the recording. The replayer, the USB host and the
# screenshot driver are developer tools and stay in the build tree.
foreach(tool tavrix-record tavrix-trace)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
install(FILES packaging/tavrix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME tavrix.png)
install(FILES packaging/tavrix-256.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME tavrix.png)
# The licence terms, machine-readable, where Debian looks for them.
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# udev only reads rules below /usr/lib (or /etc): a system install (prefix
# /usr or /usr/local) puts the cable's rule there, so it applies at once.
# An install into any other prefix is a private tree and must not write
# outside it: the rule stays in <prefix>/lib/udev/rules.d and the install
# says so. Decided at install time, so `cmake --install --prefix` counts;
# DESTDIR is honoured either way. TAVRIX_UDEVRULESDIR overrides.
set(TAVRIX_UDEVRULESDIR "" CACHE PATH
    "Where the cable's udev rule goes (empty: /usr/lib/udev/rules.d for a system prefix)")
set(TAVRIX_UDEV_RULE "${CMAKE_SOURCE_DIR}/packaging/70-tavrix-kline.rules")
install(CODE "
  set(rules_dir \"${TAVRIX_UDEVRULESDIR}\")
  if(NOT rules_dir AND CMAKE_INSTALL_PREFIX MATCHES \"^/usr(/local)?/?$\")
    set(rules_dir /usr/lib/udev/rules.d)
  elseif(NOT rules_dir)
    set(rules_dir \"\${CMAKE_INSTALL_PREFIX}/lib/udev/rules.d\")
    message(STATUS \"udev does not read \${rules_dir}: copy the rule to /etc/udev/rules.d to use a real cable\")
  endif()
  file(INSTALL DESTINATION \"\${rules_dir}\" TYPE FILE FILES \"${TAVRIX_UDEV_RULE}\")
")
# The demo goes in only when asked for: it is a simulated bike, not a tool.
install(TARGETS tavrix-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT demo EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tavrix")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
# The project's own role address, not a person's; a distributor who builds
# a package of their own sets theirs.
set(TAVRIX_DEFAULT_CONTACT "Tavrix Project <maintainers@tavrix.org>")
set(TAVRIX_PACKAGE_CONTACT "${TAVRIX_DEFAULT_CONTACT}" CACHE STRING
    "Maintainer field of the Debian package")
# A build tree configured before kept the old placeholder in its cache.
if(TAVRIX_PACKAGE_CONTACT STREQUAL "Tavrix developers <tavrix@localhost>")
  set_property(CACHE TAVRIX_PACKAGE_CONTACT PROPERTY VALUE "${TAVRIX_DEFAULT_CONTACT}")
endif()
set(CPACK_PACKAGE_CONTACT "${TAVRIX_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Diagnostic tool for fuel-injected motorcycles over a USB K-line cable")
set(CPACK_PACKAGE_DESCRIPTION
"Tavrix logs into the engine control unit of a motorcycle through a USB
K-line cable (FTDI-type chip 0433:6066), lists its live data, reads and
clears fault codes with Indonesian explanations, runs actuator checks and
helps adjust the CO mixture. It speaks the single-byte Auto protocol and
ISO 14230 (KWP 2000) for the Xmax family.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${CMAKE_SOURCE_DIR}/packaging/postinst;${CMAKE_SOURCE_DIR}/packaging/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_COMPONENTS_ALL Unspecified)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
include(CPack)
