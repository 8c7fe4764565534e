# Windows with MinGW-w64, included by the toolchain file of each architecture after it
# has set VERROW_MINGW_TARGET (the target triple) and CMAKE_SYSTEM_PROCESSOR. On Linux
# this is a cross build whose programs run under wine; on Windows with MinGW on the PATH
# the same file picks the native tools.
set(CMAKE_SYSTEM_NAME Windows)

if(CMAKE_HOST_WIN32)
    set(_verrow_prefix "")
else()
    set(_verrow_prefix "${VERROW_MINGW_TARGET}-")
endif()

# The -posix variants carry the full C++ library (threads included).
find_program(VERROW_MINGW_CXX NAMES ${_verrow_prefix}g++-posix ${_verrow_prefix}g++ REQUIRED)
find_program(VERROW_MINGW_CC NAMES ${_verrow_prefix}gcc-posix ${_verrow_prefix}gcc REQUIRED)
find_program(VERROW_MINGW_RC NAMES ${_verrow_prefix}windres windres REQUIRED)
set(CMAKE_CXX_COMPILER ${VERROW_MINGW_CXX})
set(CMAKE_C_COMPILER ${VERROW_MINGW_CC})
set(CMAKE_RC_COMPILER ${VERROW_MINGW_RC})

if(NOT CMAKE_HOST_WIN32)
    set(CMAKE_FIND_ROOT_PATH /usr/${VERROW_MINGW_TARGET})
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
endif()

# Test programs run under wine in the build's own prefix (see tools/wine-run).
if(NOT CMAKE_HOST_WIN32)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run;${CMAKE_BINARY_DIR}")
endif()
