# Install layout of the game and its Debian package.
#
#   cmake --install build/main --prefix ~/.local      # or /usr/local (the default)
#   cpack --preset package                             # build/package/velkarovantine_*.deb
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
set(VELK_GENERATED ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set(VELK_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velkarovantine)

# Writes CONTENT to PATH unless PATH holds it already, so an unchanged file keeps its time.
function(velk_write_if_changed path content)
  if(EXISTS ${path})
    file(READ ${path} old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE ${path} "${content}")
endfunction()

# Debian wants the manual page and the changelog compressed, reproducibly (-n: no name or time
# stamp in the header); velk_gzip(FILE) makes FILE.gz as part of the build.
function(velk_gzip file)
  add_custom_command(
    OUTPUT ${file}.gz
    COMMAND gzip -9 -n -c ${file} > ${file}.gz
    DEPENDS ${file}
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY VELK_COMPRESSED ${file}.gz)
endfunction()

# This version's files, from CHANGELOG.md and the templates: the manual page, the metainfo with
# every release's notes, and the Debian changelog.
velk_read_changelog(MAINTAINER "${VELK_PACKAGE_MAINTAINER}")
configure_file(${VELK_PACKAGING_DIR}/velkarovantine.6.in ${VELK_GENERATED}/velkarovantine.6 @ONLY)
configure_file(${VELK_PACKAGING_DIR}/${VELK_APP_ID}.metainfo.xml.in
               ${VELK_GENERATED}/${VELK_APP_ID}.metainfo.xml @ONLY)
velk_write_if_changed(${VELK_GENERATED}/changelog "${VELK_DEBIAN_CHANGELOG}")
velk_gzip(${VELK_GENERATED}/velkarovantine.6)
velk_gzip(${VELK_GENERATED}/changelog)

# The copyright file in Debian's machine-readable format, with LICENSE's holder and terms.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE: no \"Copyright (c) ...\" line followed by the terms")
endif()
string(REPLACE "\n" "\n " terms " ${CMAKE_MATCH_2}")
string(REPLACE "\n \n" "\n .\n" terms "${terms}")
velk_write_if_changed(${VELK_GENERATED}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Velkarovantine

Files: *
Copyright: ${CMAKE_MATCH_1}
License: Expat
${terms}
")

get_property(compressed GLOBAL PROPERTY VELK_COMPRESSED)
add_custom_target(velk_packaging_files ALL DEPENDS ${compressed})

# The program goes to /usr/games under the prefix /usr, as Debian keeps its games (Policy 11.11);
# under any other prefix, /usr/local or a user's ~/.local, to the usual bin/. It is decided when
# installing, since the prefix can be chosen then (cmake --install --prefix, cpack's /usr). The
# desktop entry then names the installed program, so it starts whatever the desktop's PATH.
string(CONFIGURE [[
  string(REGEX REPLACE "/+$" "" velk_prefix "${CMAKE_INSTALL_PREFIX}")
  set(velk_program_dir "@CMAKE_INSTALL_BINDIR@")
  if(velk_prefix STREQUAL "/usr")
    set(velk_program_dir games)
  endif()
]] choose_dir @ONLY)
string(CONFIGURE [[
  set(velk_program "${velk_prefix}/${velk_program_dir}/velkarovantine")
  if(CMAKE_INSTALL_DO_STRIP)   # as Debian's dh_strip strips an executable
    execute_process(COMMAND "@CMAKE_STRIP@" --remove-section=.comment --remove-section=.note
                            "$ENV{DESTDIR}${velk_program}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(READ "@VELK_PACKAGING_DIR@/@VELK_APP_ID@.desktop" entry)
  if(velk_program MATCHES "^[A-Za-z0-9/._+-]+$")   # else the bare name, found on PATH
    string(REPLACE "\nExec=velkarovantine\n" "\nExec=${velk_program}\n" entry "${entry}")
  endif()
  file(WRITE "@VELK_GENERATED@/installed/@VELK_APP_ID@.desktop" "${entry}")
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_DATAROOTDIR@/applications"
       TYPE FILE FILES "@VELK_GENERATED@/installed/@VELK_APP_ID@.desktop")
]] place_program @ONLY)
install(CODE "${choose_dir}")
install(TARGETS velkarovantine RUNTIME DESTINATION \${velk_program_dir})
install(CODE "${place_program}")

install(FILES ${VELK_GENERATED}/${VELK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(DIRECTORY ${VELK_PACKAGING_DIR}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons)
install(FILES ${VELK_GENERATED}/velkarovantine.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${VELK_GENERATED}/changelog.gz ${VELK_GENERATED}/copyright
        DESTINATION ${VELK_DOC_DIR})

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
