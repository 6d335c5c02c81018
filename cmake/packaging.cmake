# What an installation holds, and the Debian package made from it with
# `cmake --build BUILD --target package` (any build type; the package is
# stripped and names its library dependencies as dpkg-shlibdeps finds them).
#
#   bin/                          ostrel, ostrelctl, ostrel-unitsim
#   share/ostrel/                 the folders of data/: Models, Help, ...
#   lib/udev/rules.d/             the interface cable's rule
#   share/applications, share/metainfo, share/icons/hicolor
#   share/man/man1, share/bash-completion/completions, share/doc/ostrel

set(OSTREL_APP_ID "org.ostrel.Ostrel")
set(OSTREL_MAINTAINER "The ostrel developers <dev@ostrel.org>"
    CACHE STRING "The package's maintainer (name <address>)")
set(OSTREL_SCREENSHOT "main-form.png")
set(pkg "${PROJECT_SOURCE_DIR}/packaging")
set(pkgbin "${PROJECT_BINARY_DIR}/packaging")

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The shipped data: the folders of data/ directly under share/ostrel, where
# the programs look for them beside their bin/.
install(DIRECTORY data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/ostrel
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        PATTERN udev EXCLUDE
        PATTERN Models-overview.md EXCLUDE)
# udev looks in lib/udev below the prefix on every architecture.
install(FILES data/udev/60-ostrel-cable.rules DESTINATION lib/udev/rules.d)

configure_file("${pkg}/${OSTREL_APP_ID}.metainfo.xml.in"
               "${pkgbin}/${OSTREL_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${pkg}/${OSTREL_APP_ID}.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${pkgbin}/${OSTREL_APP_ID}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES "${pkg}/icons/${OSTREL_APP_ID}.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES "${pkg}/icons/${OSTREL_APP_ID}-${size}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${OSTREL_APP_ID}.png)
endforeach()

# The Debian changelog, compressed as Debian wants it (gzip -9, no name or
# time in the header), and the copyright notice.
execute_process(
  COMMAND "${Python3_EXECUTABLE}" -c
          "import datetime,email.utils,sys;d=datetime.datetime.strptime(sys.argv[1],'%Y-%m-%d');print(email.utils.format_datetime(d.replace(tzinfo=datetime.timezone.utc)))"
          ${OSTREL_RELEASE_DATE}
  OUTPUT_VARIABLE OSTREL_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file("${pkg}/debian/changelog.in" "${pkgbin}/changelog" @ONLY)
execute_process(
  COMMAND "${Python3_EXECUTABLE}" -c
          "import gzip,sys;open(sys.argv[2],'wb').write(gzip.compress(open(sys.argv[1],'rb').read(),9,mtime=0))"
          "${pkgbin}/changelog" "${pkgbin}/changelog.gz"
  COMMAND_ERROR_IS_FATAL ANY)
install(FILES "${pkgbin}/changelog.gz" "${pkg}/debian/copyright"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ostrel)
install(FILES "${pkg}/debian/lintian-overrides"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ostrel)

# Hardened binaries for optimised builds, as Debian builds its own (not the
# fuzz build: its sanitizers intercept what the checked functions would).
if(NOT OSTREL_FUZZ)
  add_compile_options("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-fstack-protector-strong>")
  add_compile_definitions("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>")
endif()
add_link_options("LINKER:-z,relro" "LINKER:-z,now")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "ostrel")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGE_CONTACT "${OSTREL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for liquid-level transmitters")
# CPack puts the summary first and indents the body; an empty line is a
# paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ostrel configures ultrasonic, guided-wave and pulse radar level transmitters
connected through their USB interface cable: it identifies the unit, reads
and writes its configuration with the value checks of its model, builds tank
volume and flow tables, shows the live level and the echo curves, and updates
the firmware.

The package also holds ostrelctl, the same procedures for scripts and the
terminal, and ostrel-unitsim, a simulated unit on a pseudo-terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${OSTREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${pkg}/debian/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Only what the install rules above name: no headers or archives of the
# libraries the build makes along the way.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
include(CPack)
