# What `cmake --install` puts where, and the Debian package CPack makes of it
# (`cpack -G DEB` in a build folder, or setup/package.sh for a Release build).
include(GNUInstallDirs)

set(TF_PACKAGE_RELEASE 1)
set(TF_PACKAGE_VERSION ${PROJECT_VERSION}-${TF_PACKAGE_RELEASE})
set(TF_PACKAGE_MAINTAINER "The Tallyfold developers <developers@tallyfold.app>")
set(tf_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/tallyfold)

install(FILES app/desktop/tallyfold.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES app/desktop/tallyfold.svg DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
# The help window looks in ../share/tallyfold/help beside the program.
install(DIRECTORY docs/help/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/tallyfold/help)
install(FILES setup/package/copyright DESTINATION ${tf_doc})

# Debian keeps changelogs and manual pages compressed, without a time stamp (-n) so that the
# same tree gives the same package.
find_program(TF_GZIP gzip REQUIRED)
set(tf_pkg ${PROJECT_BINARY_DIR}/package-files)
configure_file(setup/package/changelog.Debian.in ${tf_pkg}/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${tf_pkg}/changelog.Debian.gz
  COMMAND ${TF_GZIP} -9n -c ${tf_pkg}/changelog.Debian > ${tf_pkg}/changelog.Debian.gz
  DEPENDS ${tf_pkg}/changelog.Debian VERBATIM)
add_custom_target(tf_changelog ALL DEPENDS ${tf_pkg}/changelog.Debian.gz)
install(FILES ${tf_pkg}/changelog.Debian.gz DESTINATION ${tf_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallyfold)
set(CPACK_PACKAGE_VENDOR "The Tallyfold developers")
set(CPACK_PACKAGE_CONTACT "${TF_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "billing and accounts receivable for small businesses")
# The synopsis is the summary above; this is the text below it, lines under 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Customers, products, line-item and memo invoices, repeat billing, interest\ninvoices, partial payments and deposits, aging with a chart, statements,\nreports, mailing labels, form letters and e-mail for several companies on one\ncomputer, with a command-line tool for the batch jobs. The data are kept in\nthe program's own record and index files.")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TF_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, found by dpkg-shlibdeps; the windowing plug-ins are loaded
# at run time, so no link names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Directories the system owns are not the package's to create with other permissions.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
