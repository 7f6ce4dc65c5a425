# Cross-compiling for Windows with Debian's MinGW-w64 compilers (the posix thread model, which
# std::thread and std::mutex need). Included by the per-architecture toolchain files, which set
# VELKARO_MINGW_TRIPLE first. Programs are linked statically so that they run under Wine, or on
# a bare Windows, without the compiler's run-time DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)  # Windows 7 and later

set(CMAKE_C_COMPILER ${VELKARO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELKARO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELKARO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELKARO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine; ctest prefixes every test command with this (wine-run picks
# the loader that can run on this system).
find_program(VELKARO_WINE wine)
if(VELKARO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
endif()

# The static Qt that scripts/qt-windows builds (its folder in VELKARO_QT_PREFIX): searched like
# the compiler's own libraries, with the host's Qt tools (moc, uic, rcc) of the same version.
if(VELKARO_QT_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VELKARO_QT_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${VELKARO_QT_PREFIX})
  set(QT_HOST_PATH /usr CACHE PATH "Host Qt whose tools the cross build runs")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Host Qt's CMake packages")
endif()
