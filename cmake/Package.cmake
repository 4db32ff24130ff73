# The release: `cpack` in the Windows build makes Tolvira-<version>-win64.zip holding
# Tolvira.exe (MinGW links it statically, so it needs no DLL of its own) and the read-me on
# where the ZBar tools go.
install(TARGETS Tolvira RUNTIME DESTINATION .)
install(FILES resources/release/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tolvira)
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tolvira-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
include(CPack)
