# The Debian package, made by CPack's DEB generator straight from the install rules
# (scripts/package), so the package and `cmake --install` can never disagree.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velkaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${VELKARO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELKARO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "world time map with Velkaro time")
set(CPACK_PACKAGE_DESCRIPTION
"Velkaro shows a world map with a dot for every city. Point at a city to see
its time; click it and the status strip shows that time beside Velkaro time,
a compact notation of a fixed zone eight hours behind UTC. Its tools convert
between a city's time and Velkaro time, compute the time in one city when
another shows a given time, read a daytime server's time, and set the colours,
fonts and formats of the displays.

The command velkaro-time prints the same times for scripts and terminals.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the binaries' shared libraries (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# City times come from the two list files, but the computer's own local time (the tray
# tooltip, the tools' defaults) needs the system's zone database.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS tzdata)
if(VELKARO_HOMEPAGE MATCHES "^https?://")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELKARO_HOMEPAGE}")
endif()
# velkaro_<version>_<arch>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
