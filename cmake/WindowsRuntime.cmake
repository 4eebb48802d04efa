# SPDX-License-Identifier: GPL-3.0-or-later
# Where the DLLs of a Windows build come from: Qt's bin/ and plugins/, the
# libusb/libftdi prefix, and MinGW's C++ and thread runtimes.
get_target_property(_qtcore Qt5::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(TAVRIX_QT_BIN "${_qtcore}" DIRECTORY)
get_filename_component(_qtroot "${TAVRIX_QT_BIN}" DIRECTORY)
set(TAVRIX_QT_PLUGINS "${_qtroot}/plugins")

set(TAVRIX_WIN_DLL_DIRS "${TAVRIX_QT_BIN}" "${FTDI_PREFIX}/bin")
foreach(dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(_dir "${_path}" DIRECTORY)
  get_filename_component(_dir "${_dir}" REALPATH)
  list(APPEND TAVRIX_WIN_DLL_DIRS "${_dir}")
endforeach()
list(REMOVE_DUPLICATES TAVRIX_WIN_DLL_DIRS)
