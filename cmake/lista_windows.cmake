# cmake -DPASTA=<folder> -DLISTA=<file> -P lista_windows.cmake: what the installer puts
# in the folder, as NSIS macros: VANTORA_EM_USO checks the programs and DLLs, which
# Windows keeps while a program runs, before anything is written or removed
# (calling the function EmUso with each one's path); VANTORA_APAGA removes the files,
# then the folders deepest first.
file(GLOB_RECURSE arquivos RELATIVE "${PASTA}" LIST_DIRECTORIES true "${PASTA}/*")
set(linhas "")
set(pastas "")
set(em_uso "")
foreach(a ${arquivos})
    string(REPLACE "/" "\\" w "${a}")
    if(IS_DIRECTORY "${PASTA}/${a}")
        list(PREPEND pastas "RMDir \"$INSTDIR\\${w}\"\n")
    else()
        string(APPEND linhas "Delete \"$INSTDIR\\${w}\"\n")
        # the programs first: the file named to the user is the one they have open
        if(a MATCHES "\\.exe$")
            string(PREPEND em_uso "Push \"$INSTDIR\\${w}\"\nCall EmUso\n")
        elseif(a MATCHES "\\.dll$")
            string(APPEND em_uso "Push \"$INSTDIR\\${w}\"\nCall EmUso\n")
        endif()
    endif()
endforeach()
list(SORT pastas ORDER DESCENDING)
string(REPLACE ";" "" pastas "${pastas}")
file(WRITE "${LISTA}" "!macro VANTORA_EM_USO\n${em_uso}!macroend\n!macro VANTORA_APAGA\n${linhas}${pastas}!macroend\n")
