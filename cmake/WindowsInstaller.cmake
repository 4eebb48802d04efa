# SPDX-License-Identifier: GPL-3.0-or-later
# What a Windows install holds, all in one folder: the mechanic's programs,
# the demo, the DLLs they load (found by reading their imports), Qt's
# platform, style and print-support plugins with qt.conf, the notices and
# licences. The target windows-installer installs that into a staging
# folder, adds the cable guide, signs when given a certificate and makes
# tavrix-<version>-setup.exe from it with NSIS (scripts/windows/installer.sh,
# packaging/windows/tavrix.nsi).

install(TARGETS tavrix tavrix-log tavrix-demo tavrix-record tavrix-trace RUNTIME DESTINATION .)
install(FILES packaging/windows/qt.conf DESTINATION .)
install(FILES ${TAVRIX_QT_PLUGINS}/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${TAVRIX_QT_PLUGINS}/styles/qwindowsvistastyle.dll DESTINATION styles)
# The report's printing finds Windows' printers through this plugin.
install(FILES ${TAVRIX_QT_PLUGINS}/printsupport/windowsprintersupport.dll DESTINATION printsupport)

# Every DLL the programs and plugins import that one of our DLL folders holds.
set(_roots $<TARGET_FILE:tavrix> $<TARGET_FILE:tavrix-log> $<TARGET_FILE:tavrix-demo>
  $<TARGET_FILE:tavrix-record>
  $<TARGET_FILE:tavrix-trace> ${TAVRIX_QT_PLUGINS}/platforms/qwindows.dll
  ${TAVRIX_QT_PLUGINS}/styles/qwindowsvistastyle.dll
  ${TAVRIX_QT_PLUGINS}/printsupport/windowsprintersupport.dll)
install(CODE "
  set(TAVRIX_OBJDUMP \"${CMAKE_OBJDUMP}\")
  set(TAVRIX_STRIP \"${CMAKE_STRIP}\")
  set(TAVRIX_DLL_DIRS \"${TAVRIX_WIN_DLL_DIRS}\")
  set(TAVRIX_DLL_ROOTS \"${_roots}\")
")
install(SCRIPT cmake/InstallRuntimeDlls.cmake)

# The notices name the libusb release the build took (scripts/windows/libusb.sh).
file(READ ${FTDI_PREFIX}/share/tavrix/libusb-version _libusb_version)
string(STRIP "${_libusb_version}" _libusb_version)
file(READ packaging/windows/THIRD-PARTY-NOTICES.txt _notices)
string(FIND "${_notices}" "libusb-1.0 ${_libusb_version} " _named)
if(_named EQUAL -1)
  message(FATAL_ERROR "THIRD-PARTY-NOTICES.txt does not name libusb-1.0 ${_libusb_version}, "
                      "the release the build took")
endif()

set(_licenses /usr/share/common-licenses)
install(FILES packaging/windows/THIRD-PARTY-NOTICES.txt DESTINATION .)
install(FILES ${_licenses}/GPL-3 DESTINATION licenses RENAME GPL-3.txt)
install(FILES ${_licenses}/LGPL-3 DESTINATION licenses RENAME LGPL-3.txt)
install(FILES ${_licenses}/LGPL-2.1 DESTINATION licenses RENAME LGPL-2.1.txt)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright
        DESTINATION licenses RENAME MinGW-GCC-runtime.txt)
install(FILES /usr/share/doc/mingw-w64-common/copyright
        DESTINATION licenses RENAME MinGW-w64-runtime.txt)

set(TAVRIX_SETUP ${CMAKE_BINARY_DIR}/tavrix-${PROJECT_VERSION}-setup.exe)
add_custom_target(windows-installer
  COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/windows/installer.sh ${CMAKE_BINARY_DIR}
          ${CMAKE_BINARY_DIR}/installer ${TAVRIX_SETUP} ${PROJECT_VERSION} ${TAVRIX_ICO}
  DEPENDS tavrix tavrix-log tavrix-demo tavrix-record tavrix-trace
  COMMENT "Windows installer ${TAVRIX_SETUP}"
  VERBATIM)
