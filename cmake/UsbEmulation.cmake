# SPDX-License-Identifier: GPL-3.0-or-later
# The real USB stack under test: the unmodified tavrix (real libftdi1 over
# real libusb-1.0) against an FT232R emulated at the usbdevfs level with
# umockdev. Linux only, and only where umockdev-1.0 is found; the rest of
# the tree builds without it.

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()
pkg_check_modules(UMOCKDEV IMPORTED_TARGET umockdev-1.0)
if(NOT UMOCKDEV_FOUND)
  message(STATUS "umockdev-1.0 not found: no emulated USB adapter, no USB stack tests")
  return()
endif()

# The line and ECU models of sim/ without their libftdi1 stand-in
# (tavrix_simline): here the real library talks to them through the
# emulated chip. Nor how the simulated cable opens: the real one opens on a
# thread of its own, and a second answer in an archive is one the linker
# may pick (lld did).
file(GLOB USBEMU_SOURCES CONFIGURE_DEPENDS sim/usbemu/*.cpp sim/usbemu/*.h)
add_library(tavrix_usbemu STATIC ${USBEMU_SOURCES})
target_include_directories(tavrix_usbemu PUBLIC ${CMAKE_SOURCE_DIR} ${FTDI_INCLUDE_DIRS})
target_link_libraries(tavrix_usbemu PUBLIC tavrix_simline PkgConfig::UMOCKDEV Qt5::Core)

file(GLOB USBHOST_SOURCES CONFIGURE_DEPENDS tools/usbhost/*.cpp tools/usbhost/*.h)
add_executable(tavrix-usbhost ${USBHOST_SOURCES})
target_link_libraries(tavrix-usbhost PRIVATE tavrix_usbemu)

# One QTest executable per tests/usb/tst_*.cpp, linked with the real
# libftdi1. The Auto login and table scan need the Auto ECU model.
file(GLOB USB_TEST_SOURCES CONFIGURE_DEPENDS tests/usb/tst_*.cpp)
if(NOT EXISTS ${CMAKE_SOURCE_DIR}/sim/autoecu.h)
  list(REMOVE_ITEM USB_TEST_SOURCES ${CMAKE_SOURCE_DIR}/tests/usb/tst_usbautosession.cpp)
endif()
file(GLOB USB_TEST_SUPPORT CONFIGURE_DEPENDS tests/usb/*.cpp tests/usb/*.h)
list(FILTER USB_TEST_SUPPORT EXCLUDE REGEX "/tst_[^/]*$")
# Compiled once for all the suites.
add_library(tavrix_usbtestsupport STATIC ${USB_TEST_SUPPORT})
target_link_libraries(tavrix_usbtestsupport PUBLIC tavrix_testsupport tavrix_app tavrix_usbemu)
target_compile_options(tavrix_usbtestsupport PRIVATE ${TAVRIX_SUITE_FLAGS})
target_compile_definitions(tavrix_usbtestsupport PRIVATE
  TAVRIX_BIN="$<TARGET_FILE:tavrix>" USBHOST_BIN="$<TARGET_FILE:tavrix-usbhost>")
foreach(src ${USB_TEST_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE tavrix_usbtestsupport tavrix_testsupport tavrix_app
                        tavrix_usbemu Qt5::Test)
  tavrix_suite(${name} OWN_HEADERS)
  set_target_properties(${name} PROPERTIES TAVRIX_CABLE "tavrix_cablelookup;PkgConfig::FTDI")
  target_compile_definitions(${name} PRIVATE
    TAVRIX_BIN="$<TARGET_FILE:tavrix>" USBHOST_BIN="$<TARGET_FILE:tavrix-usbhost>")
  add_dependencies(${name} tavrix tavrix-usbhost)
  # The window's pace through slow opens is the program's timing, which a
  # sanitizer build does not have; its open thread runs under the sanitizers
  # in the other suites.
  if(TAVRIX_SANITIZE AND name STREQUAL "tst_usbslowopen")
    continue()
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
    SKIP_RETURN_CODE 77 TIMEOUT 180)
  # Suites that start the real programs need not take turns: each run puts
  # them in a folder of their own, which is the cable claim's scope
  # (tests/usb/hostrun.cpp).
endforeach()
tavrix_long_test(tst_usbslowopen 60)
tavrix_long_test(tst_usbbike 42)
tavrix_long_test(tst_usbautosession 12)
tavrix_long_test(tst_usbcablehint 12)

add_executable(usb-dtr-pulse bench/usbdtrpulse.cpp)
target_include_directories(usb-dtr-pulse PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(usb-dtr-pulse PRIVATE tavrix_app tavrix_usbemu)
set_target_properties(usb-dtr-pulse PROPERTIES TAVRIX_CABLE "tavrix_cablelookup;PkgConfig::FTDI")
