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

