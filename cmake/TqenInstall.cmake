# `cmake --install` lays the program out the way a desktop expects it:
#
#   <prefix>/bin/PrjTqen, tqen, tqen-lha           the program (tqen is a link
#                                                  to it) and the archiver
#   <prefix>/lib/<multiarch>/tqen/libMDCAPT32.so, MDCAPT.html
#                                                  the control library, which
#                                                  the program registers on
#                                                  its first start
#   <prefix>/lib/tqen/tqen-regsvr                  the registration tool, for
#                                                  developers of controls
#   <prefix>/share/tqen/data/*.mdb                 the delivered data files,
#                                                  copied into the user's data
#                                                  folder on the first start
#   <prefix>/share/tqen/help/                      the help pages
#   <prefix>/share/applications/tqen.desktop       the desktop entry
#   <prefix>/share/icons/hicolor/scalable/apps/tqen.svg
#   <prefix>/share/metainfo/jp.example.tqen.metainfo.xml
#                                                  what software centres list
#   <prefix>/share/man/man1/                       tqen.1 (PrjTqen.1), tqen-lha.1
#   <prefix>/share/doc/tqen/                       copyright, changelog.gz
#
# The installed program writes nothing under the prefix.
include(GNUInstallDirs)

install(TARGETS PrjTqen tqen-lha RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(CODE "file(CREATE_LINK PrjTqen \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tqen\" SYMBOLIC)")
install(TARGETS tqen-regsvr RUNTIME DESTINATION lib/tqen)
# The private library goes to lib/<multiarch>/tqen: the program looks for
# it at ../lib/<multiarch>/tqen from its own folder.
install(TARGETS MDCAPT32 LIBRARY DESTINATION ${TQEN_PRIVATE_LIBDIR})
install(FILES ${CMAKE_SOURCE_DIR}/captionctl/help/MDCAPT.html DESTINATION ${TQEN_PRIVATE_LIBDIR})
install(FILES ${CMAKE_BINARY_DIR}/bin/data/TqenData.mdb ${CMAKE_BINARY_DIR}/bin/data/TqenWork.mdb
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tqen/data)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tqen/help
        FILES_MATCHING PATTERN "*.htm" PATTERN "*.css" PATTERN "*.png")
install(FILES ${CMAKE_SOURCE_DIR}/desktop/tqen.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/tqen.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/jp.example.tqen.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tqen)

# Man pages and the changelog go compressed, without names or times in the
# gzip header, so that the package is the same from every build.
set(TQEN_GZIPPED)
foreach(pair "man/tqen.1;man/tqen.1.gz" "man/tqen-lha.1;man/tqen-lha.1.gz" "changelog;changelog.gz")
  list(GET pair 0 from)
  list(GET pair 1 to)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${to}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/man
    COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" gzip ${CMAKE_SOURCE_DIR}/packaging/${from} ${CMAKE_BINARY_DIR}/packaging/${to}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${from} VERBATIM)
  list(APPEND TQEN_GZIPPED ${CMAKE_BINARY_DIR}/packaging/${to})
endforeach()
add_custom_target(tqen_packaging_files ALL DEPENDS ${TQEN_GZIPPED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/man/tqen.1.gz ${CMAKE_BINARY_DIR}/packaging/man/tqen-lha.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(CODE "file(CREATE_LINK tqen.1.gz \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1/PrjTqen.1.gz\" SYMBOLIC)")
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tqen)

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
# Beside the libraries dpkg-shlibdeps finds (Qt, SQLite, libpq, mdbtools'
# library): the IPA fonts, without which the forms and printed reports show
# Japanese in a face of the wrong style or as boxes.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
# Qt's own dialogs in Japanese, Japanese input through fcitx5 or ibus, and
# the desktop's browser for the help pages: the program works without them.
# The SVG plugins draw the window icon.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fcitx5-frontend-qt6 | ibus, xdg-utils, libqt6svg6")
# The private control library is loaded by its path, never through the
# linker cache; lying outside lib/ and lib/tqen's parent, it makes CPack add
# no ldconfig call to maintainer scripts.
include(CPack)
