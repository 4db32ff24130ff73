# The release: `cpack` in the Windows build makes Tolvira-<version>-win64.zip holding
# Tolvira.exe (MinGW links it statically, so it needs no DLL of its own), ZBar's zbarcam.exe and
# zbarimg.exe built here (static too), ZBar's licence and where its source comes from, and the
# read-me.
install(TARGETS Tolvira RUNTIME DESTINATION .)
install(FILES resources/release/README.txt DESTINATION .)
if(TOLVIRA_ZBARCAM)
  install(PROGRAMS ${TOLVIRA_ZBARCAM} ${TOLVIRA_ZBARIMG} DESTINATION .)
  install(FILES ${TOLVIRA_ZBAR_DIR}/COPYING DESTINATION . RENAME ZBar-COPYING.txt)
  install(FILES ${TOLVIRA_ZBAR_DIR}/LICENSE.md DESTINATION . RENAME ZBar-LICENSE.txt)
  install(FILES ${TOLVIRA_ZBAR_DIR}/SOURCE.txt DESTINATION . RENAME ZBar-SOURCE.txt)
  install(FILES ${TOLVIRA_ZBAR_DIR}/libdmtx-LICENSE DESTINATION . RENAME libdmtx-LICENSE.txt)
else()
  message(WARNING "The release ZIP goes without zbarcam.exe and zbarimg.exe: they are built only by the MinGW build on Debian")
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tolvira)
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tolvira-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(TOLVIRA_ZBARCAM)
  enable_testing()
  add_test(NAME release_zip COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/check_release.sh
                                    ${CMAKE_BINARY_DIR})
  set_tests_properties(release_zip PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
endif()
