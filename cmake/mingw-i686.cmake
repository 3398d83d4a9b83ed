# Cross-compiles for 32-bit Windows with mingw-w64. The -posix compilers are
# used because the -win32 thread model lacks std::mutex and std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TROVIK_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TROVIK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TROVIK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TROVIK_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${TROVIK_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${TROVIK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
