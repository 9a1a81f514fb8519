# The Windows game's zip and installer, made by cpack in the build folder (cpack --preset windows):
#   velkarovantine-VERSION-windows-x64.zip        a folder with velkarovantine.exe, README.txt and
#                                                 LICENSE.txt, to unpack and play anywhere
#   velkarovantine-VERSION-windows-x64-setup.exe  a 64-bit NSIS installer for all users: Program
#       Files\Velkarovantine, a Start menu entry, an entry in "Apps & features" with the game's
#       icon, version, publisher and size, and an uninstaller; /S installs or uninstalls silently.
set(VELK_WINDOWS_PACKAGE velkarovantine-${PROJECT_VERSION}-windows-x64)

# Texts with Windows line ends, named .txt so that a double click opens them.
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS velkarovantine RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME ${VELK_WINDOWS_PRODUCT})
set(CPACK_PACKAGE_VENDOR ${VELK_WINDOWS_PUBLISHER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${VELK_WINDOWS_SUMMARY})
set(CPACK_PACKAGE_FILE_NAME ${VELK_WINDOWS_PACKAGE})
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt)
# The installer's name; the zip keeps the plain one.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/windows_package_names.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} CONTENT [[
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "@VELK_WINDOWS_PACKAGE@-setup")
endif()
]] @ONLY)

# One folder and one "Apps & features" entry whatever the version, so that installing a new
# version first removes the old one (silently under /S).
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${VELK_WINDOWS_PRODUCT})
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ${VELK_WINDOWS_PRODUCT})
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_PACKAGE_NAME ${VELK_WINDOWS_PRODUCT})
set(CPACK_NSIS_DISPLAY_NAME ${VELK_WINDOWS_PRODUCT})
set(CPACK_PACKAGE_EXECUTABLES velkarovantine ${VELK_WINDOWS_PRODUCT})
set(CPACK_NSIS_INSTALLED_ICON_NAME velkarovantine.exe)
set(CPACK_NSIS_MUI_ICON ${VELK_WINDOWS_ICON})
set(CPACK_NSIS_MUI_UNIICON ${VELK_WINDOWS_ICON})
set(CPACK_NSIS_MUI_FINISHPAGE_RUN velkarovantine.exe)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# A 64-bit installer for the 64-bit game: Program Files and the registry's own 64-bit view.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DEFINES "Target amd64-unicode\n!include FileFunc.nsh")
# "Apps & features" shows the size it is told.
set(uninstall_key "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${VELK_WINDOWS_PRODUCT}")
string(CONCAT CPACK_NSIS_EXTRA_INSTALL_COMMANDS
       "\${GetSize} \"$INSTDIR\" \"/S=0K\" $0 $1 $2\n"
       "IntFmt $0 \"0x%08X\" $0\n"
       "WriteRegDWORD SHCTX \"${uninstall_key}\" \"EstimatedSize\" \"$0\"")
include(CPack)
