# 32-bit Windows: the release build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUENZEL_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QUENZEL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENZEL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENZEL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUENZEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Every processor that runs a supported Windows has SSE2; the cipher's loop uses it.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
