# Cross toolchain for 64-bit Windows: Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
#
#   cmake --preset windows        # or: cmake -S . -B build/windows --toolchain cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELK_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VELK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELK_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW sysroot only, programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VELK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: libstdc++, libgcc, winpthread and libssp linked in, so that it
# imports only Windows' own DLLs. Hardened as Windows expects of a program: a relocatable image
# at a random 64-bit base (ASLR with high-entropy addresses), data never executable (DEP), and
# stack canaries in functions with arrays.
set(CMAKE_C_FLAGS_INIT "-fstack-protector-strong")
set(CMAKE_CXX_FLAGS_INIT "-fstack-protector-strong")
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -fstack-protector-strong -Wl,--dynamicbase,--nxcompat,--high-entropy-va")
