# cmake --install: the program and the tools in bin/, the data files and the song in
# share/korvo/ (where an installed korvo looks for them), the manual page, the desktop entry and
# the icon. cpack -G DEB makes a Debian package of the same files.
include(GNUInstallDirs)

install(TARGETS korvo korvo-anim korvo-obj korvo-art korvo-song korvo-song-levels
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_BINARY_DIR}/data DESTINATION ${CMAKE_INSTALL_DATADIR}/korvo
        FILES_MATCHING PATTERN "*.dat" PATTERN "*.obu")
install(FILES ${PROJECT_BINARY_DIR}/sotkux.xm DESTINATION ${CMAKE_INSTALL_DATADIR}/korvo)
install(FILES packaging/korvo.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES packaging/korvo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/korvo.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${PROJECT_BINARY_DIR}/korvo-32.png RENAME korvo.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)

set(CPACK_PACKAGE_NAME korvo)
set(CPACK_PACKAGE_VENDOR "The Korvo and Pelta developers")
set(CPACK_PACKAGE_CONTACT "The Korvo and Pelta developers <korvo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Korvo and Pelta, a real-time audiovisual demo")
set(CPACK_PACKAGE_DESCRIPTION
    "A self-running demo: layered image effects, animations in its own codec and lit 3-D objects\n\
drawn on the processor, cut to its own tracker song; with the tools that make its content.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY korvo)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
set(CPACK_STRIP_FILES ON)
include(CPack)
