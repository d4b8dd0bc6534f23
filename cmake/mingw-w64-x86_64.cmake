# Cross-building the Windows programs with Debian's mingw-w64 toolchain, in its
# POSIX-threads variant (std::thread, std::mutex). The programs are linked
# statically, so they need no DLL beside them; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SPRITE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SPRITE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SPRITE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SPRITE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SPRITE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthreads go into the programs themselves.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the cross-built test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
