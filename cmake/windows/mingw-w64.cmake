# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model). The program and
# its tests are linked fully static, so they need no MinGW DLL beside them; they run under Wine here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VARNET_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VARNET_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNET_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNET_MINGW_PREFIX}-windres)

# Our own static dependencies (Expat, GoogleTest) are installed under VARNET_WINDOWS_DEPS.
set(CMAKE_FIND_ROOT_PATH /usr/${VARNET_MINGW_PREFIX} ${VARNET_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and discovery run through Wine (see windows-env.sh for the prefix it needs).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
