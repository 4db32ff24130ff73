# ZBar's Windows tools, zbarcam.exe and zbarimg.exe, built from the pinned Debian source package
# by tools/build_zbar.sh (MinGW-w64 on a Debian host). Included from the Windows build; on other
# hosts the release goes without them.

set(TOLVIRA_ZBAR_DIR ${CMAKE_BINARY_DIR}/zbar)
if(NOT (CMAKE_CROSSCOMPILING AND MINGW AND CMAKE_HOST_UNIX))
  message(STATUS "ZBar's tools are not built here: they need MinGW-w64 on a Debian host")
  return()
endif()

file(GLOB_RECURSE TOLVIRA_ZBAR_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/third_party/zbar/*
     ${CMAKE_SOURCE_DIR}/third_party/dmtx/*)
add_custom_command(
  OUTPUT ${TOLVIRA_ZBAR_DIR}/zbarcam.exe ${TOLVIRA_ZBAR_DIR}/zbarimg.exe
         ${TOLVIRA_ZBAR_DIR}/COPYING ${TOLVIRA_ZBAR_DIR}/LICENSE.md ${TOLVIRA_ZBAR_DIR}/SOURCE.txt
         ${TOLVIRA_ZBAR_DIR}/libdmtx-LICENSE
  # The libraries the DataMatrix pass's own tests link, made by the same build.
  BYPRODUCTS ${TOLVIRA_ZBAR_DIR}/work/src/zbar/.libs/libzbar.a
             ${TOLVIRA_ZBAR_DIR}/work/prefix/lib/libdmtx.a ${TOLVIRA_ZBAR_DIR}/work/prefix/lib/libiconv.a
  COMMAND bash ${CMAKE_SOURCE_DIR}/tools/build_zbar.sh ${TOLVIRA_ZBAR_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/build_zbar.sh ${CMAKE_SOURCE_DIR}/tools/build_dmtx.sh
          ${TOLVIRA_ZBAR_INPUTS}
  COMMENT "Building zbarcam.exe and zbarimg.exe from Debian's source package"
  USES_TERMINAL
  VERBATIM)
add_custom_target(zbar_tools ALL
  DEPENDS ${TOLVIRA_ZBAR_DIR}/zbarcam.exe ${TOLVIRA_ZBAR_DIR}/zbarimg.exe)
set(TOLVIRA_ZBARCAM ${TOLVIRA_ZBAR_DIR}/zbarcam.exe)
set(TOLVIRA_ZBARIMG ${TOLVIRA_ZBAR_DIR}/zbarimg.exe)
