# 32-bit Windows (the shipped Verrow.exe) with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VERROW_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
