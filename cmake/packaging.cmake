# `cpack -G DEB` in a build folder makes filarion_3.00_amd64.deb from what `cmake --install` puts in place.
# dpkg-shlibdeps works out the libraries the program links; the packages it needs only at run time are named
# here: the Chinese font, Qt's Chinese texts and Qt's platform plugins, which are loaded, not linked.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME filarion)
set(CPACK_PACKAGE_VERSION 3.00)
set(CPACK_PACKAGE_VENDOR "Filarion maintainers")
set(CPACK_PACKAGE_CONTACT "Filarion maintainers <maintainers@users.noreply.c-seed-4e77cf46.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch renamer with a Chinese user interface")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Filarion renames all the files of one folder that match a pattern at once,
by one of four methods: replace a text, number behind a prefix, pad with a
fill character, or insert a text at a position. A rename never overwrites a
file, and every run is recorded in a log in the folder. The same files can be
written out as a numbered list file. Its window is in Chinese.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://filarion.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
