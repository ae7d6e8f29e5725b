# SPDX-License-Identifier: GPL-3.0-or-later
# The window's icon, built into the program: any game folder (a --root, a
# portable copy) shows the same lantern, with no file to find at run time.
# Included by this folder's CMakeLists.txt after velmora_frontend_sdl exists.
set(velmora_window_icon ${PROJECT_SOURCE_DIR}/packaging/icons/64x64/apps/velmora.png)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${velmora_window_icon})
file(READ ${velmora_window_icon} velmora_icon_hex HEX)
string(REGEX REPLACE "(..)" "0x\\1," velmora_icon_bytes "${velmora_icon_hex}")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/window_icon_png.h
     CONTENT "// Generated from packaging/icons/64x64/apps/velmora.png.\n#pragma once\ninline constexpr unsigned char kWindowIconPng[] = {${velmora_icon_bytes}};\n"
     @ONLY)
target_include_directories(velmora_frontend_sdl PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
