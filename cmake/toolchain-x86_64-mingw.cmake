# 64-bit Windows with MinGW-w64: the Windows tests on hosts that run no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VERROW_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
