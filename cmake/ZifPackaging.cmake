# Debian package of everything `cmake --install` puts under the prefix: cpack -G DEB.
set(CPACK_PACKAGE_NAME "zifwandler")
# The package carries the version people see ("1.02"), not the CMake form ("1.2").
set(CPACK_PACKAGE_VERSION "${ZIF_DISPLAY_VERSION}")
set(CPACK_PACKAGE_VENDOR "Die ZIF-Wandler-Autoren")
set(CPACK_PACKAGE_CONTACT "Die ZIF-Wandler-Autoren <zifwandler@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Ein kleines Fenster mit einem Dezimal- und einem Hexadezimalfeld; was in ein Feld getippt wird, erscheint umgerechnet im anderen.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Dependencies come from the shared libraries the executable links (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
