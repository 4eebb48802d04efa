# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads:
# std::thread and the Qt build need them). Used by `make windows`; the
# libraries it links against live in TAVRIX_WIN_PREFIXES (the Qt tree and
# the libusb/libftdi prefix that scripts/windows/deps.sh builds).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVRIX_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVRIX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRIX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRIX_MINGW}-windres)

set(TAVRIX_WIN_PREFIXES "" CACHE STRING "Prefixes of the Windows builds of Qt, libusb and libftdi")
set(CMAKE_FIND_ROOT_PATH /usr/${TAVRIX_MINGW} ${TAVRIX_WIN_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must find the cross-built libraries only, never the host's.
set(_tavrix_pc "")
foreach(prefix ${TAVRIX_WIN_PREFIXES})
  list(APPEND _tavrix_pc "${prefix}/lib/pkgconfig")
endforeach()
string(REPLACE ";" ":" _tavrix_pc "${_tavrix_pc}")
set(ENV{PKG_CONFIG_LIBDIR} "${_tavrix_pc}")
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVRIX_WIN_PREFIXES)
