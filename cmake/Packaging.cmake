# The Debian package, built with `cpack -G DEB` (scripts/package.sh does the whole job).
# Its version is the project's, so the package, the metainfo and the program never disagree.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumetra)
set(CPACK_PACKAGE_VENDOR "Lumetra developers")
set(CPACK_PACKAGE_CONTACT "Lumetra developers <lumetra@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL https://lumetra.example.org)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "teaching program: light through a slit, shown with Feynman's arrows")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumetra shows light of three colours passing through a slit into glass or air
and spreading over a screen, in Feynman's picture of one small turning arrow per
path: the arrows are added head to tail into Cornu spirals, and the squared
length of the sum becomes a probability bar. Made for physics lessons; the
program speaks Czech.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the libraries the binary links; what Qt loads at run time
# (the X11 platform plugin) and the fonts the window asks for by name it cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
# Czech buttons in the file dialog and the text boxes' own menus
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
find_program(LUMETRA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(LUMETRA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  # Without dpkg-dev CPack would quietly leave the libraries out; name Debian 12's by hand.
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
         ", libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libqt6multimedia6 (>= 6.4),"
         " libstdc++6 (>= 12), libc6 (>= 2.36)")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
