# `cmake --install` lays the program out the way a desktop expects it:
#
#   <prefix>/bin/PrjTqen, tqen-regsvr, tqen-lha    the program and its tools
#   <prefix>/lib/tqen/libMDCAPT32.so, MDCAPT.html  the control library, which
#                                                  the program registers on
#                                                  its first start
#   <prefix>/share/tqen/data/*.mdb                 the delivered data files,
#                                                  copied into the user's data
#                                                  folder on the first start
#   <prefix>/share/tqen/help/                      the help pages
#   <prefix>/share/applications/tqen.desktop       the desktop entry
#   <prefix>/share/icons/hicolor/scalable/apps/tqen.svg
#
# The installed program writes nothing under the prefix.
include(GNUInstallDirs)

install(TARGETS PrjTqen tqen-regsvr tqen-lha RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The private library stays in lib/tqen whatever the multiarch folder: the
# program looks for it at ../lib/tqen from its own folder.
install(TARGETS MDCAPT32 LIBRARY DESTINATION lib/tqen)
install(FILES ${CMAKE_SOURCE_DIR}/captionctl/help/MDCAPT.html DESTINATION lib/tqen)
install(FILES ${CMAKE_BINARY_DIR}/bin/data/TqenData.mdb ${CMAKE_BINARY_DIR}/bin/data/TqenWork.mdb
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tqen/data)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tqen/help
        FILES_MATCHING PATTERN "*.htm" PATTERN "*.css" PATTERN "*.png")
install(FILES ${CMAKE_SOURCE_DIR}/desktop/tqen.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/tqen.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The Debian package: `cd build && cpack -G DEB`. The library dependencies
# come from dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME tqen)
set(CPACK_PACKAGE_VENDOR "TqEn")
set(CPACK_PACKAGE_VERSION 1.10.0)
set(CPACK_PACKAGE_CONTACT "TqEn developers <tqen@example.jp>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Book of sales daily reports (営業日報) for a small office")
set(CPACK_PACKAGE_DESCRIPTION "Writes, finds, lists and prints the sales daily reports of a small office,\nwith a customer kana index, a staff code table, backups and HTML help.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program opens the help pages with the desktop's browser and shows
# Japanese text; it works without either, so they are recommended only. So
# are Qt's Japanese texts for its own dialogs, the SVG plugins that draw the
# window icon, and an input method's Qt 6 module (fcitx5 or ibus) for
# typing Japanese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-ipafont-gothic, fonts-ipafont-mincho, xdg-utils, qt6-translations-l10n, libqt6svg6, fcitx5-frontend-qt6 | ibus")
include(CPack)
