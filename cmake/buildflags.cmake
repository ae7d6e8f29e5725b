# SPDX-License-Identifier: GPL-3.0-or-later
# A package build compiles and links as Debian's own packages do: the flags of
# dpkg-buildflags with every hardening feature (fortify, stack protector, relro,
# bindnow). The optimisation level and debug information stay the build type's.
option(VELMORA_DEB_BUILDFLAGS "Add dpkg-buildflags' hardening flags (for the package)" OFF)
if(VELMORA_DEB_BUILDFLAGS)
  find_program(VELMORA_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${VELMORA_DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
      COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(O.*|g.*)$")
    if(kind STREQUAL "LDFLAGS")
      add_link_options(${flags})
    else()
      add_compile_options(${flags})
    endif()
  endforeach()
endif()
