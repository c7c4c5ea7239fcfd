# What `cmake --install` puts where, and the Debian package CPack makes of it
# (`cpack -G DEB` in the build folder).
include(GNUInstallDirs)

install(TARGETS daxara-cli daxara-sofa-reader RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${DAXARA_CLI_MAN} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${DAXARA_CLI_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME daxara-cli)
if(DAXARA_GUI)
  install(TARGETS daxara RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/daxara.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/daxara-mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME daxara.xml)
  install(DIRECTORY ${DAXARA_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()
# The material library: installed beside the examples, and in the build tree where the programs
# built there look for it (bin/../share/daxara and build/src/<program>/../../share/daxara).
configure_file(${PROJECT_SOURCE_DIR}/resources/materials.txt
               ${PROJECT_BINARY_DIR}/share/daxara/materials.txt COPYONLY)
install(FILES ${PROJECT_SOURCE_DIR}/resources/materials.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/daxara)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/speakers/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/daxara/examples/speakers)

set(CPACK_PACKAGE_NAME daxara)
set(CPACK_PACKAGE_VENDOR "Daxara developers")
set(CPACK_PACKAGE_CONTACT "Daxara developers <daxara@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Sound-reinforcement planner: loudspeaker layouts and SPL maps of a room")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, hicolor-icon-theme")
# The file type and icon caches are refreshed by the triggers of those packages.
include(CPack)
