# CPack, once the files are staged and stripped: Verrow.exe marked again to be run from
# memory when started from a stick (tools/pe-swaprun.py).
file(GLOB_RECURSE staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*Verrow.exe")
if(NOT staged)
    message(FATAL_ERROR "no Verrow.exe staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(exe IN LISTS staged)
    execute_process(COMMAND "${CPACK_VERROW_PYTHON}" "${CPACK_VERROW_SWAPRUN}" "${exe}"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "pe-swaprun.py failed on ${exe}")
    endif()
endforeach()
