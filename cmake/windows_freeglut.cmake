# GL, GLU and GLUT for the Windows build: Windows' opengl32 and glu32, and freeglut from Debian's
# source package of the freeglut the Linux build links, fetched once (scripts/debian-source.sh
# checks it against its signed .dsc) and cross-built at configure time into a static library under
# build/. Every later configure, in any build folder, reuses it without the network.
set(VELK_FREEGLUT_DEBIAN_VERSION 3.4.0-1)
set(VELK_FREEGLUT_DIR
    ${PROJECT_SOURCE_DIR}/build/freeglut-${VELK_FREEGLUT_DEBIAN_VERSION}-${CMAKE_SYSTEM_PROCESSOR}-windows
    CACHE PATH "Where freeglut for Windows is fetched, built and installed")
set(prefix ${VELK_FREEGLUT_DIR}/install)
set(library ${prefix}/lib/libglut.a)

function(velk_freeglut_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(FATAL_ERROR "freeglut for Windows: ${what} failed:\n${out}")
  endif()
endfunction()

if(NOT EXISTS ${library})
  message(STATUS "Building freeglut ${VELK_FREEGLUT_DEBIAN_VERSION} for Windows in ${VELK_FREEGLUT_DIR}")
  velk_freeglut_step("fetching Debian's source package"
    bash ${PROJECT_SOURCE_DIR}/scripts/debian-source.sh freeglut ${VELK_FREEGLUT_DEBIAN_VERSION}
         ${VELK_FREEGLUT_DIR})
  # Only the static library, as GLUT (GL/glut.h, libglut.a), with the same toolchain and the
  # game's floating-point rule.
  velk_freeglut_step("configuring"
    ${CMAKE_COMMAND} -S ${VELK_FREEGLUT_DIR}/src -B ${VELK_FREEGLUT_DIR}/build -G ${CMAKE_GENERATOR}
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_FLAGS=-ffp-contract=off -DCMAKE_INSTALL_PREFIX=${prefix}
    -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF
    -DFREEGLUT_REPLACE_GLUT=ON)
  cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
  velk_freeglut_step("building"
    ${CMAKE_COMMAND} --build ${VELK_FREEGLUT_DIR}/build --target install --parallel ${cores})
endif()

add_library(OpenGL::GL INTERFACE IMPORTED)
set_target_properties(OpenGL::GL PROPERTIES INTERFACE_LINK_LIBRARIES opengl32)
add_library(OpenGL::GLU INTERFACE IMPORTED)
set_target_properties(OpenGL::GLU PROPERTIES INTERFACE_LINK_LIBRARIES glu32)
add_library(GLUT::GLUT STATIC IMPORTED)
set_target_properties(GLUT::GLUT PROPERTIES
  IMPORTED_LOCATION ${library} INTERFACE_LINK_LIBRARIES "glu32;opengl32;gdi32;winmm")
# GL/glut.h for every file, as a system header is on Linux: the game's libraries include it and
# leave the linking to the program. FREEGLUT_STATIC: it declares a static library's functions, not
# a DLL's imports.
include_directories(SYSTEM ${prefix}/include)
add_compile_definitions(FREEGLUT_STATIC)
