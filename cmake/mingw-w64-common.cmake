# MinGW-w64 cross build for SKYREEL_MINGW_ARCH (i686 or x86_64), set by the
# toolchain file that includes this one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SKYREEL_MINGW_ARCH})
set(_triple ${SKYREEL_MINGW_ARCH}-w64-mingw32)
# The posix threading model: std::thread and std::mutex need it.
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Static libstdc++, libgcc and winpthreads: the program and the tests run
# on a clean Windows (or Wine) with no MinGW DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
