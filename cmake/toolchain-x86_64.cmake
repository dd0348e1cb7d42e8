# 64-bit Windows: kept building and 64-bit clean.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUENZEL_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
