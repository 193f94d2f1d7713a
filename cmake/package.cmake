# The Debian package: `cpack -G DEB` in the build folder makes meldrix5_<version>_<arch>.deb from
# what `cmake --install` puts under the prefix.
set(CPACK_PACKAGE_NAME meldrix5)
set(CPACK_PACKAGE_VENDOR "MELDRIX5N developers")
set(CPACK_PACKAGE_CONTACT "MELDRIX5N developers <meldrix5n@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "EPROM, Flash and EEPROM programmer front end for the MELDRIX parallel-port board")
set(CPACK_PACKAGE_DESCRIPTION
    "Drives the MELDRIX parallel-port programmer board, models 4 and 5: reads, blank-checks,
verifies, programs and erases UV EPROMs (2732 to 27C080), 5 V Flash memories and the
X28C256 EEPROM, shows the code and data buffers as hex and ASCII, and logs every step.
Without a parallel port it runs on its built-in simulated board.
The port is reached through ppdev (/dev/parport*): the user must be in group lp.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies are those of the libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# MAME's software lists, in which the program names the ROMs it reads (SQLite and expat, which
# index them, are libraries the programs link: shlibdeps finds them).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS mame-data)

include(CPack)
