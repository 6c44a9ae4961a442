# The Windows program folder: the executables with the Qt DLLs and plugins they load,
# the mingw runtime and Qt's Portuguese translations beside them (Qt, its DLLs beside
# the executable, takes that folder for its own: plugins in platforms/ and styles/,
# translations in translations/). The build folder's bin/ gets the same files, so that
# the programs and the tests run from there; `cmake --install` copies the folder a
# user runs (vantora-config/ here), and makensis makes the installer from it.
get_filename_component(VANTORA_QT_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)

set(vantora_dlls)
foreach(m Core Gui Widgets SerialPort)
    list(APPEND vantora_dlls ${VANTORA_QT_PREFIX}/bin/Qt6${m}.dll)
endforeach()
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE caminho OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${caminho}" OR NOT EXISTS "${caminho}")
        message(FATAL_ERROR "${dll} not found beside ${CMAKE_CXX_COMPILER}")
    endif()
    get_filename_component(caminho "${caminho}" REALPATH)
    list(APPEND vantora_dlls ${caminho})
endforeach()
# Debian's qt6-translations-l10n: the translations are the same files on Windows.
find_file(VANTORA_QM_PT qtbase_pt_BR.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VANTORA_QM_PT)
    message(FATAL_ERROR "qtbase_pt_BR.qm not found: install qt6-translations-l10n (scripts/deps.sh)")
endif()

# Each executable's resources (data/windows/programa.rc.in): its manifest and its
# version information, with the company that publishes it (the Debian package's vendor)
# and the copyright line of LICENSE.
set(VANTORA_EMPRESA "Equipe Vantora")
set(VANTORA_PRODUTO "Configurador do Teclado Vantora")
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE VANTORA_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
string(REGEX REPLACE ".*<(.*)>.*" "\\1" VANTORA_CONTATO "${VANTORA_COPYRIGHT}")
string(REGEX REPLACE " *<.*" "" VANTORA_COPYRIGHT "${VANTORA_COPYRIGHT}")
set(VANTORA_VERSAO_VIRGULAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0")
if(PROJECT_VERSION_PATCH)
    set(VANTORA_VERSAO_VIRGULAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
endif()
string(REPLACE "," "." VANTORA_VERSAO_RC "${VANTORA_VERSAO_VIRGULAS}")
function(vantora_recursos VANTORA_PROGRAMA VANTORA_DESCRICAO)
    set(VANTORA_EXE ${VANTORA_PROGRAMA}.exe)
    set(VANTORA_MANIFESTO ${CMAKE_BINARY_DIR}/windows/${VANTORA_PROGRAMA}.manifest)
    configure_file(${CMAKE_SOURCE_DIR}/data/windows/programa.manifest.in ${VANTORA_MANIFESTO} @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/data/windows/programa.rc.in ${CMAKE_BINARY_DIR}/windows/${VANTORA_PROGRAMA}.rc @ONLY)
    target_sources(${VANTORA_PROGRAMA} PRIVATE ${CMAKE_BINARY_DIR}/windows/${VANTORA_PROGRAMA}.rc)
    # windres does not follow the file the .rc names
    set_source_files_properties(${CMAKE_BINARY_DIR}/windows/${VANTORA_PROGRAMA}.rc TARGET_DIRECTORY ${VANTORA_PROGRAMA}
        PROPERTIES OBJECT_DEPENDS ${VANTORA_MANIFESTO})
endfunction()
vantora_recursos(vantora-config "Configurador do Teclado Vantora")
vantora_recursos(vantora-prog "Programador do Teclado Vantora pela linha de comando")

# The build folder: also Qt Test and the offscreen platform, for the tests.
set(bin ${CMAKE_BINARY_DIR}/bin)
file(COPY ${vantora_dlls} ${VANTORA_QT_PREFIX}/bin/Qt6Test.dll DESTINATION ${bin} NO_SOURCE_PERMISSIONS)
file(COPY ${VANTORA_QT_PREFIX}/plugins/platforms ${VANTORA_QT_PREFIX}/plugins/styles DESTINATION ${bin} NO_SOURCE_PERMISSIONS)
file(COPY ${VANTORA_QM_PT} DESTINATION ${bin}/translations NO_SOURCE_PERMISSIONS)

# The user's folder. vantora-prog's legend draws on the windows platform too, for the
# system's fonts.
install(FILES ${vantora_dlls} DESTINATION .)
install(FILES ${VANTORA_QT_PREFIX}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${VANTORA_QT_PREFIX}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${VANTORA_QM_PT} DESTINATION translations)
# A stripped folder (cmake --install --strip, as the installer's is made) has the
# runtime and plugin DLLs stripped too: libstdc++ alone is most of its size otherwise.
set(instaladas platforms/qwindows.dll styles/qwindowsvistastyle.dll)
foreach(dll ${vantora_dlls})
    get_filename_component(nome ${dll} NAME)
    list(APPEND instaladas ${nome})
endforeach()
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(dll ${instaladas})
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${dll}\" COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")

# What a user reads: the README, the manual pages as text, and the example layouts.
find_program(VANTORA_GROFF groff NO_CMAKE_FIND_ROOT_PATH)
if(NOT VANTORA_GROFF)
    message(FATAL_ERROR "groff not found: install groff-base (scripts/deps.sh)")
endif()
set(textos)
foreach(pagina vantora-config vantora-prog)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/windows/doc/${pagina}.txt
        COMMAND ${CMAKE_COMMAND} -DENTRADA=${CMAKE_SOURCE_DIR}/docs/man/${pagina}.1
            -DSAIDA=${CMAKE_BINARY_DIR}/windows/doc/${pagina}.txt -DGROFF=${VANTORA_GROFF}
            -P ${CMAKE_SOURCE_DIR}/cmake/texto_windows.cmake
        DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${pagina}.1 ${CMAKE_SOURCE_DIR}/cmake/texto_windows.cmake VERBATIM)
    list(APPEND textos ${CMAKE_BINARY_DIR}/windows/doc/${pagina}.txt)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/windows/doc/README.txt
    COMMAND ${CMAKE_COMMAND} -DENTRADA=${CMAKE_SOURCE_DIR}/README.md
        -DSAIDA=${CMAKE_BINARY_DIR}/windows/doc/README.txt -P ${CMAKE_SOURCE_DIR}/cmake/texto_windows.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/cmake/texto_windows.cmake VERBATIM)
