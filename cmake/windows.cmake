# The Windows program folder: the executables with the Qt DLLs and plugins they load,
# the mingw runtime and Qt's Portuguese translations beside them, and a qt.conf that
# tells Qt to look there (without it Qt would look for its plugins and translations
# in the folder above the DLLs). The build folder's bin/ gets the same files, so that
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
set(vantora_qt_conf "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")

# The build folder: also Qt Test and the offscreen platform, for the tests.
set(bin ${CMAKE_BINARY_DIR}/bin)
file(COPY ${vantora_dlls} ${VANTORA_QT_PREFIX}/bin/Qt6Test.dll DESTINATION ${bin} NO_SOURCE_PERMISSIONS)
file(COPY ${VANTORA_QT_PREFIX}/plugins/platforms ${VANTORA_QT_PREFIX}/plugins/styles DESTINATION ${bin} NO_SOURCE_PERMISSIONS)
file(COPY ${VANTORA_QM_PT} DESTINATION ${bin}/translations NO_SOURCE_PERMISSIONS)
file(WRITE ${bin}/qt.conf "${vantora_qt_conf}")

# The user's folder. vantora-prog's legend draws on the offscreen platform.
install(FILES ${vantora_dlls} DESTINATION .)
install(FILES ${VANTORA_QT_PREFIX}/plugins/platforms/qwindows.dll
    ${VANTORA_QT_PREFIX}/plugins/platforms/qoffscreen.dll DESTINATION platforms)
install(FILES ${VANTORA_QT_PREFIX}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${VANTORA_QM_PT} DESTINATION translations)
install(FILES ${bin}/qt.conf DESTINATION .)

# The installer, where makensis is installed: vantora-config-setup.exe.
find_program(VANTORA_MAKENSIS makensis NO_CMAKE_FIND_ROOT_PATH)
if(VANTORA_MAKENSIS)
    set(pasta ${CMAKE_BINARY_DIR}/vantora-config)
    set(nsi ${CMAKE_SOURCE_DIR}/data/windows/vantora-config.nsi)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vantora-config-setup.exe
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${pasta}
        COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${pasta} --strip
        COMMAND ${CMAKE_COMMAND} -DPASTA=${pasta} -DLISTA=${pasta}.nsh -P ${CMAKE_SOURCE_DIR}/cmake/lista_windows.cmake
        COMMAND ${VANTORA_MAKENSIS} -V2 -DPASTA=${pasta} -DLISTA=${pasta}.nsh -DVERSAO=${PROJECT_VERSION}
            -DSAIDA=${CMAKE_BINARY_DIR}/vantora-config-setup.exe ${nsi}
        DEPENDS vantora-config vantora-prog ${nsi} ${CMAKE_SOURCE_DIR}/data/windows/vantora-config.ico ${CMAKE_SOURCE_DIR}/cmake/lista_windows.cmake
        COMMENT "Making the Windows folder and vantora-config-setup.exe" VERBATIM)
    add_custom_target(instalador ALL DEPENDS ${CMAKE_BINARY_DIR}/vantora-config-setup.exe)
endif()
