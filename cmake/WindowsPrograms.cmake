# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows programs: the icon and version as a resource in each, and the
# window programs linked as GUI programs, so that no console window opens
# beside them. tavrix-trace prints to its console and stays a console program.
# tavrix-log is tavrix as a console program: the same window, with the
# diagnostic log in the console Windows opens beside it (program/win/logconsole.h).

add_library(tavrix_logconsole STATIC program/win/logconsole.cpp program/win/logpump.cpp
  program/win/logqueue.cpp)
tavrix_view(tavrix_logconsole PUBLIC program/win)
target_link_libraries(tavrix_logconsole PUBLIC Qt5::Widgets)
add_executable(tavrix-log program/main.cpp)
tavrix_on_real_cable(tavrix-log)
target_link_libraries(tavrix-log PRIVATE tavrix_logconsole)
target_compile_definitions(tavrix-log PRIVATE TAVRIX_LOG_CONSOLE)

# The log console's pump and close handling (tests/win/).
add_executable(tst_logconsole tests/win/tst_logconsole.cpp)
target_link_libraries(tst_logconsole PRIVATE tavrix_logconsole Qt5::Test)
add_test(NAME tst_logconsole COMMAND tst_logconsole)
set_tests_properties(tst_logconsole PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)

find_program(TAVRIX_CONVERT convert)
if(NOT TAVRIX_CONVERT)
  message(FATAL_ERROR "ImageMagick's convert makes the Windows icon: apt-get install imagemagick")
endif()
set(TAVRIX_ICO ${CMAKE_BINARY_DIR}/tavrix.ico)
add_custom_command(OUTPUT ${TAVRIX_ICO}
  COMMAND ${TAVRIX_CONVERT} ${CMAKE_SOURCE_DIR}/packaging/tavrix-256.png
          -define icon:auto-resize=256,64,48,32,24,16 ${TAVRIX_ICO}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/tavrix-256.png
  COMMENT "Windows icon from packaging/tavrix-256.png"
  VERBATIM)
add_custom_target(tavrix-ico DEPENDS ${TAVRIX_ICO})

set(TAVRIX_RC ${CMAKE_BINARY_DIR}/tavrix.rc)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/tavrix.rc.in ${TAVRIX_RC} @ONLY)
set_source_files_properties(${TAVRIX_RC} PROPERTIES OBJECT_DEPENDS ${TAVRIX_ICO})

foreach(program tavrix tavrix-log tavrix-demo tavrix-record tavrix-record-sim tavrix-trace)
  target_sources(${program} PRIVATE ${TAVRIX_RC})
  add_dependencies(${program} tavrix-ico)
endforeach()
set_target_properties(tavrix tavrix-demo tavrix-record tavrix-record-sim
  PROPERTIES WIN32_EXECUTABLE ON)

# The programs load Qt's plugins from where qt.conf beside them says, and
# from nowhere else (program/qtsetup.cpp clears the environment's plugin paths).
# Installed, that is their own folder (packaging/windows/qt.conf); in the
# build tree, run under Wine, the Qt tree's plugins (Z: is the Unix root).
foreach(dir ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/trace ${CMAKE_BINARY_DIR}/tools/screenshots
    ${CMAKE_BINARY_DIR}/bench)
  file(WRITE ${dir}/qt.conf "[Paths]\nPlugins = Z:${TAVRIX_QT_PLUGINS}\n")
endforeach()

# Debian 13's MinGW GCC 14 takes Qt 5.15's QVector::append, inlined into the
# random mechanic, for a write past the array (-Wstringop-overflow: it sees
# the array's header as the whole allocation); Linux's GCC 14 does not.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 14)
  set_source_files_properties(tests/mechanic/randommechanic.cpp PROPERTIES
    COMPILE_OPTIONS -Wno-stringop-overflow)
endif()