list(APPEND textos ${CMAKE_BINARY_DIR}/windows/doc/README.txt)
add_custom_target(textos_windows ALL DEPENDS ${textos})
install(FILES ${textos} DESTINATION doc)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION examples)

# The installer, where makensis is installed: vantora-config-setup.exe, with the
# uninstaller made first from the same script (it is no NSIS uninstaller: see there).
find_program(VANTORA_MAKENSIS makensis NO_CMAKE_FIND_ROOT_PATH)
if(VANTORA_MAKENSIS)
    set(pasta ${CMAKE_BINARY_DIR}/vantora-config)
    # The web page goes in once scripts/web.sh has built it (the build looks again each time).
    file(GLOB arquivos_pagina CONFIGURE_DEPENDS ${VANTORA_PAGINA}/*.html ${VANTORA_PAGINA}/*.css
        ${VANTORA_PAGINA}/*.js)
    set(nsi ${CMAKE_SOURCE_DIR}/data/windows/vantora-config.nsi)
    set(nsis ${VANTORA_MAKENSIS} -V2 -DPASTA=${pasta} -DLISTA=${pasta}.nsh -DVERSAO=${PROJECT_VERSION}
        -DVERSAO_RC=${VANTORA_VERSAO_RC} -DEMPRESA=${VANTORA_EMPRESA} "-DCOPYRIGHT=${VANTORA_COPYRIGHT}"
        -DCONTATO=${VANTORA_CONTATO} -DLICENCA=${CMAKE_SOURCE_DIR}/LICENSE)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vantora-config-setup.exe
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${pasta}
        COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${pasta} --strip
        COMMAND ${CMAKE_COMMAND} -DPASTA=${pasta} -DLISTA=${pasta}.nsh -P ${CMAKE_SOURCE_DIR}/cmake/lista_windows.cmake
        COMMAND ${nsis} -DDESINSTALADOR -DSAIDA=${pasta}-uninstall.exe ${nsi}
        COMMAND ${nsis} -DDESINSTALADOR_EXE=${pasta}-uninstall.exe -DSAIDA=${CMAKE_BINARY_DIR}/vantora-config-setup.exe ${nsi}
        DEPENDS vantora-config vantora-prog textos_windows ${textos} ${nsi} ${CMAKE_SOURCE_DIR}/LICENSE
            ${CMAKE_SOURCE_DIR}/examples/mercado.key ${CMAKE_SOURCE_DIR}/data/windows/vantora-config.ico
            ${CMAKE_SOURCE_DIR}/cmake/windows.cmake ${CMAKE_SOURCE_DIR}/cmake/lista_windows.cmake ${arquivos_pagina}
        COMMENT "Making the Windows folder, its uninstaller and vantora-config-setup.exe" VERBATIM)
    add_custom_target(instalador ALL DEPENDS ${CMAKE_BINARY_DIR}/vantora-config-setup.exe)
endif()
