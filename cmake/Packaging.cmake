# Installation for a mechanic's PC and the Debian package built from it.
include(GNUInstallDirs)

# udev only reads rules below /usr/lib (or /etc); a rule under /usr/local
# would never apply, so the rule has a place of its own.
set(TAVRIX_UDEV_RULES_DIR "/usr/lib/udev/rules.d" CACHE PATH "Where the cable's udev rule goes")

install(TARGETS tavrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/tavrix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME tavrix.png)
install(FILES packaging/tavrix-256.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME tavrix.png)
install(FILES packaging/70-tavrix-kline.rules DESTINATION ${TAVRIX_UDEV_RULES_DIR})
# The demo goes in only when asked for: it is a simulated bike, not a tool.
install(TARGETS tavrix-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT demo EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tavrix")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Tavrix developers <tavrix@localhost>")
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
