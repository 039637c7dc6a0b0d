# The Debian package: cd build && cpack -G DEB. It holds what `cmake --install` installs, under
# /usr. Library dependencies are computed by dpkg-shlibdeps from the executables.
set(CPACK_PACKAGE_NAME zelnoa)
set(CPACK_PACKAGE_VENDOR "The Zelnoa developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "weapon modification calculator for an online game")
set(CPACK_PACKAGE_INSTALL_DIRECTORY zelnoa)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not games: Debian keeps that section for programs in /usr/games, and this one is a calculator.
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Zelnoa developers <zelnoa@zelnoa.github.io>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://zelnoa.github.io/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Every caption is Japanese and the program asks for IPA P Gothic by name; with another font
# the text may not fit the windows' fixed layouts, and with no Japanese font it cannot be read.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
# The first line, the synopsis, is CPACK_PACKAGE_DESCRIPTION_SUMMARY.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
ゼルノア (Zelnoa) plans weapon modifications one upgrade step at a time:
pick a weapon from the master database, apply modifications and see, after
every step, the weapon's figures, the proficiency and cost so far and, with a
stored character profile and bonus set, the resulting combat figures. Plans
are copied to the clipboard and saved per weapon.
.
The command-line tool zelnoa-plan searches for the best plans without a
window. The user interface is in Japanese.]=])

include(CPack)
