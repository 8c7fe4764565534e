# Compiler settings shared by every target. Compiler-specific flags stay behind checks
# so the same files build with MinGW on Windows too.

# Sources are UTF-8; narrow string literals become code page 932 bytes, the program's
# only text encoding. clang (used for the fuzz targets only) cannot convert and keeps UTF-8.
set(VERROW_GCC_LIKE OFF)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(VERROW_GCC_LIKE ON)
endif()

function(verrow_target_flags target)
    if(VERROW_GCC_LIKE)
        target_compile_options(${target} PRIVATE
            -Wall -Wextra -Wno-unused-parameter
            -finput-charset=UTF-8 -fexec-charset=CP932)
    elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
    endif()
    if(WIN32)
        target_compile_definitions(${target} PRIVATE
            WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800 NOMINMAX STRICT)
    endif()
endfunction()

if(VERROW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(VERROW_FUZZ)
    # A finding of the undefined-behaviour checks must end the run, as a crash does: by
    # default they only print and the fuzzer goes on to report success.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(MINGW)
    # One self-contained executable: no MinGW runtime DLLs next to it.
    add_link_options(-static -static-libgcc -static-libstdc++)
    if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel" OR CMAKE_BUILD_TYPE STREQUAL "Release")
        add_compile_options(-ffunction-sections -fdata-sections)
        add_link_options(-Wl,--gc-sections -s)
    endif()
endif()

# The program's own code: it has no exception handlers (an exception would end the program
# at once either way), so its release build leaves out what exceptions need: 12 KB of
# Verrow.exe. Tests keep their handlers; only these targets' objects change.
function(verrow_product_flags)
    if(MINGW AND CMAKE_BUILD_TYPE MATCHES "^(MinSizeRel|Release)$")
        foreach(target IN LISTS ARGN)
            target_compile_options(${target} PRIVATE -fno-exceptions)
        endforeach()
    endif()
endfunction()


# A 64-bit build's copy of MANIFEST (NAME.manifest) that names amd64 instead of x86, as
# NAME-amd64.manifest in the current binary folder, where TARGET's resource script finds it.
function(verrow_amd64_manifest target manifest)
    if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
        return()
    endif()
    get_filename_component(name ${manifest} NAME_WE)
    file(READ ${manifest} x86)
    string(REPLACE "processorArchitecture=\"x86\"" "processorArchitecture=\"amd64\"" amd64 "${x86}")
    if(amd64 STREQUAL x86)
        message(FATAL_ERROR "${manifest} names no x86 architecture")
    endif()
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${name}-amd64.manifest)
    file(CONFIGURE OUTPUT ${out} CONTENT "${amd64}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifest})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
