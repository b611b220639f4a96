# Cross-builds the Windows x64 programs with MinGW-w64 (posix threads) against the Qt and hidapi
# that scripts/build-windows-deps puts into $QUORVIN_WIN_DEPS (default ~/.cache/quorvin/win64-deps).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DQT_HOST_PATH=/usr \
#         -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake ...
# moc, rcc and lrelease are the build machine's own (Debian's qt6-base-dev-tools, qt6-l10n-tools).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT QUORVIN_WIN_DEPS)
  if(DEFINED ENV{QUORVIN_WIN_DEPS})
    set(QUORVIN_WIN_DEPS "$ENV{QUORVIN_WIN_DEPS}")
  else()
    set(QUORVIN_WIN_DEPS "$ENV{HOME}/.cache/quorvin/win64-deps")
  endif()
endif()
set(QUORVIN_WIN_DEPS "${QUORVIN_WIN_DEPS}" CACHE PATH "Windows builds of Qt and hidapi")
# try_compile projects run this file again without the cache: hand the folder on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORVIN_WIN_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${QUORVIN_WIN_DEPS})
set(CMAKE_PREFIX_PATH ${QUORVIN_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The unit tests are Windows programs: CTest runs them under Wine.
find_program(QUORVIN_WINE NAMES wine64 wine)
if(QUORVIN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVIN_WINE})
endif()
