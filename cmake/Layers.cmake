# SPDX-License-Identifier: GPL-3.0-or-later
# The layers of the tree. Each folder is a static library that links only
# the layers below it, and its headers reach only the targets that link it:
# every target sees the source tree through a view of its own (a folder of
# links in the build tree, one per layer it may use), so an include of a
# layer above fails to compile.
#
#   program/  main, Qt set-up, one program per cable, the Windows console
#   ui/       the main window, the CO window, the chart, the table's menu, the report
#   journal/  what a session showed: values, fault codes, clears; CSV and report text
#   session/  the session engine: link, poll timer, ticks, waits, wake-up pulse
#   link/     UsbSerial (the only code that calls libftdi1), the cable hint
#   auto/ kwp/  the two protocol families: their cycles, replies, catalogues
#   ecu/      what both families share: effects, steps, the table walk, the catalogue

# Makes `paths` (folders or files of the source tree) visible to `target`
# as "folder/header.h", with `scope` PUBLIC, PRIVATE or INTERFACE.
function(tavrix_view target scope)
  set(view ${CMAKE_BINARY_DIR}/views/${target})
  foreach(path ${ARGN})
    get_filename_component(parent ${view}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${view}/${path})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${view}/${path} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${view})
endfunction()

# tavrix_layer(TARGET folder [SOURCES ...] [DEPENDS ...]): the layer of
# `folder`, its .cpp files (or SOURCES) compiled once, DEPENDS linked publicly.
function(tavrix_layer target folder)
  cmake_parse_arguments(L "" "" "SOURCES;DEPENDS" ${ARGN})
  if(NOT L_SOURCES)
    file(GLOB L_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp
         ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  endif()
  add_library(${target} STATIC ${L_SOURCES})
  # A layer's files compiled together, Qt's headers parsed once per batch
  # rather than once per file. Each file still includes what it uses: the
  # Windows build and TAVRIX_UNITY=OFF compile them one by one.
  set_target_properties(${target} PROPERTIES UNITY_BUILD ${TAVRIX_UNITY})
  tavrix_view(${target} PUBLIC ${folder})
  target_link_libraries(${target} PUBLIC ${L_DEPENDS})
endfunction()
