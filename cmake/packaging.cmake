# `cpack -G DEB` in a build folder makes two packages from what `cmake --install` puts in place, one per install
# component: filarion_3.00_amd64.deb (the window, component "window", the default) and
# filarion-cli_3.00_amd64.deb (the command line, component "cli"). dpkg-shlibdeps works out the libraries each
# program links; the packages the window needs only at run time are named here: the Chinese font, Qt's Chinese
# texts and Qt's platform plugins, which are loaded, not linked. The command line needs none of them: Qt Core,
# the C and C++ libraries.
include(GNUInstallDirs)

# The modes of what is installed do not follow the builder's umask: folders 0755 here (cmake_install.cmake
# takes the top folder's last value for every rule, and CPack takes it for the folders it makes), the program
# 0755 and the data 0644 by install() itself.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# What Debian asks of every package in its documentation folder: the copyright and the changelog, compressed
# without the file's name and time, so that the same source gives the same bytes.
configure_file(data/debian/changelog ${PROJECT_BINARY_DIR}/debian/changelog COPYONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
    COMMAND gzip -9nkf ${PROJECT_BINARY_DIR}/debian/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog
    VERBATIM)
add_custom_target(filarion_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
install(FILES data/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/filarion)
install(FILES data/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/filarion-cli COMPONENT cli)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME filarion)
set(CPACK_PACKAGE_VERSION ${FILARION_VERSION})
set(CPACK_PACKAGE_VENDOR "Filarion maintainers")
set(CPACK_PACKAGE_CONTACT "Filarion maintainers <maintainers@users.noreply.c-seed-4e77cf46.example>")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL window cli)
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME filarion)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME filarion-cli)
# Each description's first line is its package's summary.
set(CPACK_DEBIAN_WINDOW_DESCRIPTION
    "batch renamer with a Chinese user interface
Filarion renames all the files of one folder that match a pattern at once,
by one of four methods: replace a text, number behind a prefix, pad with a
fill character, or insert a text at a position. A rename never overwrites a
file, and every run is recorded in a log in the folder. The same files can be
written out as a numbered list file. Its window is in Chinese.")
set(CPACK_DEBIAN_CLI_DESCRIPTION
    "batch renamer for the command line, in Chinese
filarion-cli does what the Filarion window does, without a display: it
renames all the files of one folder that match a pattern at once (replace,
number, fill, insert), writes a list file, or takes the last run back, with
the same checks, messages and log as the window. It needs Qt Core only, so
it runs on a NAS or a server reached over ssh, and in scripts and cron jobs.
It has a dry run, JSON output and exit statuses for scripts.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://filarion.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "fonts-wqy-microhei, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "")
# Native windows on a Wayland session (without it the window goes through XWayland), and a pinyin input
# method with its Qt 6 frontend, without which no Chinese can be typed into the fields.
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_WINDOW_PACKAGE_SUGGESTS "ibus-libpinyin | fcitx5-chinese-addons, fcitx5-frontend-qt6")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
