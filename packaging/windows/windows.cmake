# The Windows program, cross-built on Debian (./package.sh windows): Tamri.exe and the system
# check tamri-check.exe with everything they need beside them, packed as a ZIP folder and as an NSIS installer by CPack.

install(TARGETS tamri tamri-check RUNTIME DESTINATION .)

# A library as its build left it may carry its debugging symbols (Debian's libstdc++-6.dll:
# 24 MB, 2 MB without; Qt6Gui.dll: 12.9 MB, 8.9 MB without); CPack strips only our own program.
function(install_stripped file name destination)
  install(FILES ${file} DESTINATION ${destination})
  install(CODE "execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/${name}\" COMMAND_ERROR_IS_FATAL ANY)")
endfunction()

# The Qt libraries the program links, and the plugins Qt loads at run time.
foreach(module Core Gui Widgets PrintSupport)
  if(TARGET Qt6::${module})
    install_stripped($<TARGET_FILE:Qt6::${module}> $<TARGET_FILE_NAME:Qt6::${module}> .)
  endif()
endforeach()
install_stripped($<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> $<TARGET_FILE_NAME:Qt6::QWindowsIntegrationPlugin> platforms)
# The native look of buttons and boxes: Qt 6.4 (Debian 12) builds it as qwindowsvistastyle, Qt 6.7
# and later (Debian 13) as qmodernwindowsstyle. Without it Qt falls back to its Windows 95 look.
foreach(style QWindowsVistaStylePlugin QModernWindowsStylePlugin)
  if(TARGET Qt6::${style})
    install_stripped($<TARGET_FILE:Qt6::${style}> $<TARGET_FILE_NAME:Qt6::${style}> styles)
    set(style_found ON)
  endif()
endforeach()
if(NOT style_found)
  message(FATAL_ERROR "This Qt for Windows has no native style plugin (qwindowsvistastyle or qmodernwindowsstyle)")
endif()

# The mingw-w64 runtime that the program and Qt were built against (libjpeg is linked statically).
if(MINGW)
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      message(FATAL_ERROR "The mingw-w64 runtime library ${dll} was not found")
    endif()
    install_stripped(${path} ${dll} .)
  endforeach()
endif()
install(FILES packaging/copyright DESTINATION . RENAME copyright.txt)

set(CPACK_PACKAGE_NAME Tamri)
set(CPACK_PACKAGE_VENDOR "Tamri developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tamri, a full-screen visual search test for psychological assessment")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tamri)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tamri)
set(CPACK_PACKAGE_EXECUTABLES ${TAMRI_PROGRAM_NAME} Tamri tamri-check "Tamri Systemprüfung")
set(CPACK_STRIP_FILES ON)
# Each generator names its file (see cpack_file_names.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_file_names.cmake)

# Our own installer template (NSIS.template.in): one installer for one user or for all.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CPACK_NSIS_PACKAGE_NAME Tamri)
set(CPACK_NSIS_DISPLAY_NAME Tamri)
# A 64-bit installer (NSIS makes 32-bit ones by default), which also writes the 64-bit registry.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME ${TAMRI_PROGRAM_NAME}.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/tamri.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/tamri.ico)
include(CPack)
