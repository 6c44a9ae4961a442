# The Debian package: cpack -G DEB in the build folder (scripts/package.sh).
# dpkg-shlibdeps finds the Qt libraries the programs link; the platform plugins
# (qt6-qpa-plugins) are loaded at run time, so it cannot see them.
set(CPACK_PACKAGE_NAME vantora-config)
set(CPACK_PACKAGE_VENDOR "Equipe Vantora")
set(CPACK_PACKAGE_CONTACT "Equipe Vantora <suporte@vantora.com.br>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of the Vantora programmable POS keyboard")
# Description lines stay within 80 columns (dpkg indents each by one).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Decides what each key of the Vantora point-of-sale keyboard sends (four code\n"
    "tables) and what its magnetic-card reader sends, saves layout files and writes\n"
    "them into the keyboard over a serial port. Includes vantora-prog, the same from\n"
    "the command line, and vantora-sim, an emulated keyboard on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Packaged apart from the sources: Debian revision 1 of release 0.1.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
set(CPACK_GENERATOR DEB)
include(CPack)
