# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-built for Windows: tests and tools run under Wine through a wrapper
# made here (see scripts/windows/wine-run.sh.in), with a Wine prefix of the
# build tree's own and the DLL folders of Qt, libusb/libftdi and MinGW.
# Wine's drive Z: is the Unix root.
find_program(TAVRIX_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT TAVRIX_WINE)
  set(TAVRIX_WINE /usr/lib/wine/wine64)   # Debian's wine64, installed by make test-windows
endif()
set(TAVRIX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TAVRIX_WINEPATH ${TAVRIX_WIN_DLL_DIRS})
list(TRANSFORM TAVRIX_WINEPATH PREPEND "Z:")
set(TAVRIX_QT_PLUGINS_WINE "Z:${TAVRIX_QT_PLUGINS}")

configure_file(${CMAKE_SOURCE_DIR}/scripts/windows/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()
