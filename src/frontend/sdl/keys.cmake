# The window's keys and keyboard layout: SDL key events as the game's keys,
# the layout's name from X11. Included by this folder's CMakeLists.txt.
find_package(PkgConfig REQUIRED)
if(NOT TARGET PkgConfig::SDL2)
  pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
endif()
if(NOT TARGET PkgConfig::X11)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
endif()

add_library(velmora_sdl_keys STATIC
  ${CMAKE_CURRENT_LIST_DIR}/key_map.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xkb_layout.cpp
)
velmora_layer(velmora_sdl_keys frontend/sdl ONLY key_map.h sdl_handles.h xkb_layout.h)
# key_map.h includes SDL.h, as does sdl_handles.h (header-only: SDL's objects
# held for the window and the tests); X11's headers stay inside xkb_layout.cpp.
target_link_libraries(velmora_sdl_keys
  PUBLIC velmora_ui velmora_base PkgConfig::SDL2
  PRIVATE PkgConfig::X11)
