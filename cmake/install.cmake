# SPDX-License-Identifier: GPL-3.0-or-later
# The install: the programs in games/ (Debian's place for games; the program
# finds its folder as ../share/velmora beside its own executable, so any prefix
# or DESTDIR works), the program folder in share/velmora, a desktop entry, its
# AppStream metadata and icons, the manual pages gzipped, the copyright and the
# changelog; and a Debian package of the same through CPack.
include(GNUInstallDirs)

set(VELMORA_INSTALL_GAMESDIR games CACHE STRING "Where the programs go, relative to the prefix")
# The project has no host of its own yet: the contact and the home page use a
# domain reserved for examples, never a stranger's, in these two places only
# (the AppStream file names the same page).
set(VELMORA_CONTACT "Velmora developers <velmora@velmora.example.org>")
set(VELMORA_HOMEPAGE "https://velmora.example.org/")

install(TARGETS velmora velmora-tool RUNTIME DESTINATION ${VELMORA_INSTALL_GAMESDIR})
# A stripped install (the package, cmake --install --strip) also drops the
# compilers' .comment section, as Debian's dh_strip does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program velmora velmora-tool)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELMORA_INSTALL_GAMESDIR}/\${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/game/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/velmora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/velmora.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/icons/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)
# The data folder's text files are read by the game, not documentation.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME velmora)

# Manual pages and the changelog are installed gzipped, at maximum compression
# and without a time stamp, so that two builds give the same package.
set(velmora_gzipped)
foreach(pair "doc/velmora.6;man/velmora.6" "doc/velmora-tool.1;man/velmora-tool.1"
             "doc/velmora-project.5;man/velmora-project.5"
             "packaging/debian/changelog;doc/changelog")
  list(GET pair 0 source)
  list(GET pair 1 plain)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${PROJECT_BINARY_DIR}/${plain}
    COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/${plain}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
  list(APPEND velmora_gzipped ${PROJECT_BINARY_DIR}/${plain}.gz)
endforeach()
add_custom_target(velmora_gzipped_docs ALL DEPENDS ${velmora_gzipped})
install(FILES ${PROJECT_BINARY_DIR}/man/velmora.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_BINARY_DIR}/man/velmora-tool.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/man/velmora-project.5.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)

# The authors' guide as Markdown and as HTML made from it with cmark-gfm.
find_program(VELMORA_CMARK_GFM cmark-gfm)
set(velmora_guide_html)
set(velmora_guide_title_tutorial "Учебник автора Вельморы")
set(velmora_guide_title_reference "Справочник автора Вельморы")
foreach(page tutorial reference)
  set(title "${velmora_guide_title_${page}}")
  install(FILES ${PROJECT_SOURCE_DIR}/doc/guide/${page}.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora/guide)
  if(VELMORA_CMARK_GFM)
    add_custom_command(
      OUTPUT ${PROJECT_BINARY_DIR}/guide/${page}.html
      COMMAND ${CMAKE_COMMAND} -DCMARK=${VELMORA_CMARK_GFM} -DINPUT=${PROJECT_SOURCE_DIR}/doc/guide/${page}.md
              -DOUTPUT=${PROJECT_BINARY_DIR}/guide/${page}.html -DTITLE=${title}
              -P ${PROJECT_SOURCE_DIR}/tools/guide_html.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/doc/guide/${page}.md ${PROJECT_SOURCE_DIR}/tools/guide_html.cmake
      VERBATIM)
    list(APPEND velmora_guide_html ${PROJECT_BINARY_DIR}/guide/${page}.html)
    install(FILES ${PROJECT_BINARY_DIR}/guide/${page}.html DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora/guide)
  endif()
endforeach()
if(VELMORA_CMARK_GFM)
  add_custom_target(velmora_guide_html ALL DEPENDS ${velmora_guide_html})
else()
  message(WARNING "cmark-gfm not found: the guide is installed without its HTML (apt-get install cmark-gfm)")
endif()
install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "${VELMORA_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-voicing player of Russian text adventures")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora plays Russian text adventures by ear: a blind player hears every text\n and menu entry, and a sighted companion follows in a full-screen window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELMORA_HOMEPAGE}")
# The shared libraries the programs link, found by dpkg-shlibdeps (espeak-ng's
# voices come with libespeak-ng1); the speech server, the MIDI sound font and
# the fonts the window asks for are recommended; the players that the sound
# falls back to when SDL_mixer cannot play are suggested.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "speech-dispatcher, speech-dispatcher-espeak-ng, timgm6mb-soundfont, fonts-liberation, fonts-urw-base35, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "timidity | fluidsynth, alsa-utils | pulseaudio-utils")
# The web page, for velmora-tool web: installed when it was built
# (scripts/build-web) before the install, into share/velmora/web, where the
# tool looks beside its program folder. Rendering a game's music for a site
# needs fluidsynth and lame, suggested.
set(VELMORA_WEB_SITE "${PROJECT_SOURCE_DIR}/build-web/site" CACHE PATH
    "The built web page velmora-tool web copies, installed when present")
install(DIRECTORY ${VELMORA_WEB_SITE}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora/web OPTIONAL
        PATTERN ".*" EXCLUDE)
string(APPEND CPACK_DEBIAN_PACKAGE_SUGGESTS ", fluidsynth, lame")

set(CPACK_GENERATOR DEB)
include(CPack)
