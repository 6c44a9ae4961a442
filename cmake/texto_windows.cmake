# cmake -DENTRADA=<file> -DSAIDA=<file.txt> [-DGROFF=<groff>] -P texto_windows.cmake:
# a text for Windows users beside the programs: a man page formatted as plain text
# (with GROFF), or a text file as it is, in UTF-8 with a byte-order mark and CR LF
# line ends, as Notepad reads it on every Windows.
if(GROFF)
    execute_process(COMMAND ${GROFF} -man -Tutf8 -P-cbou ${ENTRADA} OUTPUT_VARIABLE texto
        RESULT_VARIABLE status ERROR_VARIABLE erro)
    if(NOT status EQUAL 0 OR NOT texto)
        message(FATAL_ERROR "groff could not format ${ENTRADA}: ${erro}")
    endif()
else()
    file(READ ${ENTRADA} texto)
endif()
string(REPLACE "\r\n" "\n" texto "${texto}")
string(REPLACE "\n" "\r\n" texto "${texto}")
string(ASCII 239 187 191 bom)
file(WRITE ${SAIDA} "${bom}${texto}")
