# The release package, `cmake --build --preset win32 --target package`: Verrow-1.2.2.zip
# in the build folder, holding the stripped Verrow.exe and the Japanese guide Verrow.txt,
# both at the top of the archive (Windows' own "extract all" makes the folder).
# The version is the project's, the one the version record is made from.

# The guide: written in UTF-8 (docs/Verrow.txt.in), shipped in code page 932 with CR LF.
find_program(VERROW_ICONV iconv REQUIRED)
set(VERROW_GUIDE ${CMAKE_BINARY_DIR}/Verrow.txt)
set(VERROW_GUIDE_SOURCE ${PROJECT_SOURCE_DIR}/docs/Verrow.txt.in)
add_custom_command(OUTPUT ${VERROW_GUIDE}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${VERROW_GUIDE_SOURCE} -DOUTPUT=${VERROW_GUIDE}
            -DVERSION=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}
            -DICONV=${VERROW_ICONV} -P ${CMAKE_CURRENT_LIST_DIR}/cp932-text.cmake
    DEPENDS ${VERROW_GUIDE_SOURCE} ${CMAKE_CURRENT_LIST_DIR}/cp932-text.cmake
    COMMENT "Verrow.txt (code page 932, CR LF)"
    VERBATIM)
add_custom_target(verrow_guide ALL DEPENDS ${VERROW_GUIDE})

install(TARGETS Verrow RUNTIME DESTINATION .)
install(FILES ${VERROW_GUIDE} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Verrow)
set(CPACK_PACKAGE_VENDOR Verrow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGE_FILE_NAME Verrow-${CPACK_PACKAGE_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)  # stripped whatever the build type
# Stripping drops the flags that have the program run from memory: set again once stripped.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package-swaprun.cmake)
set(CPACK_VERROW_PYTHON ${VERROW_PYTHON})
set(CPACK_VERROW_SWAPRUN ${PROJECT_SOURCE_DIR}/tools/pe-swaprun.py)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
