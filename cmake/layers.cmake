# SPDX-License-Identifier: GPL-3.0-or-later
# Where the core's CMake files find the checkout, whichever project includes
# them: the desktop build (the checkout's root) and the web build (web/) both
# include this file.
get_filename_component(VELMORA_ROOT_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(VELMORA_SOURCE_DIR "${VELMORA_ROOT_DIR}/src")

# The core's folders, lowest layer first: the platform-free libraries that
# the desktop and the web page share. The drivers and the desktop's front
# ends are not among them.
set(VELMORA_CORE_FOLDERS
  base world sound speech rules ui talkui shell frontend/common frontend/headless check)

# Each library publishes an include root of its own in the build tree that
# holds links to its own headers only (build/roots/velmora_speech/speech/*.h
# -> src/speech/*.h). A library thus sees the headers of the libraries it
# links and no others: an include of a higher layer's header fails to
# compile, where one root of all of src/ would leave it to the link.
#
#   velmora_layer(<target> <folder under src> [ONLY <header>...] [EXCLUDE <header>...])
#
# Links the folder's headers (not its subfolders', which are libraries of
# their own), or ONLY those named, less those EXCLUDEd that another library
# of the same folder owns.
function(velmora_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "ONLY;EXCLUDE")
  set(from "${VELMORA_SOURCE_DIR}/${folder}")
  set(root "${CMAKE_BINARY_DIR}/roots/${target}")
  if(arg_ONLY)
    set(headers ${arg_ONLY})
  else()
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE "${from}" "${from}/*.h")
  endif()
  # Made afresh at each configure, so a header moved away leaves no link behind.
  file(REMOVE_RECURSE "${root}")
  file(MAKE_DIRECTORY "${root}/${folder}")
  foreach(header IN LISTS headers)
    if(NOT EXISTS "${from}/${header}")
      message(FATAL_ERROR "velmora_layer(${target}): no ${folder}/${header}")
    endif()
    if(NOT header IN_LIST arg_EXCLUDE)
      file(CREATE_LINK "${from}/${header}" "${root}/${folder}/${header}" SYMBOLIC)
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE "${root}")
  else()
    target_include_directories(${target} PUBLIC "${root}")
  endif()
endfunction()
