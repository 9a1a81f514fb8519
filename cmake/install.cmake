# Install layout of the game and its Debian package.
#
#   cmake --install build/main --prefix ~/.local      # or /usr/local (the default)
#   cd build/package && cpack                          # velkarovantine_<version>_<arch>.deb
#
# The desktop entry, the AppStream metainfo and the icons are all named after the application id,
# so desktop shells can match the running window, the menu entry and the software centre entry.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows_package.cmake)
  return()
endif()
include(GNUInstallDirs)

set(VELK_APP_ID io.github.velkarovantine.Velkarovantine)
set(VELK_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(VELK_PACKAGE_MAINTAINER "The Velkarovantine developers <developers@velkarovantine.invalid>"
    CACHE STRING "Maintainer field of the Debian package: Name <address>")

# Debian wants manual pages compressed, reproducibly (-n: no name or time stamp in the header).
set(VELK_MAN_PAGE_GZ ${CMAKE_CURRENT_BINARY_DIR}/velkarovantine.6.gz)
add_custom_command(
  OUTPUT ${VELK_MAN_PAGE_GZ}
  COMMAND gzip -9 -n -c ${VELK_PACKAGING_DIR}/velkarovantine.6 > ${VELK_MAN_PAGE_GZ}
  DEPENDS ${VELK_PACKAGING_DIR}/velkarovantine.6
  COMMENT "Compressing the manual page"
  VERBATIM)
add_custom_target(velk_man_page ALL DEPENDS ${VELK_MAN_PAGE_GZ})

install(TARGETS velkarovantine RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VELK_PACKAGING_DIR}/${VELK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${VELK_PACKAGING_DIR}/${VELK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(DIRECTORY ${VELK_PACKAGING_DIR}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons)
install(FILES ${VELK_MAN_PAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/velkarovantine
        RENAME copyright)

# Debian package: cpack in the build directory writes the standard file name.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velkarovantine)
set(CPACK_PACKAGE_VENDOR "The Velkarovantine developers")
set(CPACK_PACKAGE_CONTACT "${VELK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D arcade racing game: dodge obstacles on an endless road")
# Line breaks are kept: the Debian control file wants the long description in short lines.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Your car drives down an endless straight road lined with trees. Steer\n"
       "between three lanes to dodge the blocks, balls and drums coming towards\n"
       "you, and speed up or slow down. The score counts how long you survive;\n"
       "touching an obstacle ends the race. Played with the keyboard and the\n"
       "mouse in one OpenGL window.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
