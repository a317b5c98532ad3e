# The Debian package: cpack -G DEB in a build folder (scripts/package.sh does it all).
# It holds what the install rules put under /usr, the copyright file and the changelog;
# dpkg-shlibdeps finds what it depends on from the programs themselves.

set(WT_PACKAGE_MAINTAINER "WinTesselTest developers <dev@wintesseltest.invalid>"
    CACHE STRING "Maintainer of the Debian package, as 'Name <address>'")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wintesseltest)
set(CPACK_PACKAGE_VENDOR "WinTesselTest developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${WT_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "diagnostic tool for the QZ4 SysEx scanner box")
set(CPACK_PACKAGE_DESCRIPTION
    "WinTesselTest talks MIDI System Exclusive to a QZ4, the box that scans
the key sensors of an instrument keyboard strip. It fetches the box's
calibration, polls it every 120 ms and shows the raw sensor readings as
bars with their calibration marks, the readings normalised to each
sensor's range, and how steady they are.

The package holds three programs:
 - wintesseltest, the window program (Qt Widgets);
 - wintesseltest-cli, the same session without a window, for scripts and
   test benches: a scan or a decode of captured bytes, limits that set
   the exit status, a report, a picture and a JSON document;
 - qz4sim, a simulated QZ4 on JACK or ALSA MIDI ports.
Both diagnostic programs also have a QZ4 simulator built in, so they can
be tried without the box.")
# Name_Version_Architecture.deb, the name Debian gives its own packages.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# qz4sim and the programs can use a JACK server, which the libraries alone don't bring.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jackd2")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# What every Debian package carries in /usr/share/doc/<package>: the copyright file
# and the changelog, compressed. The changelog's entry is made for this version; its
# date follows SOURCE_DATE_EPOCH when set, so that a rebuild gives the same file.
find_program(WT_GZIP gzip REQUIRED)
set(_wt_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
string(TIMESTAMP WT_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in
               ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${WT_GZIP} -9 -n -f -k ${PROJECT_BINARY_DIR}/packaging/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog
    VERBATIM)
add_custom_target(wt_package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${_wt_doc_dir})

include(CPack)
