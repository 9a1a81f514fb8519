# Hardening of the native Linux builds, as a distribution builds its packages: stack protector
# (strong), fortified libc calls, full RELRO with immediate binding, a position-independent
# executable, and stack-clash and control-flow (CET) protection where the compiler has them.
#
# Off with -DVELK_HARDEN=OFF: the sanitizer, coverage and fuzzing presets do so, as the
# instrumentation wants the plain code. The browser build has no such flags, and the Windows
# build takes what MinGW offers instead.
option(VELK_HARDEN "Build with a distribution package's hardening flags" ON)

if(VELK_HARDEN AND NOT EMSCRIPTEN AND NOT WIN32)
  include(CheckCXXCompilerFlag)
  include(CheckPIESupported)

  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  add_compile_options(-fstack-protector-strong)
  # Fortified calls need the optimiser: a Debug build (-O0) would only warn. A compiler that
  # already defines the macro gets it defined once more, at this level.
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "VELK_CXX_HAS${flag}" have_flag)
    check_cxx_compiler_flag(${flag} ${have_flag})
    if(${have_flag})
      add_compile_options(${flag})
    endif()
  endforeach()
  add_link_options(LINKER:-z,relro,-z,now)
endif()
