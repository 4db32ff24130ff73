# The engines' DataMatrix pass (third_party/zbar/dmtx/) tested on its own under Wine, built
# against the libdmtx and ZBar of the engines' build (tools/build_zbar.sh).
if(NOT TARGET zbar_tools OR NOT TARGET gtest_main)
  return()
endif()

set(TOLVIRA_ZBAR_WORK ${TOLVIRA_ZBAR_DIR}/work)
add_executable(tolvira_dmtx_tests tests/engines/DmtxPassTest.cpp
  third_party/zbar/dmtx/dmtxpass.c third_party/zbar/dmtx/campass.c)
# dmtxpass.c takes ZBar's symbol from "../zbar/symbol.h", next to the copy in ZBar's tree.
target_include_directories(tolvira_dmtx_tests PRIVATE third_party/zbar/dmtx
  ${TOLVIRA_ZBAR_WORK}/src/zbardmtx ${TOLVIRA_ZBAR_WORK}/src/include ${TOLVIRA_ZBAR_WORK}/prefix/include)
target_link_libraries(tolvira_dmtx_tests PRIVATE gtest_main
  ${TOLVIRA_ZBAR_WORK}/src/zbar/.libs/libzbar.a ${TOLVIRA_ZBAR_WORK}/prefix/lib/libdmtx.a
  ${TOLVIRA_ZBAR_WORK}/prefix/lib/libiconv.a)
target_link_options(tolvira_dmtx_tests PRIVATE -static)
add_dependencies(tolvira_dmtx_tests zbar_tools)

if(TOLVIRA_WINE)
  add_test(NAME dmtx_pass
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32/run-under-wine.sh ${TOLVIRA_WINE}
            $<TARGET_FILE:tolvira_dmtx_tests>)
  set_tests_properties(dmtx_pass PROPERTIES TIMEOUT 300)
endif()
