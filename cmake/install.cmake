# The install: the programs in bin/, the program folder in share/velmora (the
# program finds it as ../share/velmora beside its own executable, so any prefix
# or DESTDIR works), a desktop entry, an icon and the manual pages; and a
# Debian package of the same through CPack.
include(GNUInstallDirs)

install(TARGETS velmora velmora-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/game/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/velmora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
if(EXISTS ${PROJECT_SOURCE_DIR}/packaging/velmora.png)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/velmora.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/doc/velmora.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/doc/velmora-tool.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-voicing player of Russian text adventures")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora plays Russian text adventures by ear: a blind player hears every text\n and menu entry, and a sighted companion follows in a full-screen window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The shared libraries the programs link, found by dpkg-shlibdeps; the voices,
# the MIDI sound font and the fonts the window asks for are recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "speech-dispatcher, speech-dispatcher-espeak-ng, espeak-ng-data, timgm6mb-soundfont, fonts-liberation, fonts-urw-base35, fonts-dejavu-core")
set(CPACK_GENERATOR DEB)
include(CPack)
