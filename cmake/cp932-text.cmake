# Turns a UTF-8 text into a text file as Japanese Windows users expect one next to a
# program: code page 932, CR LF line ends. @VERROW_VERSION@ becomes VERSION.
#   cmake -DSOURCE=in.txt -DOUTPUT=out.txt -DVERSION=1.2.2 -DICONV=iconv -P cp932-text.cmake
# A character that code page 932 does not have fails the conversion, and the build.
file(READ "${SOURCE}" text)
string(REPLACE "\r\n" "\n" text "${text}")  # a checkout with CR LF line ends
string(REPLACE "@VERROW_VERSION@" "${VERSION}" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}.utf8" "${text}")
execute_process(COMMAND "${ICONV}" -f UTF-8 -t CP932 "${OUTPUT}.utf8"
    OUTPUT_FILE "${OUTPUT}.part" ERROR_VARIABLE error RESULT_VARIABLE result)
file(REMOVE "${OUTPUT}.utf8")
if(NOT result EQUAL 0)
    file(REMOVE "${OUTPUT}.part")
    message(FATAL_ERROR "${SOURCE}: not convertible to code page 932: ${error}")
endif()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
