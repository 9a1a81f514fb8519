# velkarovantine.exe as Windows expects a program: a GUI program (no console window opens with
# it), glibc's rand() sequence in place of msvcrt's (the courses of Linux and the browser), and
# resources with the game's icon, its version information and its manifest.
set(VELK_WINDOWS_PRODUCT Velkarovantine)
set(VELK_WINDOWS_PUBLISHER "The Velkarovantine developers")
set(VELK_WINDOWS_SUMMARY "${PROJECT_DESCRIPTION}")
# "Copyright (c) <year> <holders>. MIT License.", from the licence's own lines.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_name LIMIT_COUNT 1)
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE copyright REGEX "^Copyright" LIMIT_COUNT 1)
set(VELK_WINDOWS_COPYRIGHT "${copyright}. ${licence_name}.")

set_target_properties(velkarovantine PROPERTIES WIN32_EXECUTABLE ON)
target_link_libraries(velkarovantine PRIVATE velk_glibc_rand_override)

# The icon, made at build time from the rendered icons of packaging/icons (the ones the Linux
# desktop and the web page use), so it never drifts from them: every size from 16 to 256 px, the
# 256 px one stored as PNG, as Windows reads it since Vista.
find_program(VELK_ICOTOOL icotool REQUIRED)
set(VELK_WINDOWS_ICON ${CMAKE_BINARY_DIR}/velkarovantine.ico)
set(icon_dir ${PROJECT_SOURCE_DIR}/packaging/icons/hicolor)
set(icon_name apps/io.github.velkarovantine.Velkarovantine.png)
set(icon_pngs)
foreach(size 16 24 32 48 64 128)
  list(APPEND icon_pngs ${icon_dir}/${size}x${size}/${icon_name})
endforeach()
add_custom_command(
  OUTPUT ${VELK_WINDOWS_ICON}
  COMMAND ${VELK_ICOTOOL} --create --output=${VELK_WINDOWS_ICON} ${icon_pngs}
          --raw=${icon_dir}/256x256/${icon_name}
  DEPENDS ${icon_pngs} ${icon_dir}/256x256/${icon_name}
  COMMENT "Making the Windows icon velkarovantine.ico"
  VERBATIM)
add_custom_target(velk_windows_icon DEPENDS ${VELK_WINDOWS_ICON})

enable_language(RC)
set(VELK_WINDOWS_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/velkarovantine.manifest)
set(resources ${CMAKE_BINARY_DIR}/velkarovantine.rc)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/velkarovantine.rc.in ${resources} @ONLY)
target_sources(velkarovantine PRIVATE ${resources})
set_source_files_properties(${resources} TARGET_DIRECTORY velkarovantine PROPERTIES
                            OBJECT_DEPENDS "${VELK_WINDOWS_ICON};${VELK_WINDOWS_MANIFEST}")
add_dependencies(velkarovantine velk_windows_icon)
