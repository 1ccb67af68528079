# Read by CPack once per generator: tamri-2.0-windows-x64.zip and tamri-2.0-setup-x64.exe.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "tamri-${CPACK_PACKAGE_VERSION}-windows-x64")
elseif(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "tamri-${CPACK_PACKAGE_VERSION}-setup-x64")
endif()
