# 32-bit Windows: the release build.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUENZEL_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
# Every processor that runs a supported Windows has SSE2; the cipher's loop uses it.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
